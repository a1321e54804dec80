#include "app/u_Wakora.h"

#include <objbase.h>

#include "app/Handover.h"
#include "app/Services.h"
#include "controls-extra/Ccalendr.h"
#include "controls-extra/Cdiroutl.h"
#include "controls-extra/Cgauges.h"
#include "controls-extra/Cgrid.h"
#include "controls-extra/Perfgrap.h"
#include "controls-extra/Tflatcomboboxunit.h"
#include "framework/win/Platform.h"

TForm1* Form1 = nullptr;
bool FirstShow = true;
TDateTime AlarmTime = 0.0;
AnsiString SoundFile;
WaTrans* Trans = nullptr;

void InitWakoraGlobals() {
  AlarmTime = 0.0;
  SoundFile.clear();
  FirstShow = true;
}

const TClassInfo& TForm1::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TForm1>("TForm1", &TForm::StaticClassInfo())
          .PublishInherited()
          .Field("Wallpaper1", &TForm1::Wallpaper1)
          .Field("Panel1", &TForm1::Panel1)
          .Field("AniIcon1", &TForm1::AniIcon1)
          .Field("Image1", &TForm1::Image1)
          .Field("SpeedButton1", &TForm1::SpeedButton1)
          .Field("ComboBox1", &TForm1::ComboBox1)
          .Field("Label1", &TForm1::Label1)
          .Field("DateTimePicker1", &TForm1::DateTimePicker1)
          .Field("ComboBox2", &TForm1::ComboBox2)
          .Field("Bevel1", &TForm1::Bevel1)
          .Field("CheckBox1", &TForm1::CheckBox1)
          .Field("Label2", &TForm1::Label2)
          .Field("Bevel2", &TForm1::Bevel2)
          .Field("Label3", &TForm1::Label3)
          .Field("Edit1", &TForm1::Edit1)
          .Field("Label4", &TForm1::Label4)
          .Field("RadioButton1", &TForm1::RadioButton1)
          .Field("RadioButton2", &TForm1::RadioButton2)
          .Field("Label5", &TForm1::Label5)
          .Field("CSpinEdit1", &TForm1::CSpinEdit1)
          .Field("Bevel3", &TForm1::Bevel3)
          .Field("TrayIcon1", &TForm1::TrayIcon1)
          .Field("Timer1", &TForm1::Timer1)
          .Field("PopupMenu1", &TForm1::PopupMenu1)
          .Field("Homepage1", &TForm1::Homepage1)
          .Field("Menanzeigen1", &TForm1::Menanzeigen1)
          .Field("Beenden1", &TForm1::Beenden1)
          .Field("Button1", &TForm1::Button1)
          .Field("OpenDialog1", &TForm1::OpenDialog1)
          .Field("Label6", &TForm1::Label6)
          .Method("AniIcon1Click", &TForm1::AniIcon1Click)
          .Method("FormShow", &TForm1::FormShow)
          .Method("ComboBox2Change", &TForm1::ComboBox2Change)
          .Method("ComboBox1Change", &TForm1::ComboBox1Change)
          .Method("SpeedButton1Click", &TForm1::SpeedButton1Click)
          .Method("Timer1Timer", &TForm1::Timer1Timer)
          .Method("DateTimePicker1Click", &TForm1::DateTimePicker1Click)
          .Method("CSpinEdit1Click", &TForm1::CSpinEdit1Click)
          .Method("TrayIcon1Click", &TForm1::TrayIcon1Click)
          .Method("Beenden1Click", &TForm1::Beenden1Click)
          .Method("Button1Click", &TForm1::Button1Click)
          .Method("DateTimePicker1Change", &TForm1::DateTimePicker1Change)
          .Method("CSpinEdit1Change", &TForm1::CSpinEdit1Change)
          .Method("FormCreate", &TForm1::FormCreate)
          .Build();
  return info;
}

// ---------------------------------------------------------------------------------------------
// Start-up, texts and the language list

void TForm1::FormCreate(TObject*) {
  Trans = new WaTrans();
  TrayIcon1->OnBalloonClick = [this](TObject* sender) { TrayIcon1BalloonClick(sender); };
}

