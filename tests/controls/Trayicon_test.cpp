// The tray icon under Wine. Each test runs twice: once with the shell call recorded and
// answered by the test ("Recorded"), once against Wine's own Shell_NotifyIconW in the test
// desktop's notification area ("WineShell"), where only what does not depend on counting the
// calls is checked.
#include "controls/Trayicon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Filer.h"
#include "framework/win/Forms.h"
#include "tests/framework/win/WinTest.h"

namespace {

struct ShellCall {
  DWORD message;
  TNotifyIconData record;
};

std::vector<ShellCall> shell_calls;
BOOL shell_answer = TRUE;
bool record_versions = false;  // the version asked after each add is recorded only when wanted

BOOL WINAPI RecordShellCall(DWORD message, PNOTIFYICONDATAW data) {
  if (message == NIM_SETVERSION && !record_versions) return shell_answer;
  ShellCall call{message, {}};
  std::memcpy(&call.record, data, sizeof(TNotifyIconData));
  shell_calls.push_back(call);
  return shell_answer;
}

int halts = 0;
void RecordHalt() {
  ++halts;
}

AnsiString Tip(const TNotifyIconData& record) {
  return TextOf(record.szTip, wcsnlen(record.szTip, std::size(record.szTip)));
}

bool SameBytes(const TNotifyIconData& a, const TNotifyIconData& b) {
  return std::memcmp(&a, &b, sizeof(TNotifyIconData)) == 0;
}

TBytes ReadFileBytes(const AnsiString& relative) {
  TMemoryStream stream;
  stream.LoadFromFile(AnsiString(WAKORA_SOURCE_DIR) + "/" + relative);
  return stream.Bytes();
}

AnsiString Hex(const TBytes& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  AnsiString text;
  for (uint8_t byte : bytes) {
    text += digits[byte >> 4];
    text += digits[byte & 15];
  }
  return text;
}

// Whether the real notification area holds an icon for this record: only an icon that is
// there can be modified.
bool InWineTray(const TNotifyIconData& record) {
  TNotifyIconData probe = record;
  probe.cbSize = sizeof(TNotifyIconData);
  return Shell_NotifyIconW(NIM_MODIFY, &probe);
}

// A top-level window that records the messages posted to it.
class MessageWindow {
 public:
  MessageWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TrayTestMessages";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, "TrayTestMessages", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              wc.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~MessageWindow() { DestroyWindow(window_); }
  HWND Handle() const { return window_; }
  std::vector<UINT> received;
  std::vector<std::string>* log = nullptr;  // gets "pending" for each message, when set

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && msg >= WM_USER) {
      self->received.push_back(msg);
      if (self->log) self->log->push_back("pending");
    }
    return DefWindowProcA(window, msg, wparam, lparam);
  }
  HWND window_;
};

// A popup menu that records its opening instead of running a modal menu.
class RecordingMenu : public TPopupMenu {
 public:
  RecordingMenu(TComponent* owner, std::vector<std::string>& log) : TPopupMenu(owner), log_(log) {}
  void Popup(int x, int y) override {
    log_.push_back("popup " + std::to_string(x) + "," + std::to_string(y));
  }

 private:
  std::vector<std::string>& log_;
};

enum class Shell { Recorded, WineShell };

// The icon the tray hands the shell: the system's small-icon size.
HICON SmallIcon(TTrayIcon& tray) {
  return tray.Icon()->HandleOfSize(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
}

class TrayIconTest : public ::testing::TestWithParam<Shell> {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    shell_calls.clear();
    shell_answer = TRUE;
    record_versions = false;
    halts = 0;
    saved_services_ = TrayServices();
    TrayServices().Halt = RecordHalt;
    if (Recorded()) {
      TrayServices().ShellNotify = RecordShellCall;
    } else if (!FindWindowA("Shell_TrayWnd", nullptr)) {
      GTEST_SKIP() << "no notification area in this desktop (start it with tools/wine.sh start)";
    }
    gdi_before_ = LiveGdiObjects();
    owner_ = new TComponent(nullptr);
  }
  void TearDown() override {
    delete owner_;
    wintest::Pump();
    TrayServices() = saved_services_;
    EXPECT_EQ(LiveGdiObjects(), gdi_before_) << "icons leaked";
  }

  bool Recorded() const { return GetParam() == Shell::Recorded; }
  TTrayIcon* NewTray() {
    auto* tray = new TTrayIcon(owner_);
    tray->Icon()->LoadFromFile(AnsiString(WAKORA_SOURCE_DIR) + "/app/res/tray.ico");
    shell_calls.clear();
    return tray;
  }
  std::vector<DWORD> Messages() const {
    std::vector<DWORD> messages;
    for (const ShellCall& call : shell_calls) messages.push_back(call.message);
    return messages;
  }

  TComponent* owner_ = nullptr;
  int gdi_before_ = 0;
  TTrayServices saved_services_;
};

