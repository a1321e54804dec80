// Accessible: what screen readers and other assistive tools see of the framework's controls,
// through the system's accessibility library (oleacc).
//
// A windowed control answers WM_GETOBJECT for its client area with an IAccessible object that
// wraps the system's standard one for its window and changes what the framework knows better:
//   - its name is the caption of the label that names it (the label whose FocusControl it is,
//     else the control's own LabelledBy), without the accelerator's "&", and its keyboard
//     shortcut is that label's Alt+letter;
//   - a control that holds framework children lists them itself, by child id, by place and by
//     navigation to the first, last, next and previous one: windowed ones as the objects of
//     their windows (whose child is their client object, as in the system's own hierarchy),
//     windowless ones (speed buttons, labels) as simple elements with a role, a name, a place
//     and, for a button, a default action that presses it.
// Everything else (role, state and value of the window itself, its parent, its siblings) is
// the standard object's.
//
// The library and COM are loaded on the first request, so a program that is never asked pays
// nothing at start-up.
//
// Ownership: the objects are reference-counted COM objects held by their clients, who may let
// go of them late, after the program's statics are gone. A control owns none of them; when it
// or its window goes it disconnects the one it handed out, which then answers every call with
// CO_E_OBJNOTCONNECTED instead of touching the control. No method lets an exception out: it
// goes to the application's exception display, the caller gets an error. A failed call leaves
// its [out] arguments empty (null, VT_EMPTY, 0).
#pragma once

#include <windows.h>

#include "framework/core/Sysutils.h"

class TWinControl;

// The role a control plays for assistive tools; arNone leaves it out (a bevel, a wallpaper).
enum class TAccessibleRole {
  arNone,
  arPushButton,
  arStaticText,
  arGraphic,
  arText,
  arComboBox,
  arCheckButton,
  arRadioButton,
  arSpinButton,
};

// The answer to WM_GETOBJECT(wparam, lparam) of `control`'s window, or 0 to let the system
// answer (another object id, or the library unavailable).
LRESULT AnswerAccessibleObject(TWinControl& control, WPARAM wparam, LPARAM lparam);
// The control or its window goes: its object, if it handed one out, lets go of it.
void DisconnectAccessibleObject(TWinControl& control);
