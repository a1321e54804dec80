// The program's main unit: its entry, the alarm window TForm1 and everything the window does
// (arming and firing the alarm, the sound, the tray menu, the texts and the language list).
//
// The window is created from its form description (u_Wakora.form, embedded as resource
// TFORM1); the application owns it, and it owns its controls. The language catalogue is made
// when the window is created and lives until the program ends.
#pragma once

#include <optional>

#include "app/Alarmdue.h"
#include "app/Cmdline.h"
#include "controls/Aniicon.h"
#include "controls/Cspin.h"
#include "controls/Trayicon.h"
#include "controls/Wallpapr.h"
#include "framework/win/Buttons.h"
#include "framework/win/ComCtrls.h"
#include "framework/win/Dialogs.h"
#include "framework/win/ExtCtrls.h"
#include "framework/win/Forms.h"
#include "framework/win/Menus.h"
#include "framework/win/StdCtrls.h"
#include "framework/win/Timer.h"
#include "lang/Watranskomp.h"

class TForm1 : public TForm {
  DECLARE_CLASS_INFO()
 public:
  using TForm::TForm;
  ~TForm1() override;

  TWallpaper* Wallpaper1 = nullptr;
  TPanel* Panel1 = nullptr;
  TAniIcon* AniIcon1 = nullptr;
  TImage* Image1 = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TLabel* Label1 = nullptr;
  TDateTimePicker* DateTimePicker1 = nullptr;
  TComboBox* ComboBox2 = nullptr;
  TBevel* Bevel1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TLabel* Label2 = nullptr;
  TBevel* Bevel2 = nullptr;
  TLabel* Label3 = nullptr;
  TEdit* Edit1 = nullptr;
  TLabel* Label4 = nullptr;
  TRadioButton* RadioButton1 = nullptr;
  TRadioButton* RadioButton2 = nullptr;
  TLabel* Label5 = nullptr;
  TCSpinEdit* CSpinEdit1 = nullptr;
  TBevel* Bevel3 = nullptr;
  TTrayIcon* TrayIcon1 = nullptr;
  TTimer* Timer1 = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;
  TMenuItem* Homepage1 = nullptr;
  TMenuItem* Menanzeigen1 = nullptr;
  TMenuItem* Beenden1 = nullptr;
  TButton* Button1 = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
  TLabel* Label6 = nullptr;

  void AniIcon1Click(TObject* Sender);
  void FormShow(TObject* Sender);
  void ComboBox2Change(TObject* Sender);
  void ComboBox1Change(TObject* Sender);
  void SpeedButton1Click(TObject* Sender);
  void Timer1Timer(TObject* Sender);
  void DateTimePicker1Click(TObject* Sender);
  void CSpinEdit1Click(TObject* Sender);
  void TrayIcon1Click(TObject* Sender);
  void Beenden1Click(TObject* Sender);
  void Button1Click(TObject* Sender);
  void DateTimePicker1Change(TObject* Sender);
  void CSpinEdit1Change(TObject* Sender);
  void FormCreate(TObject* Sender);
  // A click on the notification of a ringing alarm: the window and its message to the front.
  void TrayIcon1BalloonClick(TObject* Sender);

  // Takes an alarm that another start hands over, unless this copy waits for an alarm of its
  // own or one is ringing: the other start then arms a copy of its own (false). An armed alarm
  // is never replaced.
  bool TakeHandOver(const TAlarmRequest& alarm);
  // Arms the alarm that a start's arguments ask for. Its due moment is fixed and recorded at
  // once; the window work (the controls set as the user would set them, then hidden as after
  // the start button) waits while a modal box or dialog of the window is open. A window not
  // yet shown gets its first show's texts and lists first and stays hidden.
  void ArmFromRequest(const TAlarmRequest& alarm);
  // An alarm is armed, waits for a box to close to be armed, or rings.
  bool Busy() const;

 protected:
  void WndProc(TMessage& message) override;

 private:
  friend void FireAlarm();

  // Posted to the form to look at the armed alarm at once.
  static constexpr UINT CheckAlarmMessage = WM_APP + 1;
  // After a resume from sleep and after a change of the clock the alarm is looked at at once,
  // from a posted message: the system's sender must not wait for the alarm's message box.
  void WMPowerBroadcast(TMessage& message);
  void WMTimeChange(TMessage& message);
  void CheckAlarm();
  // Hides the window as the start button does and waits for `due`.
  void Arm(const TAlarmDue& due);
  // Sets the wake-up timer to the armed alarm's due moment, and the tray tip to its time.
  void ShowDue();
  // Records `due`, with the reminder and the sound of `alarm`, for the next logon.
  void Record(const TAlarmDue& due, const TAlarmRequest& alarm);
  // The reminder and the sound as the controls show them.
  TAlarmRequest ChosenAlarm() const;
  // Disarms: the timer, a request waiting to be armed, the wake-up timer, the tray tip and the
  // record.
  void Disarm();

  TAlarmDue FAlarmDue;   // when the armed alarm is due
  AnsiString FRecordId;  // the name of this copy's record; made at its first arming
  bool FRecorded = false;
  bool FRinging = false;

  // Posted when the window is enabled again, to arm a request that waited for it.
  static constexpr UINT ArmPendingMessage = WM_APP + 33;
  void ArmPending();
  struct TPendingAlarm {
    TAlarmRequest Alarm;
    TAlarmDue Due;
  };
  std::optional<TPendingAlarm> FPending;
};

// The window's globals.
extern TForm1* Form1;
extern bool FirstShow;
extern TDateTime AlarmTime;
extern AnsiString SoundFile;
extern WaTrans* Trans;

// One minute as the alarm adds it: slightly less than 1/1440 of a day.
constexpr double kMinuteStep = 0.00069444444;

// Puts the catalogue's texts on the window's controls and tray-menu items.
void ApplyTexts();
// Raises the alarm: the window on top, the sound, the reminder in a message box.
void FireAlarm();
// Plays built-in sound 0, 1 or 2: the executable's path less ".exe" plus "1.wav" and so on.
void PlayBuiltInSound(int index);
// Plays a file: a wave file through the sound call, anything else through the shell.
void PlaySoundFile(AnsiString fileName);
// Resets the globals to their start values (the unit's initialisation; tests call it again).
void InitWakoraGlobals();