INSTANTIATE_TEST_SUITE_P(Shells, TrayIconTest, ::testing::Values(Shell::Recorded, Shell::WineShell),
                         [](const auto& info) {
                           return info.param == Shell::Recorded ? "Recorded" : "WineShell";
                         });

TEST_P(TrayIconTest, AddHandsTheShellTheRecordOfItsCurrentState) {
  TTrayIcon* tray = NewTray();
  tray->SetToolTip("Wakora");
  record_versions = true;
  ASSERT_TRUE(tray->AddIcon());
  const TNotifyIconData& record = tray->IconData();
  EXPECT_EQ(record.cbSize, sizeof(NOTIFYICONDATAW));
  EXPECT_EQ(record.hWnd, tray->WindowHandle());
  EXPECT_EQ(record.uID, 0u);
  EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP));
  EXPECT_EQ(record.uCallbackMessage, 1025u);
  EXPECT_EQ(record.hIcon, SmallIcon(*tray));
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(record.hIcon, &info));
  BITMAP color{};
  GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof color, &color);
  EXPECT_EQ(color.bmWidth, GetSystemMetrics(SM_CXSMICON)) << "not the system's small icon";
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_NE(record.hIcon, nullptr);
  EXPECT_EQ(Tip(record), "Wakora");
  // The rest of the tip is zeros, so the shell reads no leftovers of a longer earlier tip.
  for (size_t i = 6; i < std::size(record.szTip); ++i) EXPECT_EQ(record.szTip[i], 0) << i;
  if (Recorded()) {
    ASSERT_EQ(shell_calls.size(), 2u);
    EXPECT_TRUE(SameBytes(shell_calls[0].record, record));
    EXPECT_EQ(shell_calls[1].message, static_cast<DWORD>(NIM_SETVERSION));
    EXPECT_EQ(shell_calls[1].record.uVersion, 4u) << "Enter, Space and the menu key need it";
  } else {
    EXPECT_TRUE(InWineTray(record));
    EXPECT_TRUE(tray->DeleteIcon());
    EXPECT_FALSE(InWineTray(record)) << "the icon stayed in the tray after DeleteIcon";
  }
}

TEST_P(TrayIconTest, AnEmptyIconIsHandedOverAsHandleZero) {
  auto* tray = new TTrayIcon(owner_);
  tray->FillDataStructure();
  EXPECT_EQ(tray->IconData().hIcon, nullptr);
}

TEST_P(TrayIconTest, ActiveAddsAndDeletesOnlyWhenTheValueChanges) {
  struct Case {
    bool from, to;
    std::vector<DWORD> calls;
    const char* breaks;
  };
  const Case cases[] = {
      {false, false, {}, "setting false again deletes an icon that is not there"},
      {false, true, {NIM_ADD}, "the icon never reaches the tray"},
      {true, true, {}, "setting true again adds a second icon"},
      {true, false, {NIM_DELETE}, "the icon stays in the tray"},
  };
  for (const Case& c : cases) {
    TTrayIcon* tray = NewTray();
    tray->SetToolTip("tip");
    tray->SetActive(c.from);
    wintest::Pump();
    shell_calls.clear();
    tray->SetActive(c.to);
    EXPECT_EQ(tray->Active(), c.to);
    if (Recorded()) {
      EXPECT_EQ(Messages(), c.calls) << c.from << " -> " << c.to << ": " << c.breaks;
    } else {
      EXPECT_EQ(InWineTray(tray->IconData()), c.to) << c.from << " -> " << c.to << ": " << c.breaks;
    }
    delete tray;
  }
}

TEST_P(TrayIconTest, ToolTipIsCutTo62Characters) {
  struct Case {
    size_t length;
    size_t kept;
    const char* letter;  // of one or two bytes of UTF-8
  };
  const Case cases[] = {{0, 0, "A"},   {1, 1, "A"},   {61, 61, "A"},  {62, 62, "A"},
                        {63, 62, "A"}, {70, 62, "A"}, {300, 62, "A"}, {70, 62, "Ω"}};
  TTrayIcon* tray = NewTray();
  tray->SetActive(true);
  for (const Case& c : cases) {
    AnsiString text, kept;
    for (size_t i = 0; i < c.length; ++i) (i < c.kept ? kept : text) += c.letter;
    text = kept + text;
    tray->SetToolTip(text);
    EXPECT_EQ(tray->ToolTip(), kept) << c.length << " characters";
    EXPECT_EQ(std::wstring(tray->IconData().szTip), WideText(kept)) << c.length << " characters";
    if (Recorded()) {
      ASSERT_FALSE(shell_calls.empty());
      EXPECT_EQ(shell_calls.back().message, static_cast<DWORD>(NIM_MODIFY));
      EXPECT_EQ(std::wstring(shell_calls.back().record.szTip), WideText(kept));
    }
  }
}

