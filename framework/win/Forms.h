// Forms and the application object.
//
// The application owns a hidden top-level window that carries the program's taskbar button; it
// is visible exactly while at least one form is visible. Forms are owned windows of it, so they
// have no taskbar buttons of their own. The application owns its forms.
//
// A form is created from the form description stored in the executable as an RCDATA resource
// named after its class in capitals (TFORM1): CreateForm reads it, then raises OnCreate.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "framework/win/Hints.h"
#include "framework/win/WinControls.h"

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };
const TEnumInfo& EnumInfoOf(TFormBorderStyle);
const TEnumInfo& EnumInfoOf(TFormStyle);
const TEnumInfo& EnumInfoOf(TPosition);

class TForm : public TWinControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle style);
  TFormStyle FormStyle() const { return form_style_; }
  void SetFormStyle(TFormStyle style);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  bool OldCreateOrder() const { return old_create_order_; }
  void SetOldCreateOrder(bool value) { old_create_order_ = value; }
  RECT ClientRect() const override;
  // The screen resolution the form is laid out for: 96, the resolution of form descriptions,
  // until the form is read on, made on or moved to a monitor of another one.
  int PixelsPerInch() const override { return pixels_per_inch_; }
  // Scales the form for its monitor once its description has been read.
  void Loaded() override;
  void SetClientWidth(int width) override;
  void SetClientHeight(int height) override;
  TWinControl* ActiveControl() const { return active_control_; }
  void SetActiveControl(TWinControl* control);

  // Makes the form visible and brings it to the front.
  void Show();
  void Hide() { SetVisible(false); }
  // Closes the form; closing the main form ends the program.
  void Close();
  void SetVisible(bool visible) override;
  bool Showing() const override;

  // Reads the form description from the executable's resources.
  void LoadFromResource();
  // Reads a form description from text (tests and tools).
  void LoadFromText(const AnsiString& text);
  void DoCreate() { OnCreate(this); }
  void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnClose;
  TNotifyEvent OnDestroy;

 protected:
  void CreateParams(TCreateParams& params) override;
  // The client area scales; the frame is the system's. Where the form goes: see TScalePlace.
  void ScaleOwn(int multiplier, int divider) override;
  void CreateWnd() override;
  void WndProc(TMessage& message) override;
  void CMEnter(TMessage& message) override { message.Result = 0; }
  void CMExit(TMessage& message) override { message.Result = 0; }

 private:
  DWORD WindowStyle() const;
  // Gives the focus back to the control that had it, or to the active control.
  void RestoreFocus();
  DWORD WindowExStyle() const;
  // The frame the system puts around the client area: measured on the window where there is
  // one, since the system draws it for the window's monitor; computed where not.
  SIZE FrameSize() const;
  SIZE FrameSizeFor(int pixels_per_inch) const;
  // The system moves the window to a monitor of another resolution.
  void DpiChanged(int pixels_per_inch, const RECT* suggested);

  TFormBorderStyle border_style_ = TFormBorderStyle::bsSizeable;
  TFormStyle form_style_ = TFormStyle::fsNormal;
  TPosition position_ = TPosition::poDesigned;
  bool old_create_order_ = false;
  TWinControl* active_control_ = nullptr;  // not owned
  // The window inside us that had the focus when we were last deactivated; a handle, not an
  // object, so that a control freed meanwhile leaves nothing dangling.
  HWND last_focus_ = nullptr;  // not owned
  bool closing_ = false;
  int pixels_per_inch_ = 96;
  // Where a change of scale puts the form: its place scaled with everything else (a form read
  // for another screen), kept (its window was just made on its monitor) or the rectangle the
  // system suggests (moved to another monitor). The first two stay inside the monitor's work
  // area.
  enum class TScalePlace { Scaled, Kept, Suggested };
  TScalePlace scale_place_ = TScalePlace::Scaled;
  RECT suggested_place_ = {};
};