void TForm1::FormShow(TObject*) {
  if (!FirstShow) return;
  DateTimePicker1->SetTime(AlarmServices().Now());
  FirstShow = false;
  ApplyTexts();
  ComboBox2->SetItemIndex(0);

  int selected = 0;
  const AnsiString active = AsciiUpperCase(Trans->Text(0));
  for (int i = 0; i < Trans->LanguageCount; ++i) {
    const AnsiString& name = Trans->LanguageName(i);
    ComboBox1->Items()->Add(name);
    if (AsciiUpperCase(name) == active) selected = i;
  }
  ComboBox1->SetItemIndex(selected);
}

void ApplyTexts() {
  Form1->SpeedButton1->SetCaption(Trans->Text(2));
  Form1->Label1->SetCaption(Trans->Text(3));
  Form1->Label2->SetCaption(Trans->Text(4));
  Form1->Label3->SetCaption(Trans->Text(5));
  Form1->Label4->SetCaption(Trans->Text(6));
  Form1->Edit1->SetText(Trans->Text(7));
  Form1->Label5->SetCaption(Trans->Text(8));
  TMenuItem* items = Form1->PopupMenu1->Items();
  items->Items(0)->SetCaption(Trans->Text(9));
  items->Items(1)->SetCaption(Trans->Text(10));
  items->Items(2)->SetCaption(Trans->Text(11));
}

void TForm1::ComboBox1Change(TObject*) {
  const int index = ComboBox1->ItemIndex();
  const AnsiString name =
      index >= 0 && index < ComboBox1->Items()->Count() ? (*ComboBox1->Items())[index] : "";
  Trans->SelectLanguage(name, false);
  ApplyTexts();
}

// ---------------------------------------------------------------------------------------------
// Arming and firing

void TForm1::SpeedButton1Click(TObject*) {
  TAlarmRequest asked;
  if (RadioButton2->Checked()) {
    asked.When = TAlarmWhen::In;
    asked.Minutes = CSpinEdit1->GetValue();
  } else {
    const TTimeParts picked = DecodeTime(DateTimePicker1->Time());
    asked.When = TAlarmWhen::At;
    asked.Hour = picked.Hour;
    asked.Minute = picked.Minute;
  }
  TAlarmServices& services = AlarmServices();
  const TAlarmDue due =
      RequestDue(services.ZoneRule(), services.UtcNow(), services.TickCount(), asked);
  Arm(due);
  Record(due, ChosenAlarm());
}

void TForm1::Arm(const TAlarmDue& due) {
  ShowWindow(Application->Handle(), SW_HIDE);
  AniIcon1->SetAnimated(false);
  Hide();
  // The wall-clock target stays on record; the alarm itself waits for its due.
  AlarmTime = AlarmServices().Now() + CSpinEdit1->GetValue() * kMinuteStep;
  FAlarmDue = due;
  Timer1->SetEnabled(true);
  ShowDue();
}

TAlarmRequest TForm1::ChosenAlarm() const {
  TAlarmRequest alarm;
  alarm.HasText = true;
  alarm.Text = Edit1->Text();
  alarm.Sound =
      ComboBox2->ItemIndex() >= 0 && ComboBox2->ItemIndex() <= 3 ? ComboBox2->ItemIndex() : -1;
  if (alarm.Sound == 3) alarm.SoundFile = SoundFile;
  return alarm;
}

void TForm1::Record(const TAlarmDue& due, const TAlarmRequest& alarm) {
  if (FRecordId.empty()) FRecordId = NewRecordId();
  TAlarmServices& services = AlarmServices();
  TAlarmRequest kept = alarm;
  kept.Id = FRecordId;
  const TAlarmRequest record =
      RecordRequest(services.ZoneRule(), due, services.UtcNow(), services.TickCount(), kept);
  FRecorded = services.RecordAlarm(FRecordId, AlarmArguments(record));
}

void TForm1::ShowDue() {
  TAlarmServices& services = AlarmServices();
  const TZoneRule zone = services.ZoneRule();
  const TDueMoment due = DueMoment(zone, FAlarmDue, services.UtcNow(), services.TickCount());
  const bool wakes = services.SetWakeTimer(FileTimeFromUtc(due.Start), TRUE);
  // A countdown rings after its real minutes, at whatever the clock then shows.
  if (FAlarmDue.Countdown) FAlarmDue.Wall = LocalFromUtc(zone, due.Start);
  AnsiString tip = AlarmTipText(services.ShortTimeFormat(), FAlarmDue.Wall);
  // Nobody should believe that a computer that cannot wake for the alarm will.
  if (!wakes) {
    const AnsiString& stay_awake = Trans->Text(kStayAwakeText);
    tip += "\n" + (stay_awake.empty() ? AnsiString(EnglishText(kStayAwakeText)) : stay_awake);
  }
  TrayIcon1->SetToolTip(tip);
}

