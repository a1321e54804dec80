// Arming, ticking and firing; the sound choice; the tray menu. All through the services seam:
// the clock is set by the test, sounds, the shell and the message box are recorded.
#include "tests/app/AppTest.h"

#include <stdexcept>

#include "framework/win/Handles.h"
#include "framework/win/Platform.h"
#include "tests/Widefolder.h"

namespace {

struct ClockFormat {
  const char* Name;
  TTimeFormat Format;
};

void PrintTo(const ClockFormat& format, std::ostream* out) {
  *out << format.Name;
}

const ClockFormat kFormats[] = {
    {"24-hour", {"HH:mm:ss", "AM", "PM"}},
    {"12-hour, marker behind", {"h:mm:ss tt", "AM", "PM"}},
    {"12-hour, marker in front", {"tt hh:mm:ss", "AM", "PM"}},
    {"12-hour, empty markers", {"h:mm:ss tt", "", ""}},
    {"hours only", {"HH' Uhr'", "", ""}},  // its texts are equal for a whole hour
};

class AlarmTest : public apptest::WindowTest, public ::testing::WithParamInterface<ClockFormat> {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    time_format_ = GetParam().Format;
    StartWindow();
  }
  void SetPicker(int hour, int minute, int second) {
    Form1->DateTimePicker1->SetTime(EncodeTime(hour, minute, second, 0));
  }
  void Arm() { Form1->SpeedButton1Click(Form1->SpeedButton1); }
  bool Fired() const { return !messages_.empty(); }
};

TEST_P(AlarmTest, CountdownRingsItsMinutesAfterArmingToTheSecond) {
  SetClock(10, 0, 50);
  Form1->CSpinEdit1->SetValue(1);
  EXPECT_TRUE(Form1->RadioButton2->Checked());
  Arm();
  EXPECT_FALSE(IsWindowVisible(Form1->Handle()));
  EXPECT_FALSE(IsWindowVisible(Application->Handle()));
  EXPECT_TRUE(Form1->Timer1->Enabled());
  EXPECT_FALSE(Form1->AniIcon1->Animated());
  Tick(10, 1, 0);
  Tick(10, 1, 49);
  EXPECT_FALSE(Fired()) << "a minute is sixty seconds, whenever it is armed";
  Tick(10, 1, 50);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "Wakora: Die Zeit ist um!");
  EXPECT_FALSE(Form1->Timer1->Enabled());
  EXPECT_TRUE(IsWindowVisible(Form1->Handle()));
  EXPECT_TRUE(IsWindowVisible(Application->Handle()));
  // After the box: no longer on top, the icon moves again.
  EXPECT_EQ(Form1->FormStyle(), TFormStyle::fsNormal);
  EXPECT_TRUE(Form1->AniIcon1->Animated());
  ASSERT_EQ(sounds_.size(), 1u);
  EXPECT_EQ(sounds_[0].File, AnsiString(folder_ + "\\Wakora1.wav"));
  EXPECT_EQ(sounds_[0].Flags, static_cast<UINT>(SND_ASYNC));
}

