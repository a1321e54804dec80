// Hslutils: conversions between RGB colours and hue, saturation and lightness (HSL), as
// fractions from 0 to 1 or as whole numbers on the scale HSLRange. No <windows.h>.
//
// Colours are plain RGB values (0x00BBGGRR); system colours must be resolved before they come
// here. Whole numbers are rounded to the nearest, ties to even.
#pragma once

#include "framework/core/Colors.h"

// The whole-number scale: saturation and lightness run from 0 to HSLRange, hue from 0 to
// HSLRange - 1. One value for every caller, set from the GUI thread only.
extern int HSLRange;

// H, S and L from 0 to 1. Values outside that range give the nearest colour there is.
TColor HSLtoRGB(double H, double S, double L);
// HSLtoRGB(H / (HSLRange - 1), S / HSLRange, L / HSLRange).
TColor HSLRangeToRGB(int H, int S, int L);
void RGBtoHSL(TColor Color, double& H, double& S, double& L);
void RGBtoHSLRange(TColor Color, int& H, int& S, int& L);