void TForm1::Disarm() {
  Timer1->SetEnabled(false);
  FPending.reset();
  AlarmServices().CancelWakeTimer();
  TrayIcon1->SetToolTip("");
  if (FRecorded) AlarmServices().ForgetAlarm(FRecordId);
  FRecorded = false;
}

bool TForm1::Busy() const {
  return Timer1->Enabled() || FPending || FRinging;
}

void TForm1::Timer1Timer(TObject*) {
  TAlarmServices& services = AlarmServices();
  bool due = AlarmOverdue(services.ZoneRule(), FAlarmDue, services.UtcNow(), services.TickCount());
  // A countdown counts real minutes only: after the clock jumps forward (daylight saving, the
  // time service) its target's minute on the clock would come early. A time of day rings when
  // the clock's hour and minute are its own (on its day, when it has one), whatever the
  // locale's time format shows; the overdue check above catches a minute that passed between
  // two ticks.
  if (!FAlarmDue.Countdown && !due) {
    const TDateTime now = services.Now();
    const TTimeParts clock = DecodeTime(now);
    const TMilliseconds target = FAlarmDue.Wall / kMinuteMs;
    due = clock.Hour * 60 + clock.Minute == target % (24 * 60) &&
          (!FAlarmDue.Dated || static_cast<TMilliseconds>(DatePart(now)) == target / (24 * 60));
  }
  if (due) {
    Disarm();
    FireAlarm();
  }
}

void TForm1::CheckAlarm() {
  if (!Timer1->Enabled()) return;
  Timer1Timer(Timer1);
  // The clock may have moved under the wake-up timer's due time and the tip's time.
  if (Timer1->Enabled()) ShowDue();
}

void TForm1::WMPowerBroadcast(TMessage& message) {
  if (message.WParam == PBT_APMRESUMEAUTOMATIC) PostMessageA(Handle(), CheckAlarmMessage, 0, 0);
}

void TForm1::WMTimeChange(TMessage&) {
  PostMessageA(Handle(), CheckAlarmMessage, 0, 0);
}

void TForm1::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_POWERBROADCAST:
      WMPowerBroadcast(message);
      break;
    case WM_TIMECHANGE:
      WMTimeChange(message);
      break;
    case CheckAlarmMessage:
      CheckAlarm();
      return;
    case WM_ENABLE:
      // A modal box or dialog closed: a request that waited for it is armed once the code
      // that opened it has finished.
      if (message.WParam && FPending) PostMessageA(Handle(), ArmPendingMessage, 0, 0);
      break;
    case ArmPendingMessage:
      ArmPending();
      return;
    default:
      break;
  }
  TForm::WndProc(message);
}

TForm1::~TForm1() {
  if (Timer1 && Timer1->Enabled()) AlarmServices().CancelWakeTimer();
}

namespace {

// Keeps the system and the display awake while it lives, then gives back the state that was
// there before. A computer woken for the alarm with nobody at it would otherwise turn the
// display off and sleep again within minutes, the alarm unanswered.
class TKeepAwake {
 public:
  TKeepAwake()
      : previous_(AlarmServices().SetExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED |
                                                    ES_DISPLAY_REQUIRED)) {}
  // A failed request set nothing, and "continuous, nothing required" is the state of a thread
  // that never asked.
  ~TKeepAwake() { AlarmServices().SetExecutionState(ES_CONTINUOUS | previous_); }
  TKeepAwake(const TKeepAwake&) = delete;
  TKeepAwake& operator=(const TKeepAwake&) = delete;

 private:
  EXECUTION_STATE previous_;
};