TEST_P(AlarmTest, TheWindowIsTopmostExactlyWhileTheMessageShows) {
  bool topmost_during_message = false;
  AlarmServices().ShowMessage = [&](const AnsiString& text) {
    messages_.push_back(text);
    topmost_during_message = GetWindowLongA(Form1->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST;
  };
  SetPicker(12, 0, 0);
  SetClock(11, 59, 59);
  Arm();
  Tick(12, 0, 0);
  ASSERT_TRUE(Fired());
  EXPECT_TRUE(topmost_during_message);
  EXPECT_FALSE(GetWindowLongA(Form1->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongA(Application->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) << "app";
}

TEST_P(AlarmTest, TimeOfDayFiresInThePickersMinuteWhateverItsSeconds) {
  SetPicker(14, 30, 45);
  SetClock(14, 29, 58);
  Arm();
  Tick(14, 29, 59);
  EXPECT_FALSE(Fired());
  Tick(14, 30, 0);
  EXPECT_TRUE(Fired());
}

TEST_P(AlarmTest, PassedTimeFiresTheNextDay) {
  SetPicker(9, 0, 0);
  SetClock(10, 0, 0);
  Arm();
  Tick(10, 0, 1);
  Tick(23, 59, 59);
  Tick(0, 0, 0, 1);
  Tick(8, 59, 59, 1);  // asleep until just before
  EXPECT_FALSE(Fired());
  Tick(9, 0, 5, 1);
  EXPECT_TRUE(Fired());
}

TEST_P(AlarmTest, ASleepOverTheTargetFiresOnceAtWhatComesFirstAfterIt) {
  const struct {
    bool Countdown;
    UINT Message;  // the first tick, the resume, or a clock change
    WPARAM Event;
  } cases[] = {{false, WM_TIMER, 1},
               {true, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC},
               {false, WM_TIMECHANGE, 0}};
  for (const auto& c : cases) {
    messages_.clear();
    SetPicker(12, 0, 0);
    SetClock(11, 50, 30);
    c.Countdown ? Form1->CSpinEdit1->SetValue(10) : Form1->RadioButton1->SetChecked(true);
    Arm();
    Tick(11, 52, 0);
    SetClock(12, 7, 0);  // asleep: both clocks jumped 15 minutes
    SendMessageA(c.Message == WM_TIMER ? Form1->Timer1->Handle() : Form1->Handle(), c.Message,
                 c.Event, 0);
    wintest::Pump();
    EXPECT_EQ(messages_.size(), 1u) << c.Message;
    SendMessageA(Form1->Handle(), WM_TIMECHANGE, 0, 0);
    Tick(12, 7, 1);
    EXPECT_EQ(messages_.size(), 1u) << c.Message;
  }
}

TEST_P(AlarmTest, AClockSetBackDuringACountdownFiresOnTime) {
  SetClock(10, 0, 30);
  Form1->CSpinEdit1->SetValue(10);
  Arm();
  Tick(10, 5, 30);
  ChangeClock(-60);
  SendMessageA(Form1->Handle(), WM_TIMECHANGE, 0, 0);
  wintest::Pump();
  ASSERT_EQ(wake_sets_.size(), 2u);
  EXPECT_EQ(wake_sets_[1].first, FileTimeAt(9, 10, 30)) << "the wake-up moves with the clock";
  Tick(9, 10, 29);
  EXPECT_FALSE(Fired());
  Tick(9, 10, 30);
  EXPECT_EQ(messages_.size(), 1u);
}

TEST_P(AlarmTest, ASkippedTickInsideTheMinuteStillFires) {
  SetPicker(14, 30, 0);
  SetClock(14, 29, 50);
  Arm();
  Tick(14, 29, 59);
  Tick(14, 30, 37);  // the ticks of 14:30:00 to 14:30:36 never came
  EXPECT_TRUE(Fired());
}

TEST_P(AlarmTest, TheOtherHalfOfTheDayDoesNotFire) {
  SetPicker(9, 5, 0);
  SetClock(21, 4, 0);
  Arm();
  Tick(21, 5, 0);
  Tick(21, 5, 30);
  EXPECT_FALSE(Fired()) << "9:05 in the evening is not 9:05 in the morning";
  Tick(9, 5, 30, 1);
  EXPECT_TRUE(Fired());
}

TEST_P(AlarmTest, ZeroMinutesFiresAtOnce) {
  SetClock(16, 20, 10);
  // Typed, and the focus still in the field as the start button hides the window.
  Form1->CSpinEdit1->SetFocus();
  Form1->CSpinEdit1->SetText("0");
  EXPECT_TRUE(Form1->RadioButton2->Checked());
  Arm();
  Tick(16, 20, 11);
  EXPECT_TRUE(Fired());
}

TEST_P(AlarmTest, EmptyReminderShowsThePrefixAlone) {
  Form1->Edit1->SetText("");
  SetPicker(12, 0, 0);
  SetClock(12, 0, 1);
  Arm();
  Tick(12, 0, 2);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], "Wakora: ");
}

TEST_P(AlarmTest, FiresOncePerArming) {
  SetPicker(12, 0, 0);
  SetClock(12, 0, 1);
  Arm();
  Tick(12, 0, 2);
  Tick(12, 0, 3);
  Tick(12, 0, 4);
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_EQ(sounds_.size(), 1u);
  Arm();
  Tick(12, 0, 5);
  EXPECT_EQ(messages_.size(), 2u);
}

TEST_P(AlarmTest, ClearingTheCheckBoxDoesNotSilenceTheAlarm) {
  Form1->CheckBox1->SetChecked(false);
  Form1->ComboBox2->SetItemIndex(2);
  SetPicker(12, 0, 0);
  SetClock(12, 0, 1);
  Arm();
  Tick(12, 0, 2);
  ASSERT_EQ(sounds_.size(), 1u);
  EXPECT_EQ(sounds_[0].File, AnsiString(folder_ + "\\Wakora3.wav"));
}

// Zones as Windows states them, written here where Wine's own zone data is wrong.
constexpr int kHour = 60 * 60 * 1000;
// Summer time from the last Sunday of March, 02:00, to the last Sunday of October, 03:00.
const TZoneRule kCentralEurope{60, 120, {0, 3, 5, 0, 2 * kHour}, {0, 10, 5, 0, 3 * kHour}};
// Lord Howe Island: half an hour of summer time, from the first Sunday of October, 02:00, to
// the first Sunday of April, 02:00.
const TZoneRule kLordHowe{630, 660, {0, 10, 1, 0, 2 * kHour}, {0, 4, 1, 0, 2 * kHour}};

class CountdownTest : public apptest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    StartWindow();
  }
};

