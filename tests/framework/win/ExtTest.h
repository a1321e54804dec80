// Shared by the tests of the bevel, image, panel, speed button, picker, dialogs and menus: a
// form read from a description, a patterned background to see through, bitmaps made in code,
// and a watcher for the system's modal windows.
#pragma once

#include <gtest/gtest.h>

#include <functional>

#include "framework/win/Buttons.h"
#include "framework/win/ComCtrls.h"
#include "framework/win/Dialogs.h"
#include "framework/win/ExtCtrls.h"
#include "framework/win/Menus.h"
#include "framework/win/Timer.h"
#include "tests/framework/win/WinTest.h"

namespace exttest {

constexpr COLORREF kCheckA = RGB(200, 0, 200);
constexpr COLORREF kCheckB = RGB(0, 160, 0);

// The colour of the checker pattern at a point of its client area: 2 x 2 pixel checks.
inline COLORREF CheckerAt(int x, int y) {
  return ((x / 2 + y / 2) % 2) ? kCheckB : kCheckA;
}

// A windowless checker pattern: whatever shows it at a point is see-through there.
class TChecker : public TGraphicControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TChecker(TComponent* owner) : TGraphicControl(owner) {}

 protected:
  void Paint() override {
    for (int y = 0; y < Height(); y += 2) {
      for (int x = 0; x < Width(); x += 2) {
        Canvas()->Brush()->SetColor(static_cast<TColor>(CheckerAt(x, y)));
        Canvas()->FillRect(RECT{x, y, x + 2, y + 2});
      }
    }
  }
};

inline const TClassInfo& TChecker::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TChecker>("TChecker", &TGraphicControl::StaticClassInfo())
          .Publish({"Left", "Top", "Width", "Height", "Align"})
          .Build();
  return info;
}

// Makes the classes known to form descriptions.
inline void RegisterClasses() {
  TChecker::StaticClassInfo();
  TBevel::StaticClassInfo();
  TImage::StaticClassInfo();
  TPanel::StaticClassInfo();
  TSpeedButton::StaticClassInfo();
  TDateTimePicker::StaticClassInfo();
  TOpenDialog::StaticClassInfo();
  TPopupMenu::StaticClassInfo();
  TMenuItem::StaticClassInfo();
  TTimer::StaticClassInfo();
}

// A bitmap of `width` x `height` whose pixels come from `color_at(x, y)`.
inline void Paint(TBitmap& bitmap, int width, int height,
                  const std::function<COLORREF(int, int)>& color_at) {
  bitmap.SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      bitmap.Canvas()->SetPixel(x, y, static_cast<TColor>(color_at(x, y)));
    }
  }
}

// A form read from a description; the test fails if it leaves GDI objects behind.
class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    RegisterClasses();
    gdi_before_ = LiveGdiObjects();
  }
  void TearDown() override {
    delete form_;
    form_ = nullptr;
    wintest::Pump();
    EXPECT_EQ(LiveGdiObjects(), gdi_before_) << "GDI objects leaked";
  }
  // Reads the form and shows it on top, ready for mouse messages and pixels.
  TForm* Show(const AnsiString& text) {
    form_ = new TForm(Application);
    form_->LoadFromText(text);
    form_->Show();
    wintest::Pump();
    return form_;
  }
  template <class T>
  T* Find(const char* name) const {
    T* component = dynamic_cast<T*>(form_->FindComponent(name));
    EXPECT_NE(component, nullptr) << name;
    return component;
  }
  HWND Window() const { return form_->Handle(); }
  // The colour at a point of a windowless control, in its own client coordinates.
  COLORREF PixelOf(TControl* control, int x, int y) const {
    const POINT origin = control->OriginInWindow();
    return wintest::PixelAt(control->Parent()->Handle(), origin.x + x, origin.y + y);
  }

  TForm* form_ = nullptr;
  int gdi_before_ = 0;
};

// Calls `step` from a thread timer every 20 ms until it answers true, so that a test can act
// inside a modal loop (message box, menu, file dialog). After five seconds it calls `give_up`,
// which must end the modal loop, so that a broken test fails instead of hanging.
class ModalWatcher {
 public:
  ModalWatcher(std::function<bool()> step, std::function<void()> give_up)
      : step_(std::move(step)), give_up_(std::move(give_up)) {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, Tick);
  }
  ~ModalWatcher() {
    if (timer_) KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  bool Done() const { return done_; }
  bool GaveUp() const { return gave_up_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    ModalWatcher* self = current_;
    if (!self || self->done_) return;
    if (++self->ticks_ > 250) {
      self->done_ = self->gave_up_ = true;
      self->give_up_();
      return;
    }
    if (self->step_()) self->done_ = true;
  }

  static inline ModalWatcher* current_ = nullptr;
  std::function<bool()> step_;
  std::function<void()> give_up_;
  UINT_PTR timer_ = 0;
  int ticks_ = 0;
  bool done_ = false;
  bool gave_up_ = false;
};

struct ThreadWindowSearch {
  const char* Class;
  HWND Found;
};

inline BOOL CALLBACK MatchThreadWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<ThreadWindowSearch*>(data);
  char name[64] = {};
  GetClassNameA(window, name, sizeof(name));
  if (lstrcmpiA(name, search->Class) == 0 && IsWindowVisible(window)) {
    search->Found = window;
    return FALSE;
  }
  return TRUE;
}

// The visible top-level window of this thread with the given class ("#32770" for dialogs and
// message boxes, "#32768" for menus), or null.
inline HWND FindThreadWindow(const char* class_name) {
  ThreadWindowSearch search{class_name, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchThreadWindow, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

}  // namespace exttest