// Windows gives the foreground only to a program the user is working with, and a hidden tray
// program whose timer fires is not one: refused it, the ringing alarm asks for attention in the
// ways left to it, the caption and taskbar button flashing and a notification beside the tray
// icon, until its message is answered.
class TAttention {
 public:
  TAttention() {
    const HWND foreground = AlarmServices().ForegroundWindow();
    const HWND application = Application->Handle();
    refused_ = foreground != application && foreground != Form1->Handle() &&
               GetWindow(foreground, GW_OWNER) != application &&
               GetWindow(foreground, GW_OWNER) != Form1->Handle();
    if (!refused_) return;
    Flash(FLASHW_ALL | FLASHW_TIMERNOFG);
    Form1->TrayIcon1->ShowBalloon("Wakora", Form1->Edit1->Text());
  }
  ~TAttention() {
    if (!refused_ || !Form1) return;
    Flash(FLASHW_STOP);
    Form1->TrayIcon1->HideBalloon();
  }
  TAttention(const TAttention&) = delete;
  TAttention& operator=(const TAttention&) = delete;

 private:
  static void Flash(DWORD flags) {
    AlarmServices().FlashWindow(Form1->Handle(), flags);
    AlarmServices().FlashWindow(Application->Handle(), flags);
  }
  bool refused_ = false;
};

}  // namespace

void FireAlarm() {
  const TKeepAwake awake;
  Form1->FRinging = true;
  const TScopeExit rung([] {
    if (Form1) Form1->FRinging = false;
  });
  Form1->Show();
  ShowWindow(Application->Handle(), SW_RESTORE);
  if (IsIconic(Form1->Handle())) ShowWindow(Form1->Handle(), SW_RESTORE);
  SetForegroundWindow(Application->Handle());
  Form1->SetFormStyle(TFormStyle::fsStayOnTop);
  const TAttention attention;
  if (Form1->ComboBox2->ItemIndex() == 3) {
    PlaySoundFile(SoundFile);
  } else {
    PlayBuiltInSound(Form1->ComboBox2->ItemIndex());
  }
  AlarmServices().ShowMessage("Wakora: " + Form1->Edit1->Text());
  Form1->SetFormStyle(TFormStyle::fsNormal);
  Form1->AniIcon1->SetAnimated(true);
}

void TForm1::TrayIcon1BalloonClick(TObject*) {
  // The user clicked: the system lets the program to the front now, with the message on top.
  Show();
  ShowWindow(Application->Handle(), SW_RESTORE);
  SetForegroundWindow(GetLastActivePopup(Application->Handle()));
}

void TForm1::DateTimePicker1Click(TObject*) {
  RadioButton1->SetChecked(true);
}

void TForm1::DateTimePicker1Change(TObject*) {
  RadioButton1->SetChecked(true);
}

void TForm1::CSpinEdit1Click(TObject*) {
  RadioButton2->SetChecked(true);
}

void TForm1::CSpinEdit1Change(TObject*) {
  RadioButton2->SetChecked(true);
}

// ---------------------------------------------------------------------------------------------
// Arming from a start's arguments

bool TForm1::TakeHandOver(const TAlarmRequest& alarm) {
  if (Busy()) return false;
  ArmFromRequest(alarm);
  return true;
}

void TForm1::ArmFromRequest(const TAlarmRequest& alarm) {
  if (Timer1->Enabled() || FPending) Disarm();
  TAlarmServices& services = AlarmServices();
  const TAlarmDue due =
      RequestDue(services.ZoneRule(), services.UtcNow(), services.TickCount(), alarm);
  if (!alarm.Id.empty()) FRecordId = alarm.Id;
  TAlarmRequest recorded = ChosenAlarm();
  if (alarm.HasText) recorded.Text = alarm.Text;
  if (alarm.Sound >= 0) {
    recorded.Sound = alarm.Sound;
    recorded.SoundFile = alarm.SoundFile;
  }
  Record(due, recorded);
  FPending = TPendingAlarm{alarm, due};
  ArmPending();
}

