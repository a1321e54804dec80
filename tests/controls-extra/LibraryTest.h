// The fixture of the library controls' tests under Wine: one control of the class under test,
// painted on a surface of its size, and no GDI object left behind.
#pragma once

#include <gtest/gtest.h>

#include "tests/framework/win/GdiTest.h"
#include "tests/framework/win/WinTest.h"

template <class Control>
class LibraryControlTest : public GdiTest {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    GdiTest::SetUp();
    control_ = new Control(&owner_);
  }
  void TearDown() override {
    delete control_;
    wintest::Pump();
    GdiTest::TearDown();
  }
  // A new control in place of the old one, for the next row of a table.
  void Renew() {
    delete control_;
    control_ = new Control(&owner_);
  }
  // What the control paints, on a surface of its size.
  void PaintOn(TBitmap& surface) {
    surface.SetSize(control_->Width(), control_->Height());
    control_->PaintOn(surface.Canvas()->Handle());
  }

  TComponent owner_{nullptr};
  Control* control_ = nullptr;
};