// A countdown of N minutes rings N minutes of real time after it was armed, whatever the wall
// clock does meanwhile; the tip names the clock's minute then.
TEST_F(CountdownTest, CountsRealMinutesWhateverTheClockDoes) {
  const auto local = [](int month, int day, int hour, int minute, int second) {
    return EncodeDate(2026, month, day) + EncodeTime(hour, minute, second, 0);
  };
  const struct {
    const char* Name;
    const TZoneRule* Zone;  // null: the process's own
    TDateTime Armed;        // local
    const char* Typed;      // the minutes field as the user typed it
    int ClockSet;           // minutes the clock is set forward right after arming
    int Fires;              // seconds of real time after arming
    const char* Tip;        // before it rings
  } cases[] = {
      // clang-format off
      {"spring night in Europe", &kCentralEurope, local(3, 29, 1, 30, 20), "90", 0,
       90 * 60, "Wakora – 04:00"},
      {"spring night on Lord Howe", &kLordHowe, local(10, 4, 1, 50, 20), "45", 0,
       45 * 60, "Wakora – 03:05"},
      {"clock set forward", nullptr, local(12, 7, 10, 0, 30), "90", 60, 90 * 60,
       "Wakora – 12:30"},
      {"a day typed", nullptr, local(12, 7, 10, 0, 30), "1440", 0, 1440 * 60,
       "Wakora – 10:00"},
      {"more than a day typed", nullptr, local(12, 7, 10, 0, 30), "1500", 0, 1500 * 60,
       "Wakora – 11:00"},
      {"zero typed", nullptr, local(12, 7, 10, 0, 30), "0", 0, 1, "Wakora – 10:00"},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    messages_.clear();
    zone_ = c.Zone ? std::optional(*c.Zone) : std::nullopt;
    SetWallClock(c.Armed);
    // Typed, and the focus still in the field as the start button hides the window.
    Form1->CSpinEdit1->SetFocus();
    Form1->CSpinEdit1->SetText(c.Typed);
    Form1->SpeedButton1Click(Form1->SpeedButton1);
    if (c.ClockSet != 0) {
      ChangeClock(c.ClockSet);
      SendMessageA(Form1->Handle(), WM_TIMECHANGE, 0, 0);
      wintest::Pump();
    }
    EXPECT_EQ(Form1->TrayIcon1->ToolTip(), c.Tip);
    // A tick every five minutes, one a second before it is due, and one when it is due.
    const TMilliseconds fires = c.Fires * 1000LL;
    std::vector<TMilliseconds> ticks;
    for (TMilliseconds at = 1000; at < fires - 1000; at += 5 * kMinuteMs) ticks.push_back(at);
    if (fires > 1000) ticks.push_back(fires - 1000);
    ticks.push_back(fires);
    TMilliseconds passed = 0;
    for (const TMilliseconds at : ticks) {
      PassTime(at - passed);
      passed = at;
      Tick();
      if (!messages_.empty()) break;
    }
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_EQ(passed / 1000, c.Fires) << "seconds after arming";
    if (Form1->Timer1->Enabled()) Form1->TrayIcon1Click(Form1->TrayIcon1);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, AlarmTest, ::testing::ValuesIn(kFormats), [](const auto& info) {
  std::string name;
  for (char c : std::string(info.param.Name)) {
    if (isalnum(static_cast<unsigned char>(c))) name += c;
  }
  return name;
});

// ---------------------------------------------------------------------------------------------
// The sound

std::string chosen_file;  // UTF-8
OPENFILENAMEW seen_dialog;
std::string seen_filter;  // ASCII
std::string seen_default_extension;

std::string Ascii(const wchar_t* text) {
  return std::string(text, text + wcslen(text));
}

BOOL WINAPI DialogCancels(OPENFILENAMEW* ofn) {
  seen_dialog = *ofn;
  seen_default_extension = ofn->lpstrDefExt ? Ascii(ofn->lpstrDefExt) : "";
  seen_filter.clear();
  for (const wchar_t* p = ofn->lpstrFilter; p && *p; p += lstrlenW(p) + 1) {
    seen_filter += Ascii(p) + "|";
  }
  return FALSE;
}

BOOL WINAPI DialogAcceptsChosenFile(OPENFILENAMEW* ofn) {
  lstrcpynW(ofn->lpstrFile, WidePath(chosen_file).c_str(), static_cast<int>(ofn->nMaxFile));
  return TRUE;
}

class SoundTest : public apptest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    StartWindow();
    real_dialog_ = DialogServices();
    DialogServices().RunDialog = DialogCancels;
  }
  void TearDown() override {
    DialogServices() = real_dialog_;
    WindowTest::TearDown();
  }
  // The dialog accepts `file` as the user's choice.
  static void DialogAccepts(const std::string& file) {
    chosen_file = file;
    DialogServices().RunDialog = DialogAcceptsChosenFile;
  }
  TDialogServices real_dialog_;
  void UserPicks(int index) {
    Form1->ComboBox2->SetItemIndex(index);
    Form1->ComboBox2Change(Form1->ComboBox2);
  }
};

