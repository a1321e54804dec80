// Cspin: a numeric edit field with a pair of up/down arrows on its right edge.
//
//   TTimerSpeedButton  a speed button that repeats its click while it is held down: the first
//                      repeat 400 ms after the press, then one every 100 ms.
//   TCSpinButton       a windowed control stacking two such buttons, up above down, that share
//                      its height with a one-pixel overlap; it answers the arrow keys and the
//                      space bar itself when it has the focus.
//   TCSpinEdit         an edit field for one integer that embeds a TCSpinButton and keeps the
//                      value within MinValue..MaxValue (no limit while they are equal).
//
// The value is the edit's text; it is converted on every read. Refused input (a character
// that is not part of a number, an arrow on a read-only field) is answered with a beep through
// SpinServices().Beep, which tests replace to count the beeps.
//
// Coordinates: the arrow buttons are placed in their spin button's client area, the spin button
// in the edit's client area.
//
// Ownership: a spin button owns its two arrow buttons, an arrow button its repeat timer and a
// spin edit its spin button, all as owned components. FocusControl is not owned.
#pragma once

#include <windows.h>

#include <functional>

#include "framework/win/Buttons.h"
#include "framework/win/StdCtrls.h"
#include "framework/win/Timer.h"

// The spin edit's system calls, replaceable by tests: Beep is the default system beep
// (MessageBeep(0)).
struct TSpinServices {
  std::function<void()> Beep;
};
// The process-wide instance, starting with the real calls.
TSpinServices& SpinServices();

enum TTimeBtnStateFlag : uint8_t {
  tbFocusRect = 1,   // draw the dotted focus frame
  tbAllowTimer = 2,  // repeat the click while held down
};
using TTimeBtnState = uint8_t;

class TTimerSpeedButton : public TSpeedButton {
  DECLARE_CLASS_INFO()
 public:
  explicit TTimerSpeedButton(TComponent* owner);
  ~TTimerSpeedButton() override;

  TTimeBtnState TimeBtnState() const { return FTimeBtnState; }
  void SetTimeBtnState(TTimeBtnState state) { FTimeBtnState = state; }
  // The repeat timer: null until the first press with tbAllowTimer set.
  TTimer* RepeatTimer() const { return FRepeatTimer; }

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  void TimerExpired(TObject* sender);

  TTimer* FRepeatTimer = nullptr;  // owned as a component
  TTimeBtnState FTimeBtnState = 0;
};

class TCSpinButton : public TWinControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TCSpinButton(TComponent* owner);
  ~TCSpinButton() override;

  void Loaded() override;
  // The width is at least 15; the height is split between the two arrows.
  // The arrows follow the button's new size; they are not scaled a second time.
  void ChangeScale(int multiplier, int divider) override { ScaleOwn(multiplier, divider); }
  void SetBounds(int left, int top, int width, int height) override;
  void Notification(TComponent* component, TOperation operation) override;

  TBitmap* GetUpGlyph() const;
  // Copies `value` into the up arrow's glyph; null loads the default arrow ("SpinUp").
  void SetUpGlyph(TBitmap* value);
  TBitmap* GetDownGlyph() const;
  // Copies `value` into the down arrow's glyph; null loads the default arrow ("SpinDown").
  void SetDownGlyph(TBitmap* value);

  TTimerSpeedButton* UpButton() const { return FUpButton; }
  TTimerSpeedButton* DownButton() const { return FDownButton; }
  TTimerSpeedButton* FocusedButton() const { return FFocusedButton; }

  // Receives the focus when an arrow is pressed with the mouse; not owned.
  TWinControl* FocusControl = nullptr;
  TNotifyEvent OnUpClick;
  TNotifyEvent OnDownClick;

 protected:
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void WMSize(TMessage& message) override;
  void WMSetFocus(TMessage& message) override;
  void WMKillFocus(TMessage& message) override;
  void WMGetDlgCode(TMessage& message) override;

 private:
  TTimerSpeedButton* CreateButton();
  // Gives the two arrows their share of a spin button of width x height, both adjusted.
  void AdjustSize(int& width, int& height);
  // Applies AdjustSize to the current size and resizes if it changed anything.
  void AdjustToButtons();
  void BtnMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void BtnClick(TObject* sender);
  void SetFocusBtn(TTimerSpeedButton* button);

  TTimerSpeedButton* FUpButton = nullptr;       // owned as a component
  TTimerSpeedButton* FDownButton = nullptr;     // owned as a component
  TTimerSpeedButton* FFocusedButton = nullptr;  // one of the two
};

class TCSpinEdit : public TCustomEdit {
  DECLARE_CLASS_INFO()
 public:
  explicit TCSpinEdit(TComponent* owner);
  // The field and its arrows grow together; the field places the arrows itself.
  void ChangeScale(int multiplier, int divider) override;
  ~TCSpinEdit() override;

  // The text as an integer, not clamped. A text that is no integer is replaced by MinValue,
  // which is returned.
  int GetValue();
  // Shows `value`, brought into range; a change of text fires OnChange.
  void SetValue(int value);
  int MinValue() const { return FMinValue; }
  void SetMinValue(int value) { FMinValue = value; }
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int value) { FMaxValue = value; }
  int Increment() const { return FIncrement; }
  void SetIncrement(int value) { FIncrement = value; }
  // Off: the user cannot type, cut or paste; the arrows still change the value.
  bool EditorEnabled() const { return FEditorEnabled; }
  void SetEditorEnabled(bool value) { FEditorEnabled = value; }

  TCSpinButton* Button() const { return FButton; }
  // The least height that shows a line of text in the edit's font.
  int GetMinHeight();
  // Reports nothing: the embedded spin button is never written to a form description.
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

  void WndProc(TMessage& message) override;

  // `key` is a unit of UTF-16, as typed.
  virtual bool IsValidChar(wchar_t key);
  virtual void UpClick(TObject* sender);
  virtual void DownClick(TObject* sender);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(wchar_t& key) override;
  void WMSize(TMessage& message) override;
  void WMCut(TMessage& message) override;
  void WMPaste(TMessage& message) override;
  void WMSetFont(TMessage& message) override;
  void CMEnter(TMessage& message) override;
  void CMExit(TMessage& message) override;

 private:
  // GetValue for the property system, which reads through const accessors; reading the
  // stored value repairs the text just as any other read does.
  int StoredValue() const { return const_cast<TCSpinEdit*>(this)->GetValue(); }
  int CheckValue(int value) const;
  // The user may change the text by hand: the editor is enabled and the field not read-only.
  bool EditAllowed() const;
  // Places the spin button at the right edge and keeps the text clear of it; a height below
  // the minimum is raised first (the resize that follows lays the field out).
  void LayoutField();
  void SetEditRect();

  int FMinValue = 0;
  int FMaxValue = 0;
  int FIncrement = 1;
  TCSpinButton* FButton = nullptr;  // owned as a component
  bool FEditorEnabled = true;
};