TEST_P(TrayIconTest, ModifyWhileInactiveCallsNoShellButRefillsTheRecord) {
  TTrayIcon* tray = NewTray();
  tray->SetToolTip("before");
  shell_calls.clear();
  tray->SetToolTip("after");
  EXPECT_TRUE(tray->ModifyIcon());
  EXPECT_EQ(Tip(tray->IconData()), "after");
  EXPECT_EQ(tray->IconData().cbSize, sizeof(NOTIFYICONDATAW));
  if (Recorded()) {
    EXPECT_TRUE(shell_calls.empty()) << "an inactive control talked to the shell";
    shell_answer = FALSE;
    EXPECT_TRUE(tray->ModifyIcon()) << "inactive ModifyIcon reports the shell's answer";
  } else {
    EXPECT_FALSE(InWineTray(tray->IconData())) << "an inactive control put its icon in the tray";
  }
}

TEST_P(TrayIconTest, DeleteUsesTheRecordOfTheLastFill) {
  TTrayIcon* tray = NewTray();
  tray->SetActive(true);
  tray->SetToolTip("changed");
  TIcon other;
  other.LoadFromFile(AnsiString(WAKORA_SOURCE_DIR) + "/app/res/Wakora.ico");
  tray->SetIcon(&other);
  const TNotifyIconData last_fill = tray->IconData();
  EXPECT_EQ(last_fill.hIcon, SmallIcon(*tray)) << "the new icon was not handed over";
  EXPECT_EQ(Tip(last_fill), "changed");
  shell_calls.clear();
  EXPECT_TRUE(tray->DeleteIcon());
  if (Recorded()) {
    ASSERT_EQ(Messages(), std::vector<DWORD>{NIM_DELETE});
    EXPECT_TRUE(SameBytes(shell_calls[0].record, last_fill));
  } else {
    EXPECT_FALSE(InWineTray(last_fill));
  }
  tray->SetActive(false);  // no second delete of a record the shell no longer knows
}

TEST_P(TrayIconTest, DeleteDoesNotRefillEvenAnUnfilledRecord) {
  if (!Recorded()) GTEST_SKIP() << "needs the record the shell was handed";
  auto* tray = new TTrayIcon(owner_);
  EXPECT_TRUE(tray->DeleteIcon());
  ASSERT_EQ(Messages(), std::vector<DWORD>{NIM_DELETE});
  EXPECT_EQ(shell_calls[0].record.cbSize, 0u);
  EXPECT_EQ(shell_calls[0].record.hWnd, nullptr);
}

TEST_P(TrayIconTest, ResultsAreTheShellsAnswers) {
  TTrayIcon* tray = NewTray();
  tray->SetToolTip("results");
  if (Recorded()) {
    for (BOOL answer : {TRUE, FALSE}) {
      shell_answer = answer;
      EXPECT_EQ(tray->AddIcon(), answer != FALSE);
      tray->SetActive(true);
      EXPECT_EQ(tray->ModifyIcon(), answer != FALSE);
      EXPECT_EQ(tray->DeleteIcon(), answer != FALSE);
      tray->SetActive(false);
    }
  } else {
    EXPECT_TRUE(tray->AddIcon());
    EXPECT_TRUE(tray->DeleteIcon());
    EXPECT_FALSE(tray->DeleteIcon()) << "a second delete of the same icon succeeded";
    tray->SetActive(true);
    EXPECT_TRUE(tray->ModifyIcon());
    tray->SetActive(false);
    EXPECT_FALSE(InWineTray(tray->IconData()));
  }
}