TEST_F(SoundTest, PickingASoundPlaysItsFileAtOnce) {
  UserPicks(1);
  ASSERT_EQ(sounds_.size(), 1u);
  EXPECT_EQ(sounds_[0].File, AnsiString(folder_ + "\\Wakora2.wav"));
  EXPECT_EQ(sounds_[0].Flags, static_cast<UINT>(SND_ASYNC | SND_NODEFAULT));
  EXPECT_TRUE(SoundFile.empty());
}

// An alarm clock is never silent: a sound that is gone or refused gives way to the first
// built-in one, and the user's choice stays as it was.
TEST_F(SoundTest, AnAlarmWhoseSoundFailsRingsWithTheFirstBuiltInOne) {
  const AnsiString first = folder_ + "\\Wakora1.wav", second = folder_ + "\\Wakora2.wav";
  const AnsiString wave = "C:\\music\\moved.wav", song = "C:\\music\\moved.mp3";
  constexpr UINT kAsync = SND_ASYNC, kOrNothing = SND_ASYNC | SND_NODEFAULT;
  const struct {
    const char* Name;
    int Index;        // the list's entry
    AnsiString File;  // the user's file, for entry 3
    bool Fails;       // the chosen sound plays nothing, or the shell refuses it
    std::vector<apptest::SoundCall> Played;
    size_t Opened;  // by the shell
  } cases[] = {
      {"built-in sound", 1, "", false, {{second, kOrNothing}}, 0},
      {"built-in sound missing", 1, "", true, {{second, kOrNothing}, {first, kAsync}}, 0},
      {"first built-in sound missing: the system's", 0, "", true, {{first, kAsync}}, 0},
      {"user's wave", 3, wave, false, {{wave, kOrNothing}}, 0},
      {"user's wave moved away", 3, wave, true, {{wave, kOrNothing}, {first, kAsync}}, 0},
      {"user's song", 3, song, false, {}, 1},
      {"user's song refused by the shell", 3, song, true, {{first, kAsync}}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.Index == 3) {
      DialogAccepts(c.File.c_str());
      Form1->Button1Click(Form1->Button1);
    } else {
      UserPicks(c.Index);
    }
    unplayable_.clear();
    if (c.Fails) unplayable_.insert(c.Index == 3 ? c.File : c.Index == 0 ? first : second);
    shell_refuses_ = c.Fails;
    sounds_.clear();
    shell_.clear();
    Form1->DateTimePicker1->SetTime(EncodeTime(12, 0, 0, 0));
    Form1->SpeedButton1Click(nullptr);
    Tick(12, 0, 30);
    ASSERT_EQ(messages_.size(), 1u);
    messages_.clear();
    EXPECT_EQ(sounds_, c.Played);
    EXPECT_EQ(shell_.size(), c.Opened);
    EXPECT_EQ(Form1->ComboBox2->ItemIndex(), c.Index);
    EXPECT_EQ(SoundFile, c.File);
  }
}