void TForm1::ArmPending() {
  // A modal box disables its owner; hiding the owner now would leave the box over a hidden
  // window, and the code that opened it would go on with a window armed under it.
  if (!FPending || !IsWindowEnabled(Handle())) return;
  const TPendingAlarm pending = *FPending;
  FPending.reset();
  const TAlarmRequest& alarm = pending.Alarm;
  if (FirstShow) FormShow(this);
  TAlarmServices& services = AlarmServices();
  switch (alarm.When) {
    case TAlarmWhen::In:
    case TAlarmWhen::Moment: {
      // As typed: the field keeps any number until it loses the focus, and arming reads it so.
      // A moment shows the minutes left, rounded up.
      const TMilliseconds left =
          DueMoment(services.ZoneRule(), pending.Due, services.UtcNow(), services.TickCount())
              .Start -
          services.UtcNow();
      const TMilliseconds minutes =
          alarm.When == TAlarmWhen::In
              ? alarm.Minutes
              : std::max<TMilliseconds>(0, (left + kMinuteMs - 1) / kMinuteMs);
      CSpinEdit1->SetText(IntToStr(static_cast<int>(std::min<TMilliseconds>(minutes, 999999))));
      RadioButton2->SetChecked(true);
      break;
    }
    case TAlarmWhen::At:
    case TAlarmWhen::OnDate:
      DateTimePicker1->SetTime(EncodeTime(alarm.Hour, alarm.Minute, 0, 0));
      RadioButton1->SetChecked(true);
      break;
  }
  if (alarm.HasText) Edit1->SetText(alarm.Text);
  if (alarm.Sound >= 0) {
    SoundFile = alarm.Sound == 3 ? alarm.SoundFile : AnsiString();
    ComboBox2->SetItemIndex(alarm.Sound);
  }
  Arm(pending.Due);
  // A moment that passed while a box was open rings as soon as the box has closed.
  if (AlarmOverdue(services.ZoneRule(), FAlarmDue, services.UtcNow(), services.TickCount())) {
    PostMessageA(Handle(), CheckAlarmMessage, 0, 0);
  }
}

// ---------------------------------------------------------------------------------------------
// The sound

// An alarm clock is never silent: a chosen sound that is gone or cannot be played gives way to
// the first built-in one, and that one, missing too, to the system's default sound.
void PlayBuiltInSound(int index) {
  AnsiString path = AlarmServices().ModulePath();
  if (path.size() >= 4) path.erase(path.size() - 4);
  const AnsiString first = path + "1.wav";
  switch (index) {
    case 0:
      path += "1.wav";
      break;
    case 1:
      path += "2.wav";
      break;
    case 2:
      path += "3.wav";
      break;
    default:
      break;
  }
  if (path != first && AlarmServices().PlaySound(path, SND_ASYNC | SND_NODEFAULT)) return;
  AlarmServices().PlaySound(first, SND_ASYNC);
}

void PlaySoundFile(AnsiString fileName) {
  AnsiString extension = fileName.size() > 3 ? fileName.substr(fileName.size() - 3) : fileName;
  extension = AlarmServices().LowerCase(extension);
  const bool played = AlarmServices().CompareText(extension, "wav") == 0
                          ? AlarmServices().PlaySound(fileName, SND_ASYNC | SND_NODEFAULT)
                          : AlarmServices().ShellExecute("Open", fileName, "", "", SW_SHOW);
  if (!played) PlayBuiltInSound(0);
}

void TForm1::ComboBox2Change(TObject*) {
  SoundFile.clear();
  if (ComboBox2->ItemIndex() == 3) {
    if (OpenDialog1->Execute()) {
      SoundFile = OpenDialog1->FileName();
    } else {
      ComboBox2->SetItemIndex(0);
    }
  }
  if (SoundFile.empty()) {
    PlayBuiltInSound(ComboBox2->ItemIndex());
  } else {
    PlaySoundFile(SoundFile);
  }
}

void TForm1::Button1Click(TObject*) {
  SoundFile.clear();
  if (OpenDialog1->Execute()) {
    SoundFile = OpenDialog1->FileName();
    ComboBox2->SetItemIndex(3);
  } else {
    ComboBox2->SetItemIndex(0);
  }
  if (SoundFile.empty()) {
    PlayBuiltInSound(ComboBox2->ItemIndex());
  } else {
    PlaySoundFile(SoundFile);
  }
}

// ---------------------------------------------------------------------------------------------
// The tray menu and the homepage

void TForm1::TrayIcon1Click(TObject*) {
  Disarm();
  Show();
  ShowWindow(Application->Handle(), SW_RESTORE);
  SetForegroundWindow(Application->Handle());
  SetFormStyle(TFormStyle::fsNormal);
  AniIcon1->SetAnimated(true);
}