// At logon the taskbar may exist and not answer yet: a refused icon is added again on a timer
// until the shell takes it, and a change the shell refuses (it lost the icon) adds it anew.
TEST_P(TrayIconTest, ARefusedIconIsAddedAgainUntilTheShellTakesIt) {
  if (!Recorded()) GTEST_SKIP() << "the shell's refusals are the test's";
  TTrayIcon* tray = NewTray();
  int refusals = 2;
  TrayServices().ShellNotify = [&](DWORD message, PNOTIFYICONDATAW data) {
    RecordShellCall(message, data);
    return message == NIM_ADD && refusals-- > 0 ? FALSE : TRUE;
  };
  tray->SetToolTip("at logon");
  tray->SetActive(true);
  const auto retry = [&] {
    SendMessageA(tray->WindowHandle(), WM_TIMER, TTrayIcon::RetryTimer, 0);
  };
  retry();
  retry();
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_ADD}));
  EXPECT_FALSE(KillTimer(tray->WindowHandle(), TTrayIcon::RetryTimer)) << "still trying";

  shell_calls.clear();
  TrayServices().ShellNotify = [&](DWORD message, PNOTIFYICONDATAW data) {
    RecordShellCall(message, data);
    return message != NIM_MODIFY;
  };
  tray->SetToolTip("Explorer lost it");
  EXPECT_EQ(Messages(), (std::vector<DWORD>{NIM_MODIFY, NIM_ADD}));
  EXPECT_EQ(Tip(shell_calls.back().record), "Explorer lost it");
}

TEST_P(TrayIconTest, AnEmptyToolTipAtAddIsAppliedOnceMoreByMessage1026) {
  struct Case {
    const char* tip;
    std::vector<DWORD> after_pump;
  };
  const Case cases[] = {{"", {NIM_ADD, NIM_MODIFY}}, {"set", {NIM_ADD}}};
  for (const Case& c : cases) {
    TTrayIcon* tray = NewTray();
    tray->SetToolTip(c.tip);
    shell_calls.clear();
    tray->SetActive(true);
    if (Recorded()) {
      EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_ADD}) << "'" << c.tip << "'";
    }
    wintest::Pump();
    if (Recorded()) {
      EXPECT_EQ(Messages(), c.after_pump) << "'" << c.tip << "'";
    }
    EXPECT_EQ(Tip(tray->IconData()), c.tip);
    if (!Recorded()) {
      EXPECT_TRUE(InWineTray(tray->IconData()));
    }
    delete tray;
  }
}

TEST_P(TrayIconTest, CallbackMouseMessagesRaiseTheEvents) {
  struct Case {
    std::vector<LPARAM> messages;
    std::vector<std::string> events;
    const char* what;
  };
  const Case cases[] = {
      {{WM_LBUTTONDOWN, WM_LBUTTONUP}, {"click"}, "a left click"},
      {{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP},
       {"click", "dblclick", "click"},
       "a double click: the releases around it click as well"},
      {{WM_RBUTTONDOWN, WM_RBUTTONUP}, {"right"}, "a right click"},
      {{WM_MOUSEMOVE, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_RBUTTONDBLCLK, WM_LBUTTONDOWN},
       {},
       "other mouse messages"},
  };
  TTrayIcon* tray = NewTray();
  std::vector<std::string> events;
  tray->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, tray);
    events.push_back("click");
  };
  tray->OnDblClick = [&](TObject* sender) {
    EXPECT_EQ(sender, tray);
    events.push_back("dblclick");
  };
  tray->OnRightClick = [&](TObject*, TMouseButton, TShiftState, int, int) {
    events.push_back("right");
  };
  for (const Case& c : cases) {
    events.clear();
    for (LPARAM mouse : c.messages) {
      SendMessageA(tray->WindowHandle(), TTrayIcon::TrayCallbackMessage, 0, mouse);
    }
    EXPECT_EQ(events, c.events) << c.what;
  }
  // Version 4 of the shell's protocol: the event in the low word, the icon's place in WPARAM;
  // a click ends in NIN_SELECT, Enter and Space send NIN_KEYSELECT, and the menu comes as
  // WM_CONTEXTMENU after a right click or from Shift+F10 and the menu key.
  if (Recorded()) {
    tray->SetActive(true);
    const Case version4[] = {
        {{WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT}, {"click"}, "a left click"},
        {{NIN_KEYSELECT}, {"click"}, "Enter or Space"},
        {{WM_LBUTTONDOWN, WM_LBUTTONUP, NIN_SELECT, WM_LBUTTONDBLCLK, WM_LBUTTONUP, NIN_SELECT},
         {"click", "dblclick", "click"},
         "a double click"},
        {{WM_RBUTTONDOWN, WM_RBUTTONUP, WM_CONTEXTMENU}, {"right 30,40"}, "a right click"},
        {{WM_CONTEXTMENU}, {"right 30,40"}, "Shift+F10 or the menu key"},
    };
    tray->OnRightClick = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
      events.push_back("right " + std::to_string(x) + "," + std::to_string(y));
    };
    for (const Case& c : version4) {
      events.clear();
      for (LPARAM event : c.messages) {
        SendMessageA(tray->WindowHandle(), TTrayIcon::TrayCallbackMessage, MAKEWPARAM(30, 40),
                     MAKELPARAM(event, 0));
      }
      EXPECT_EQ(events, c.events) << "version 4: " << c.what;
    }
    tray->SetActive(false);
  }
  // Unassigned events are skipped.
  tray->OnClick = nullptr;
  tray->OnDblClick = nullptr;
  tray->OnRightClick = nullptr;
  SendMessageA(tray->WindowHandle(), TTrayIcon::TrayCallbackMessage, 0, WM_LBUTTONUP);
  SendMessageA(tray->WindowHandle(), TTrayIcon::TrayCallbackMessage, 0, WM_LBUTTONDBLCLK);
  SendMessageA(tray->WindowHandle(), TTrayIcon::TrayCallbackMessage, 0, WM_RBUTTONUP);
}