TEST_F(SoundTest, CancellingTheUsersChoiceGoesBackToTheFirstSound) {
  UserPicks(3);
  EXPECT_EQ(Form1->ComboBox2->ItemIndex(), 0);
  EXPECT_TRUE(SoundFile.empty());
  ASSERT_EQ(sounds_.size(), 1u);
  EXPECT_EQ(sounds_[0].File, AnsiString(folder_ + "\\Wakora1.wav"));
}

TEST_F(SoundTest, TheButtonAcceptedShowsUserSelectedAndPreviews) {
  DialogAccepts("C:\\music\\song.mp3");
  Form1->Button1Click(Form1->Button1);
  EXPECT_EQ(Form1->ComboBox2->ItemIndex(), 3);
  EXPECT_EQ(SoundFile, "C:\\music\\song.mp3");
  ASSERT_EQ(shell_.size(), 1u);
  EXPECT_EQ(shell_[0].Verb, "Open");
  EXPECT_EQ(shell_[0].File, "C:\\music\\song.mp3");
  // Cancelled next time, it forgets the file.
  DialogServices().RunDialog = DialogCancels;
  Form1->Button1Click(Form1->Button1);
  EXPECT_EQ(Form1->ComboBox2->ItemIndex(), 0);
  EXPECT_TRUE(SoundFile.empty());
  EXPECT_EQ(sounds_.back().File, AnsiString(folder_ + "\\Wakora1.wav"));
}