using TExceptionEvent = TEvent<TObject*, const std::exception&>;

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  void Initialize();
  // The hidden window that carries the taskbar button; created on first use.
  HWND Handle();
  // The program's icon from its resources, for its forms and its taskbar window. Without one
  // they show the system's default. Called before Initialize, it costs least: the windows get
  // it through their classes instead of one by one.
  void SetIconResource(const AnsiString& name);
  // Gives a window the program's icon (big and small), at the sizes of its monitor.
  void ApplyIcon(HWND window) const;
  // The icons SetIconResource loaded; null before. Windows made after it carry them.
  HICON Icon() const { return icon_; }
  HICON SmallIcon() const { return small_icon_; }
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& title);
  TForm* MainForm() const { return main_form_; }
  const std::vector<TForm*>& Forms() const { return forms_; }

  // Creates a form owned by the application from its stored description, then raises its
  // OnCreate. The first form created becomes the main form. `reference` is set before the
  // description is read, so OnCreate may use it.
  template <class T>
  void CreateForm(T*& reference) {
    MakeForm(reference, &TForm::LoadFromResource);
  }
  // The same for a form made in code: its constructor makes its controls, and there is no
  // stored description to read. It is laid out for its monitor when its window is made.
  template <class T>
  void CreateFormInCode(T*& reference) {
    MakeForm(reference, nullptr);
  }

  // Shows the main form and dispatches messages until Terminate. `show` is the show command
  // the program was started with (WinMain's): minimised, the program starts as its taskbar
  // button; maximised, a main form that can be maximised starts so.
  void Run(int show = SW_SHOWNORMAL);
  // Asks the message loop to end (a posted quit).
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Dispatches every message waiting in the queue, then returns.
  void ProcessMessages();
  // Waits for one message and dispatches it; false when it was the quit message.
  bool HandleMessage();

  // Shows an exception that escaped a handler (OnException, if set, instead), and goes on.
  void HandleException(const std::exception& error);
  void ShowException(const std::exception& error);
  // A modal message box with one OK button and no icon, captioned with the title. Its own
  // modal loop keeps dispatching the program's messages (timers, the tray).
  int MessageBox(const AnsiString& text, UINT flags = MB_OK);

  // Tips over the controls: whether they show at all, how long the mouse rests before one
  // shows and how long it stays, in milliseconds.
  bool ShowHint() const { return hints_.Enabled(); }
  void SetShowHint(bool show) { hints_.SetEnabled(show); }
  int HintPause() const { return hints_.Pause(); }
  void SetHintPause(int pause) { hints_.SetPause(pause); }
  int HintHidePause() const { return hints_.HidePause(); }
  void SetHintHidePause(int pause) { hints_.SetHidePause(pause); }
  // The one tip window, or null before the first tip.
  THintWindow* HintWindow() const { return hints_.Window(); }

  // Shows or hides the taskbar window to match the forms' visibility.
  void UpdateVisible();
  void AddForm(TForm* form);
  void RemoveForm(TForm* form);

  // Lets `hook` see the messages of the application's window before the application does; it
  // answers whether it handled one. The window is top-level, so it hears the broadcasts that a
  // message-only window never gets (the shell's "TaskbarCreated"). A hook may unhook itself or
  // others while it runs. Answers the number to unhook it with.
  using TWindowHook = std::function<bool(TMessage& message)>;
  int HookMainWindow(TWindowHook hook);
  void UnhookMainWindow(int hook);

  TExceptionEvent OnException;

 private:
  // Creates a form owned by the application, has it read its description (`read`, unless
  // null), raises OnCreate; a form that fails on the way is freed and `reference` cleared.
  template <class T>
  void MakeForm(T*& reference, void (TForm::*read)()) {
    T* form = new T(this);
    reference = form;
    TScopeExit drop([&] {
      reference = nullptr;
      Free(form);
    });
    if (read) (form->*read)();
    form->DoCreate();
    drop.Dismiss();
    if (!main_form_) main_form_ = form;
  }
  bool WndProc(TMessage& message);
  bool CallHooks(TMessage& message);
  bool PreTranslate(MSG& msg);
  void Dispatch(MSG& msg);

  std::unique_ptr<TMessageWindow> window_;  // owned: the taskbar window
  HICON icon_ = nullptr;                    // shared with the system, not owned
  HICON small_icon_ = nullptr;              // shared with the system, not owned
  AnsiString icon_name_;                    // the resource of both
  // The icons at the sizes of other resolutions than the system's (a monitor of another scale),
  // by resolution, made on first use; owned, destroyed with the application.
  mutable std::map<int, std::pair<HICON, HICON>> scaled_icons_;
  AnsiString title_;
  TForm* main_form_ = nullptr;  // owned as a component
  std::vector<TForm*> forms_;   // not owned (the application owns them as components)
  bool terminated_ = false;
  std::vector<std::pair<int, std::shared_ptr<TWindowHook>>> hooks_;  // in the order hooked
  THintTracker hints_;                                               // its timers run on window_
};

// The one application object; created by InitApplication, freed by DoneApplication.
extern TApplication* Application;
void InitApplication();
void DoneApplication();