TEST_P(TrayIconTest, RightClickOpensTheMenuAtTheCursorThenRaisesOnRightClick) {
  // Wherever the pointer is: the X server, not the test, has the last word on it under Wine.
  POINT cursor{};
  GetCursorPos(&cursor);
  const std::string at = std::to_string(cursor.x) + "," + std::to_string(cursor.y);
  std::vector<std::string> log;
  MessageWindow pending;

  TTrayIcon* tray = NewTray();
  tray->OnRightClick = [&](TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
    EXPECT_EQ(sender, tray);
    EXPECT_EQ(button, TMouseButton::mbRight);
    EXPECT_EQ(shift, 0);
    log.push_back("right " + std::to_string(x) + "," + std::to_string(y));
  };

  struct Case {
    bool menu;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {false, {"right " + at}},
      {true, {"pending", "popup " + at, "right " + at}},
  };
  auto* menu = new RecordingMenu(owner_, log);
  for (const Case& c : cases) {
    log.clear();
    tray->PopupMenu = c.menu ? menu : nullptr;
    // With a menu, the messages waiting before it opens are dispatched first.
    pending.log = &log;
    PostMessageA(pending.Handle(), WM_USER + 7, 0, 0);
    SendMessageA(tray->WindowHandle(), TTrayIcon::TrayCallbackMessage, 0, WM_RBUTTONUP);
    pending.log = nullptr;
    EXPECT_EQ(log, c.log) << (c.menu ? "with" : "without") << " a popup menu";
    wintest::Pump();
  }
}

// A real menu: a thread timer closes it from inside its modal loop.
std::vector<std::string>* closing_log = nullptr;
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  closing_log->push_back("menu closes");
  EndMenu();
}

TEST_P(TrayIconTest, OnRightClickRunsAfterARealMenuHasClosed) {
  TTrayIcon* tray = NewTray();
  auto* menu = new TPopupMenu(owner_);
  auto* item = new TMenuItem(owner_);
  item->SetCaption("Wakora beenden");
  menu->Items()->Add(item);
  std::vector<std::string> log;
  menu->OnPopup = [&](TObject*) { log.push_back("menu opens"); };
  tray->OnRightClick = [&](TObject*, TMouseButton, TShiftState, int, int) {
    log.push_back("right click");
  };
  tray->PopupMenu = menu;
  closing_log = &log;
  SetTimer(nullptr, 0, 50, CloseMenu);
  SendMessageA(tray->WindowHandle(), TTrayIcon::TrayCallbackMessage, 0, WM_RBUTTONUP);
  EXPECT_EQ(log, (std::vector<std::string>{"menu opens", "menu closes", "right click"}));
}

TEST_P(TrayIconTest, AFreedPopupMenuIsForgotten) {
  TTrayIcon* tray = NewTray();
  auto* menu = new TPopupMenu(owner_);
  tray->PopupMenu = menu;
  delete menu;
  EXPECT_EQ(tray->PopupMenu, nullptr);
  int right_clicks = 0;
  tray->OnRightClick = [&](TObject*, TMouseButton, TShiftState, int, int) { ++right_clicks; };
  SendMessageA(tray->WindowHandle(), TTrayIcon::TrayCallbackMessage, 0, WM_RBUTTONUP);
  EXPECT_EQ(right_clicks, 1);
}

TEST_P(TrayIconTest, ShowAppShowsOrHidesTheApplicationWindowEveryTime) {
  HWND app = Application->Handle();
  TTrayIcon* tray = NewTray();
  EXPECT_FALSE(IsWindowVisible(app)) << "creating the control left the taskbar button";
  struct Case {
    bool visible_before;
    bool value;
    const char* breaks;
  };
  const Case cases[] = {
      {false, true, "the taskbar button does not come back"},
      {true, false, "the taskbar button stays"},
      {false, false, "-"},
      {true, true, "-"},
  };
  for (const Case& c : cases) {
    tray->SetShowApp(c.value);
    // Someone else shows or hides the window; the same value must still be applied.
    ShowWindow(app, c.visible_before ? SW_SHOW : SW_HIDE);
    tray->SetShowApp(c.value);
    EXPECT_EQ(tray->ShowApp(), c.value);
    EXPECT_EQ(IsWindowVisible(app) != FALSE, c.value) << c.breaks;
  }
  tray->SetShowApp(false);
}