TEST_F(SoundTest, OnlyTheLastThreeCharactersDecideWhatIsAWave) {
  const struct {
    const char* File;
    bool Wave;
  } cases[] = {
      {"C:\\a\\ring.wav", true},
      {"C:\\a\\RING.WAV", true},
      {"C:\\a\\ring.Wav", true},
      {"C:\\a\\ringwav", true},
      {"C:\\a\\ring.mp3", false},
      {"C:\\a\\ring.mid", false},
      {"C:\\a\\clip.AVI", false},
      {"wav", true},
      {"av", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    sounds_.clear();
    shell_.clear();
    PlaySoundFile(c.File);
    EXPECT_EQ(sounds_.size(), c.Wave ? 1u : 0u);
    EXPECT_EQ(shell_.size(), c.Wave ? 0u : 1u);
  }
}

TEST_F(SoundTest, AUsersFilePlaysAgainWhenTheAlarmFires) {
  DialogAccepts("C:\\music\\wake.mp3");
  UserPicks(3);
  EXPECT_EQ(SoundFile, "C:\\music\\wake.mp3");
  shell_.clear();
  Form1->DateTimePicker1->SetTime(EncodeTime(12, 0, 0, 0));
  Form1->SpeedButton1Click(nullptr);
  Tick(12, 0, 30);
  ASSERT_EQ(shell_.size(), 1u);
  EXPECT_EQ(shell_[0].File, "C:\\music\\wake.mp3");
}

TEST_F(SoundTest, AFileNamedOutsideTheCodePagePlaysByItsName) {
  const std::string file = folder_ + "\\" + widefolder::Name() + ".wav";
  apptest::WriteFile(file, "RIFF");
  DialogAccepts(file);
  Form1->Button1Click(Form1->Button1);
  ASSERT_EQ(sounds_.size(), 1u);
  EXPECT_EQ(sounds_[0].File, file);
  EXPECT_TRUE(FileExists(sounds_[0].File));
}

TEST_F(SoundTest, ARenamedProgramLooksForItsOwnSoundNames) {
  exe_path_ = folder_ + "\\clock.exe";
  PlayBuiltInSound(0);
  PlayBuiltInSound(2);
  PlayBuiltInSound(7);
  ASSERT_EQ(sounds_.size(), 3u);
  EXPECT_EQ(sounds_[0].File, AnsiString(folder_ + "\\clock1.wav"));
  EXPECT_EQ(sounds_[1].File, AnsiString(folder_ + "\\clock3.wav"));
  EXPECT_EQ(sounds_[2].File, AnsiString(folder_ + "\\clock"));
}

TEST_F(SoundTest, TheDialogOffersTheSixFiltersAndRequiresAnExistingFile) {
  Form1->Button1Click(nullptr);
  const OPENFILENAMEW& seen = seen_dialog;
  EXPECT_EQ(seen_filter,
            "WAV-Audio-Dateien (.wav)|*.wav|MP3-Audio (.mp3)|*.mp3|MIDI-Dateien (.mid)|*.mid|"
            "VideoDateien (.avi)|*.AVI|MPEG-Video (.mpg)|*.MPG|AlleDateien (*.*)|*.*|");
  EXPECT_TRUE(seen.Flags & OFN_HIDEREADONLY);
  EXPECT_TRUE(seen.Flags & OFN_FILEMUSTEXIST);
  EXPECT_TRUE(seen.Flags & OFN_ENABLESIZING);
  EXPECT_EQ(seen_default_extension, "mp3");
}

// ---------------------------------------------------------------------------------------------
// The tray icon and its menu

class TrayTest : public apptest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    StartWindow();
  }
  void TrayMessage(UINT mouse) {
    SendMessageA(Form1->TrayIcon1->WindowHandle(), WM_USER + 1, 0, mouse);
    wintest::Pump();
  }
  void ArmForNoon() {
    Form1->DateTimePicker1->SetTime(EncodeTime(12, 0, 0, 0));
    SetClock(11, 58, 0);
    Form1->SpeedButton1Click(nullptr);
  }
};

TEST_F(TrayTest, DoubleClickRunsTheClickHandlerRepeatedlyAndEndsIdle) {
  ArmForNoon();
  TrayMessage(WM_LBUTTONDOWN);
  TrayMessage(WM_LBUTTONUP);
  TrayMessage(WM_LBUTTONDBLCLK);
  TrayMessage(WM_LBUTTONUP);
  EXPECT_FALSE(Form1->Timer1->Enabled());
  EXPECT_TRUE(IsWindowVisible(Form1->Handle()));
  EXPECT_TRUE(IsWindowVisible(Application->Handle()));
  EXPECT_EQ(Form1->FormStyle(), TFormStyle::fsNormal);
  EXPECT_TRUE(Form1->AniIcon1->Animated());
}

TEST_F(TrayTest, ShowItemWhileVisibleChangesNothingElse) {
  Form1->Edit1->SetText("call mum");
  Form1->Menanzeigen1->Click();
  EXPECT_TRUE(IsWindowVisible(Form1->Handle()));
  EXPECT_EQ(Form1->Edit1->Text(), "call mum");
  EXPECT_TRUE(sounds_.empty());
}

TEST_F(TrayTest, ClickWhileArmedCancelsWithoutSoundOrMessage) {
  ArmForNoon();
  TrayMessage(WM_LBUTTONUP);
  Tick(12, 0, 1);
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(sounds_.empty());
  EXPECT_FALSE(Form1->Timer1->Enabled());
}