void TForm1::Beenden1Click(TObject*) {
  // The user quits: the alarm goes with the program, and its record too. A program ended by
  // the system (a sign-out, an update) keeps it for the next logon.
  Disarm();
  Close();
}

void TForm1::AniIcon1Click(TObject*) {
  // A language file is handed around: its text 1 must not start a program or open a share.
  const AnsiString address = Trans->Text(1);
  const AnsiString scheme = AsciiLowerCase(address.substr(0, address.find("//") + 2));
  if (scheme != "http://" && scheme != "https://") return;
  AlarmServices().ShellExecute("Open", address, "", "", SW_SHOW);
}

// ---------------------------------------------------------------------------------------------
// The program's entry

namespace {

// A start with arguments that another copy takes over, or that only shows a message, ends
// here, with the process's exit code.
bool StartEndsHere(const TStartRequest& start, TRunningCopy& runningCopy, int& exitCode) {
  switch (start.Kind) {
    case TStartKind::Usage:
    case TStartKind::Bad:
      ShowStartMessage(start);
      return true;
    case TStartKind::Alarm: {
      // Without its texts the program cannot run: it says so rather than seem to arm.
      const std::vector<AnsiString> missing = WaTrans::MissingFiles();
      if (!missing.empty()) {
        ShowMissingLanguageFiles(missing);
        exitCode = 1;
        return true;
      }
      return runningCopy.HandOver(start.Alarm);
    }
    case TStartKind::Normal:
      break;
  }
  return false;
}

// Enters this copy as one that later starts may hand their alarms to; they arrive at the
// application's window, which lives as long as the program. The answer is TRUE when the
// window took the alarm, FALSE when it waits for one of its own.
void TakeHandOvers(TRunningCopy& runningCopy) {
  Application->HookMainWindow([](TMessage& message) {
    if (message.Msg != WM_COPYDATA || !Form1) return false;
    TAlarmRequest alarm;
    if (!ReadHandOver(reinterpret_cast<const COPYDATASTRUCT*>(message.LParam), ResolveExistingFile,
                      alarm)) {
      return false;
    }
    message.Result = Form1->TakeHandOver(alarm) ? TRUE : FALSE;
    return true;
  });
  runningCopy.Enter(Application->Handle());
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  // Before anything looks at a file: a drive without a medium (an empty card reader) fails the
  // look quietly instead of stopping the program with the system's "no disk" box. And before
  // the shell is asked anything: its handlers of some files (songs, videos) are reached
  // through COM.
  SetErrorMode(SetErrorMode(SEM_FAILCRITICALERRORS) | SEM_FAILCRITICALERRORS);
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  const TScopeExit uninitialize([com] {
    if (SUCCEEDED(com)) CoUninitialize();
  });
  InitWakoraGlobals();
  TRunningCopy runningCopy;
  int exitCode = 0;
  try {
    InitApplication();
    const TStartRequest start = ParseStartArguments(StartArguments(), ResolveExistingFile);
    if (StartEndsHere(start, runningCopy, exitCode)) {
      DoneApplication();
      return exitCode;
    }
    // The icon first: the windows made from here on carry it from their start.
    Application->SetIconResource("MAINICON");
    Application->Initialize();
    // The program carries the library's controls: a form description it reads may name them.
    Perfgrap::Register();
    Cgauges::Register();
    Tflatcomboboxunit::Register();
    Cdiroutl::Register();
    Cgrid::Register();
    Ccalendr::Register();
    LanguageServices().RequestTermination = [] { Application->Terminate(); };
    Application->CreateForm(Form1);
    if (start.Kind == TStartKind::Alarm) {
      // Armed from the start, the window stays hidden as after the start button; armed before
      // it is entered, so that a start at the same moment finds it busy and arms its own.
      Form1->ArmFromRequest(start.Alarm);
      TakeHandOvers(runningCopy);
      while (Application->HandleMessage()) {
      }
    } else {
      TakeHandOvers(runningCopy);
      Application->Run(show);
    }
  } catch (const std::exception& error) {
    if (Application) {
      Application->ShowException(error);
    } else {
      MessageBoxW(nullptr, WideText(error.what()).c_str(), L"Wakora", MB_OK | MB_ICONSTOP);
    }
  }
  DoneApplication();
  return 0;
}