TEST_P(TrayIconTest, WhileDesigningShowDesigningRulesTheTray) {
  TTrayIcon* tray = NewTray();
  tray->SetDesigning(true);
  tray->SetActive(true);
  EXPECT_TRUE(tray->Active());
  if (Recorded()) {
    EXPECT_TRUE(shell_calls.empty()) << "Active added an icon at design time";
  }
  tray->SetShowDesigning(true);
  tray->SetShowDesigning(true);
  if (Recorded()) {
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_ADD});
  }
  if (!Recorded()) {
    EXPECT_TRUE(InWineTray(tray->IconData()));
  }
  shell_calls.clear();
  delete tray;
  if (Recorded()) {
    EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_DELETE});
  }

  tray = NewTray();
  tray->SetShowDesigning(true);
  EXPECT_FALSE(tray->ShowDesigning()) << "ShowDesigning changed at run time";
  if (Recorded()) {
    EXPECT_TRUE(shell_calls.empty());
  }
}

TEST_P(TrayIconTest, DestructionRemovesTheIconOnlyWhenItIsThere) {
  for (bool active : {false, true}) {
    TTrayIcon* tray = NewTray();
    tray->SetToolTip("going");
    tray->SetActive(active);
    wintest::Pump();
    const TNotifyIconData record = tray->IconData();
    HWND window = tray->WindowHandle();
    shell_calls.clear();
    delete tray;
    if (Recorded()) {
      EXPECT_EQ(Messages(), active ? std::vector<DWORD>{NIM_DELETE} : std::vector<DWORD>{});
    }
    EXPECT_FALSE(InWineTray(record)) << "the icon outlived its control";
    EXPECT_FALSE(IsWindow(window)) << "the hidden window outlived its control";
  }
}

TEST_P(TrayIconTest, TaskbarCreatedAddsAnActiveIconAgain) {
  const UINT taskbar_created = RegisterWindowMessageA("TaskbarCreated");
  for (bool active : {false, true}) {
    TTrayIcon* tray = NewTray();
    tray->SetToolTip("again");
    tray->SetActive(active);
    wintest::Pump();
    // Explorer restarted: the old tray and its icons are gone.
    if (active && !Recorded()) {
      TNotifyIconData gone = tray->IconData();
      Shell_NotifyIconW(NIM_DELETE, &gone);
    }
    shell_calls.clear();
    // The shell broadcasts it; only a top-level window hears it.
    PostMessageA(HWND_BROADCAST, taskbar_created, 0, 0);
    wintest::Pump();
    if (Recorded()) {
      EXPECT_EQ(Messages(), active ? std::vector<DWORD>{NIM_ADD} : std::vector<DWORD>{})
          << (active ? "an active icon stayed out of the new tray" : "an inactive icon came in");
    } else {
      EXPECT_EQ(InWineTray(tray->IconData()), active);
    }
    delete tray;
  }
}

TEST_P(TrayIconTest, EmptyIDMessageRegistersNothingAndCreatesNoMapping) {
  TTrayIcon* tray = NewTray();
  tray->Loaded();
  EXPECT_EQ(tray->MessageID(), 0u);
  EXPECT_EQ(tray->MappingHandle(), nullptr);
  EXPECT_EQ(halts, 0);
  delete tray;  // closing no mapping must not touch handle 0
}

TEST_P(TrayIconTest, ASecondInstanceBroadcastsAndHalts) {
  const AnsiString name = "WakoraTrayTest" + IntToStr(static_cast<int>(GetCurrentProcessId()));
  MessageWindow listener;
  TTrayIcon* first = NewTray();
  first->IDMessage = name;
  first->Loaded();
  EXPECT_EQ(first->MessageID(), RegisterWindowMessageA(name.c_str()));
  ASSERT_NE(first->MappingHandle(), nullptr);
  EXPECT_EQ(halts, 0) << "the first instance took itself for a second one";
  HANDLE seen = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
  EXPECT_NE(seen, nullptr) << "no named mapping marks the running instance";
  if (seen) CloseHandle(seen);
  // Loading the same control again must not find its own mark.
  first->Loaded();
  EXPECT_EQ(halts, 0);

  TTrayIcon* second = NewTray();
  second->IDMessage = name;
  second->Loaded();
  EXPECT_EQ(halts, 1) << "the second instance went on";
  wintest::Pump();
  EXPECT_EQ(listener.received, std::vector<UINT>{first->MessageID()})
      << "the running instance was not told";

  // At design time a second instance is nothing unusual.
  TTrayIcon* designed = NewTray();
  designed->SetDesigning(true);
  designed->IDMessage = name;
  designed->Loaded();
  EXPECT_EQ(halts, 1);

  delete designed;
  delete second;
  delete first;
  seen = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
  EXPECT_EQ(seen, nullptr) << "the mapping outlived the controls";
  if (seen) CloseHandle(seen);
}