TEST_F(TrayTest, TheTipAndTheWakeTimerFollowTheArmedAlarm) {
  const auto tip = [] { return Form1->TrayIcon1->ToolTip(); };
  ArmForNoon();
  EXPECT_EQ(tip(), "Wakora – 12:00");
  ASSERT_EQ(wake_sets_.size(), 1u);
  EXPECT_EQ(wake_sets_[0], std::make_pair(FileTimeAt(12, 0, 0), TRUE)) << "resume on";
  TrayMessage(WM_LBUTTONUP);
  EXPECT_EQ(tip(), "");
  EXPECT_EQ(wake_cancels_, 1) << "cancelled from the tray";
  Form1->CSpinEdit1->SetValue(13);
  Form1->SpeedButton1Click(nullptr);
  EXPECT_EQ(tip(), "Wakora – 12:11");
  Tick(12, 11, 0);
  EXPECT_EQ(tip(), "");
  EXPECT_EQ(wake_cancels_, 2) << "fired";
  wakes_ = false;  // the system cannot wake the computer for it
  Form1->RadioButton1->SetChecked(true);
  ArmForNoon();
  EXPECT_EQ(tip(), "Wakora – 12:00\nDer PC muss für den Wecker wach bleiben");
  TrayMessage(WM_LBUTTONUP);
  wakes_ = true;
  ArmForNoon();
  delete Form1;
  Form1 = nullptr;
  EXPECT_EQ(wake_cancels_, 4) << "the program ended";
}

// Windows gives the foreground only to the program the user works with: refused it, the ringing
// alarm flashes and shows a notification until its message is answered.
TEST_F(TrayTest, ARefusedForegroundFlashesAndNotifiesUntilTheMessageIsAnswered) {
  AlarmServices().ForegroundWindow = [] { return GetDesktopWindow(); };
  std::vector<std::wstring> notes;  // what the notifications said while the message showed
  const TTrayServices tray = TrayServices();
  TrayServices().ShellNotify = [&](DWORD message, PNOTIFYICONDATAW data) {
    if (data->uFlags & NIF_INFO) notes.push_back(data->szInfo);
    return tray.ShellNotify(message, data);
  };
  const TScopeExit restore([tray] { TrayServices() = tray; });
  size_t flashes_during = 0;
  AlarmServices().ShowMessage = [&](const AnsiString& text) {
    messages_.push_back(text);
    flashes_during = flashes_.size();
  };
  Form1->Edit1->SetText("Tee");
  ArmForNoon();
  Tick(12, 0, 0);
  ASSERT_EQ(messages_.size(), 1u);
  const DWORD kUntilInFront = FLASHW_ALL | FLASHW_TIMERNOFG;
  EXPECT_EQ(flashes_, (std::vector<std::pair<HWND, DWORD>>{{Form1->Handle(), kUntilInFront},
                                                           {Application->Handle(), kUntilInFront},
                                                           {Form1->Handle(), FLASHW_STOP},
                                                           {Application->Handle(), FLASHW_STOP}}));
  EXPECT_EQ(flashes_during, 2u);
  EXPECT_EQ(notes, (std::vector<std::wstring>{L"Tee", L""})) << "shown, then taken away";
}

// The record brings an armed alarm back after a restart, and only an armed one.
TEST_F(TrayTest, AnAlarmIsRecordedUntilItIsCancelledRingsOrTheUserQuits) {
  Form1->Edit1->SetText("Tea é");
  Form1->ComboBox2->SetItemIndex(1);
  ArmForNoon();
  ASSERT_EQ(records_.size(), 1u);
  const AnsiString id = records_.begin()->first;
  EXPECT_EQ(records_[id], (std::vector<AnsiString>{"/at", "2026-12-07T12:00", "/text", "Tea é",
                                                   "/sound", "2", "/id", id}));
  TrayMessage(WM_LBUTTONUP);
  EXPECT_TRUE(records_.empty()) << "cancelled from the tray";
  ArmForNoon();
  Tick(12, 0, 0);
  EXPECT_TRUE(records_.empty()) << "rang";
  ArmForNoon();
  Form1->Beenden1->Click();
  EXPECT_TRUE(records_.empty()) << "the user quit";
  ArmForNoon();
  delete Form1;
  Form1 = nullptr;
  EXPECT_EQ(records_.size(), 1u) << "ended by the system, it comes back at the next logon";
}

// A computer woken for the alarm with nobody at it stays awake, the display on, until the
// message is answered, and then may sleep again: never left awake.
TEST_F(TrayTest, TheComputerStaysAwakeExactlyWhileTheAlarmShows) {
  constexpr EXECUTION_STATE kAwake = ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED;
  const struct {
    const char* Name;
    void (*During)();  // while the message shows
  } cases[] = {
      {"answered", [] {}},
      {"the message box fails", [] { throw std::runtime_error("no message box"); }},
  };
  wintest::ExceptionRecorder exceptions;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXECUTION_STATE during = 0;
    AlarmServices().ShowMessage = [&](const AnsiString&) {
      during = execution_state_;
      c.During();
    };
    ArmForNoon();
    EXPECT_EQ(execution_state_, static_cast<EXECUTION_STATE>(ES_CONTINUOUS)) << "armed";
    Tick(12, 0, 0);
    EXPECT_EQ(during, kAwake);
    EXPECT_EQ(execution_state_, static_cast<EXECUTION_STATE>(ES_CONTINUOUS));
  }
  EXPECT_EQ(exceptions.messages.size(), 1u);
}

TEST_F(TrayTest, HomepageWhileArmedLeavesTheAlarmArmedAndTheWindowHidden) {
  ArmForNoon();
  Form1->Homepage1->Click();
  ASSERT_EQ(shell_.size(), 1u);
  EXPECT_EQ(shell_[0].Verb, "Open");
  EXPECT_EQ(shell_[0].File, Trans->Text(1));
  EXPECT_TRUE(Form1->Timer1->Enabled());
  EXPECT_FALSE(IsWindowVisible(Form1->Handle()));
}

TEST_F(TrayTest, QuittingWhileArmedEndsWithoutASound) {
  ArmForNoon();
  Form1->Beenden1->Click();
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "no quit request";
  EXPECT_TRUE(sounds_.empty());
  EXPECT_TRUE(messages_.empty());
}

// Text 1 of a language file reaches the shell only as a web address.
TEST_F(TrayTest, OnlyAWebAddressIsOpened) {
  const struct {
    const char* Address;
    bool Opened;
  } cases[] = {
      // clang-format off
      {"https://example.org/wakora", true},
      {"HTTP://EXAMPLE.ORG", true},
      {"C:\\windows\\notepad.exe", false},
      {"\\\\server\\share\\run.exe", false},
      {"file:///C:/windows/notepad.exe", false},
      {"", false},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Address);
    apptest::WriteFile(folder_ + "\\Wakora.t09",
                       std::string("[0]\r\nTestish\r\n[1]\r\n") + c.Address + "\r\n[END]\r\n");
    Trans->Reload();
    ASSERT_EQ(Trans->SelectLanguage("Testish", false), 1);
    shell_.clear();
    Form1->AniIcon1Click(Form1->AniIcon1);
    Form1->Homepage1->Click();
    EXPECT_EQ(shell_.size(), c.Opened ? 2u : 0u);
  }
}

TEST_F(TrayTest, HomepageAfterALanguageChangeOpensTheNewAddress) {
  apptest::WriteFile(
      folder_ + "\\Wakora.t09",
      "[0]\r\nTestish\r\n[1]\r\nhttps://example.org/testish\r\n[2]\r\nGo\r\n[END]\r\n");
  // A language installed after the start: the catalogue reads the names again, then selects it.
  Trans->Reload();
  ASSERT_EQ(Trans->SelectLanguage("Testish", false), 1);
  ApplyTexts();
  Form1->AniIcon1Click(Form1->AniIcon1);
  Form1->Homepage1->Click();
  ASSERT_EQ(shell_.size(), 2u);
  EXPECT_EQ(shell_[0].File, "https://example.org/testish");
  EXPECT_EQ(shell_[1].File, "https://example.org/testish");
}

}  // namespace