// --- Reading from a form description

class TTrayTestForm : public TForm {
  DECLARE_CLASS_INFO()
 public:
  using TForm::TForm;
  TTrayIcon* TrayIcon1 = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  void TrayIcon1Click(TObject*) { ++clicks; }
  int clicks = 0;
};

const TClassInfo& TTrayTestForm::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TTrayTestForm>("TTrayTestForm", &TForm::StaticClassInfo())
          .PublishInherited()
          .Field("TrayIcon1", &TTrayTestForm::TrayIcon1)
          .Field("PopupMenu1", &TTrayTestForm::PopupMenu1)
          .Method("TrayIcon1Click", &TTrayTestForm::TrayIcon1Click)
          .Build();
  return info;
}

AnsiString TrayForm(const AnsiString& tip) {
  return "object TrayTestForm: TTrayTestForm\n"
         "  object TrayIcon1: TTrayIcon\n"
         "    Active = True\n"
         "    ShowDesigning = False\n"
         "    Icon.Data = {" +
         Hex(ReadFileBytes("app/res/tray.ico")) +
         "}\n"
         "    ShowApp = False\n"
         "    ToolTip = '" +
         tip +
         "'\n"
         "    OnClick = TrayIcon1Click\n"
         "    OnDblClick = TrayIcon1Click\n"
         "    PopupMenu = PopupMenu1\n"
         "  end\n"
         "  object PopupMenu1: TPopupMenu\n"
         "  end\n"
         "end\n";
}

TEST_P(TrayIconTest, AFormAddsTheIconBeforeItsPictureAndTipAreRead) {
  struct Case {
    const char* tip;
  };
  for (const Case& c : {Case{""}, Case{"Wakora"}}) {
    shell_calls.clear();
    // Owned here, so that a failed assertion does not leave the form to the next test.
    std::unique_ptr<TTrayTestForm> form(new TTrayTestForm(Application));
    form->LoadFromText(TrayForm(c.tip));
    TTrayIcon* tray = form->TrayIcon1;
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(tray->PopupMenu, form->PopupMenu1);
    if (Recorded()) {
      // Active is read first: the icon goes in without picture or tip, then each setter
      // modifies it as its property is read; the tip empty at adding is applied once more.
      ASSERT_EQ(Messages(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_MODIFY}));
      EXPECT_EQ(shell_calls[0].record.hIcon, nullptr);
      EXPECT_EQ(Tip(shell_calls[0].record), "");
      EXPECT_NE(shell_calls[1].record.hIcon, nullptr);
      EXPECT_EQ(Tip(shell_calls[1].record), "");
      EXPECT_EQ(Tip(shell_calls[2].record), c.tip);
      wintest::Pump();
      ASSERT_EQ(shell_calls.size(), 4u);
      EXPECT_EQ(shell_calls[3].message, static_cast<DWORD>(NIM_MODIFY));
      EXPECT_EQ(Tip(shell_calls[3].record), c.tip);
    } else {
      wintest::Pump();
      EXPECT_TRUE(InWineTray(tray->IconData()));
    }
    EXPECT_FALSE(IsWindowVisible(Application->Handle()));
    SendMessageA(tray->WindowHandle(), TTrayIcon::TrayCallbackMessage, 0, WM_LBUTTONUP);
    SendMessageA(tray->WindowHandle(), TTrayIcon::TrayCallbackMessage, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(form->clicks, 2) << "handlers bound by name do not run";
    shell_calls.clear();
    form.reset();
    if (Recorded()) {
      EXPECT_EQ(Messages(), std::vector<DWORD>{NIM_DELETE});
    }
  }
}

TEST_P(TrayIconTest, AFormStoresEveryPropertyInOrder) {
  std::unique_ptr<TTrayTestForm> form(new TTrayTestForm(Application));
  form->LoadFromText(TrayForm("Wakora"));
  const AnsiString text = WriteComponentText(*form);
  size_t at = 0;
  for (const char* expected :
       {"Active = True", "ShowDesigning = False", "Icon.Data = {", "IDMessage = ''",
        "ShowApp = False", "ToolTip = 'Wakora'", "OnClick = TrayIcon1Click",
        "OnDblClick = TrayIcon1Click", "PopupMenu = PopupMenu1"}) {
    const size_t found = text.find(expected, at);
    EXPECT_NE(found, AnsiString::npos) << expected << " is missing or out of order in\n" << text;
    if (found != AnsiString::npos) at = found;
  }
}

// --- A real click in the desktop's notification area

void SendMouse(DWORD down, DWORD up) {
  INPUT input[2]{};
  input[0].type = INPUT_MOUSE;
  input[0].mi.dwFlags = down;
  input[1].type = INPUT_MOUSE;
  input[1].mi.dwFlags = up;
  SendInput(2, input, sizeof(INPUT));
}

TEST(TrayIconDesktop, ClicksInTheNotificationAreaReachTheEvents) {
  wintest::EnsureApplication();
  HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
  if (!taskbar) GTEST_SKIP() << "no notification area in this desktop";
  RECT bar;
  GetWindowRect(taskbar, &bar);
  TComponent owner(nullptr);
  auto* tray = new TTrayIcon(&owner);
  tray->Icon()->LoadFromFile(AnsiString(WAKORA_SOURCE_DIR) + "/app/res/tray.ico");
  // No tool tip: one that comes up under the pointer of a slow run takes the click.
  std::vector<std::string> events;
  tray->OnClick = [&](TObject*) { events.push_back("click"); };
  tray->OnRightClick = [&](TObject*, TMouseButton, TShiftState, int, int) {
    events.push_back("right");
  };
  tray->SetActive(true);
  wintest::Pump();
  // Our icon is the only one: the first at the right end of the taskbar.
  SetCursorPos(bar.right - 12, (bar.top + bar.bottom) / 2);
  const struct {
    DWORD down, up;
    const char* event;
  } clicks[] = {{MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, "click"},
                {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, "right"}};
  for (const auto& click : clicks) {
    events.clear();
    // The shell's process places a new icon and passes the click on; on a busy machine that
    // takes a while, and a click before the icon is placed goes nowhere: click again then.
    for (int attempt = 0; attempt < 3 && events.empty(); ++attempt) {
      SendMouse(click.down, click.up);
      for (int i = 0; i < 150 && events.empty(); ++i) {
        Sleep(10);
        wintest::Pump();
      }
    }
    EXPECT_EQ(events, std::vector<std::string>{click.event});
  }
}

// --- Two processes of one program

AnsiString ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  AnsiString folder = path;
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

HANDLE StartInstance(const AnsiString& name, const AnsiString& result_file) {
  AnsiString command = Format("\"%sTrayInstance.exe\" %s \"%s\"", ProgramFolder().c_str(),
                              name.c_str(), result_file.c_str());
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return process.hProcess;
}

AnsiString ReadResult(const AnsiString& file) {
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return "(none)";
  char text[256] = {};
  DWORD read = 0;
  ReadFile(handle, text, sizeof(text) - 1, &read, nullptr);
  CloseHandle(handle);
  return AnsiString(text, read);
}

DWORD FinishProcess(HANDLE process, DWORD wait_ms) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process, wait_ms) != WAIT_OBJECT_0) {
    TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
  }
  GetExitCodeProcess(process, &code);
  CloseHandle(process);
  return code;
}

TEST(TrayIconInstances, TheSecondProcessEndsAndTheFirstReceivesTheBroadcast) {
  const AnsiString name = "WakoraInstanceTest" + IntToStr(static_cast<int>(GetCurrentProcessId()));
  const AnsiString first_file = ProgramFolder() + name + "-first.txt";
  const AnsiString second_file = ProgramFolder() + name + "-second.txt";
  DeleteFileA(first_file.c_str());
  DeleteFileA(second_file.c_str());
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, (name + "-ready").c_str());

  HANDLE first = StartInstance(name, first_file);
  ASSERT_NE(first, nullptr) << "TrayInstance.exe cannot be started";
  HANDLE started[] = {ready, first};
  ASSERT_EQ(WaitForMultipleObjects(2, started, FALSE, 20000), WAIT_OBJECT_0)
      << "the first instance did not come up: " << ReadResult(first_file);

  HANDLE second = StartInstance(name, second_file);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(FinishProcess(second, 20000), 0u) << "the second instance did not end by itself";
  EXPECT_EQ(ReadResult(second_file), "add\ndelete\n")
      << "the second instance went on past Loaded, or left its icon in the tray";

  EXPECT_EQ(FinishProcess(first, 20000), 0u);
  EXPECT_EQ(ReadResult(first_file), "add\nrunning\nreceived\ndelete\n")
      << "the first instance was not told of the second";
  CloseHandle(ready);
  DeleteFileA(first_file.c_str());
  DeleteFileA(second_file.c_str());
}

}  // namespace
