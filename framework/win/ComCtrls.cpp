#include "framework/win/ComCtrls.h"

#include <commctrl.h>
#include <windowsx.h>

#include "framework/core/Datetext.h"
#include "framework/win/Locale.h"

namespace {

TDateTime Now() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return SystemTimeToDateTime(now);
}

// Whether the window shows `value`, which may carry milliseconds that the window drops.
bool ShowsToTheSecond(const SYSTEMTIME& shown, TDateTime value) {
  const TDateParts date = DecodeDate(value);
  const TTimeParts time = DecodeTime(value);
  return shown.wYear == date.Year && shown.wMonth == date.Month && shown.wDay == date.Day &&
         shown.wHour == time.Hour && shown.wMinute == time.Minute && shown.wSecond == time.Second;
}

}  // namespace

SYSTEMTIME DateTimeToSystemTime(TDateTime value) {
  const TDateParts date = DecodeDate(value);
  if (date.Year < 1601 || date.Year > 9999) {
    throw EConvertError(Format("%g is not a date between the years 1601 and 9999", value));
  }
  const TTimeParts time = DecodeTime(value);
  SYSTEMTIME result{};
  result.wYear = static_cast<WORD>(date.Year);
  result.wMonth = static_cast<WORD>(date.Month);
  result.wDay = static_cast<WORD>(date.Day);
  result.wDayOfWeek = static_cast<WORD>(DayOfWeek(value) - 1);
  result.wHour = static_cast<WORD>(time.Hour);
  result.wMinute = static_cast<WORD>(time.Minute);
  result.wSecond = static_cast<WORD>(time.Second);
  result.wMilliseconds = static_cast<WORD>(time.Millisecond);
  return result;
}

TDateTime SystemTimeToDateTime(const SYSTEMTIME& time) {
  return WithTimeOfDay(EncodeDate(time.wYear, time.wMonth, time.wDay),
                       EncodeTime(time.wHour, time.wMinute, time.wSecond, time.wMilliseconds));
}

const TEnumInfo& EnumInfoOf(TDateTimeKind) {
  static const TEnumInfo info{{"dtkDate", "dtkTime"}};
  return info;
}

const TEnumInfo& EnumInfoOf(TDTDateFormat) {
  static const TEnumInfo info{{"dfShort", "dfLong"}};
  return info;
}

const TClassInfo& TDateTimePicker::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TDateTimePicker>("TDateTimePicker", &TWinControl::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Align"})
          .Property("Date", &TDateTimePicker::Date, &TDateTimePicker::SetDate)
          .Property("Time", &TDateTimePicker::Time, &TDateTimePicker::SetTime)
          .Publish({"Color", "Ctl3D", "Cursor"})
          .Property("DateFormat", &TDateTimePicker::DateFormat, &TDateTimePicker::SetDateFormat,
                    Default(TDTDateFormat::dfShort))
          .Publish({"Enabled", "Font"})
          .Property("Kind", &TDateTimePicker::Kind, &TDateTimePicker::SetKind,
                    Default(TDateTimeKind::dtkDate))
          .Property("ParseInput", &TDateTimePicker::ParseInput, &TDateTimePicker::SetParseInput,
                    Default(false))
          .Publish({"ParentColor", "ParentCtl3D", "ParentFont"})
          .Publish(kPublishHints)
          .Publish(kPublishTabStop)
          .Publish({"Visible"})
          .Property("OnChange", &TDateTimePicker::OnChange, &TDateTimePicker::OnChange)
          .Publish(
              {"OnClick", "OnDblClick", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"})
          .Build();
  return info;
}

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner), value_(Now()) {
  // The system control handles the mouse itself; our click comes from WMLButtonUp.
  SetControlStyle(csDoubleClicks);
  SetTabStop(true);
  SetBounds(0, 0, 186, 21);
}

void TDateTimePicker::CreateParams(TCreateParams& params) {
  InitCommonControls(ICC_DATE_CLASSES);
  TWinControl::CreateParams(params);
  params.SystemClass = DATETIMEPICK_CLASSA;
  if (kind_ == TDateTimeKind::dtkTime) {
    params.Style |= DTS_TIMEFORMAT;  // with up-down arrows
  } else {
    params.Style |=
        date_format_ == TDTDateFormat::dfLong ? DTS_LONGDATEFORMAT : DTS_SHORTDATEFORMAT;
  }
  if (parse_input_) params.Style |= DTS_APPCANPARSE;
  if (Ctl3D()) params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TDateTimePicker::HandleCreated() {
  TWinControl::HandleCreated();
  if (kind_ == TDateTimeKind::dtkTime) {
    // The system shows the long format, whose seconds crowd a narrow picker and cut off the
    // half-day marker; a time of day is set to the minute.
    const AnsiString format = locale::ShortTimeFormat();
    SendMessageW(WindowHandle(), DTM_SETFORMATW, 0,
                 reinterpret_cast<LPARAM>(WideText(format).c_str()));
  }
  ShowValue();
}

void TDateTimePicker::DestroyWnd() {
  if (HandleAllocated()) value_ = DateTime();
  TWinControl::DestroyWnd();
}

void TDateTimePicker::ShowValue() {
  if (!HandleAllocated()) return;
  SYSTEMTIME time = DateTimeToSystemTime(value_);
  setting_ = true;
  const LRESULT accepted =
      SendMessageW(WindowHandle(), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
  setting_ = false;
  if (!accepted) {
    throw EConvertError(
        Format("The picker refuses the date %04u-%02u-%02u", time.wYear, time.wMonth, time.wDay));
  }
}

TDateTime TDateTimePicker::DateTime() const {
  if (!HandleAllocated()) return value_;
  SYSTEMTIME shown{};
  if (SendMessageW(WindowHandle(), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&shown)) !=
      GDT_VALID) {
    return value_;
  }
  if (ShowsToTheSecond(shown, value_)) return value_;
  return SystemTimeToDateTime(shown);
}

void TDateTimePicker::SetDateTime(TDateTime value) {
  DateTimeToSystemTime(value);  // refuse a value the picker cannot show before taking it
  const TDateTime old = value_;
  value_ = value;
  TScopeExit restore([this, old] { value_ = old; });
  ShowValue();
  restore.Dismiss();
}

void TDateTimePicker::SetDate(TDateTime date) {
  SetDateTime(WithTimeOfDay(date, Time()));
}

void TDateTimePicker::SetTime(TDateTime time) {
  SetDateTime(WithTimeOfDay(DateTime(), time));
}

void TDateTimePicker::SetKind(TDateTimeKind kind) {
  if (kind == kind_) return;
  kind_ = kind;
  RecreateWnd();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat format) {
  if (format == date_format_) return;
  date_format_ = format;
  RecreateWnd();
}

void TDateTimePicker::SetParseInput(bool parse_input) {
  if (parse_input == parse_input_) return;
  parse_input_ = parse_input;
  RecreateWnd();
}

void TDateTimePicker::CNNotify(TMessage& message) {
  const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
  message.Result = 0;
  if (header->code == DTN_USERSTRINGA) {
    auto* typed = reinterpret_cast<NMDATETIMESTRINGA*>(message.LParam);
    UserString(typed->pszUserString ? typed->pszUserString : "", typed->st, typed->dwFlags);
    return;
  }
  if (header->code == DTN_USERSTRINGW) {
    auto* typed = reinterpret_cast<NMDATETIMESTRINGW*>(message.LParam);
    const AnsiString text =
        typed->pszUserString ? TextOf(typed->pszUserString, wcslen(typed->pszUserString)) : "";
    UserString(text, typed->st, typed->dwFlags);
    return;
  }
  if (header->code != DTN_DATETIMECHANGE) return;
  const auto* change = reinterpret_cast<const NMDATETIMECHANGE*>(message.LParam);
  if (change->dwFlags != GDT_VALID) return;
  value_ = SystemTimeToDateTime(change->st);
  if (!setting_) Change();
}

void TDateTimePicker::UserString(const AnsiString& text, SYSTEMTIME& time, DWORD& flags) {
  TDateTime value = DateTime();
  TDateTime typed;
  if (kind_ == TDateTimeKind::dtkTime ? TryParseTimeText(text, typed)
                                      : TryParseDateText(text, typed)) {
    value = kind_ == TDateTimeKind::dtkTime ? WithTimeOfDay(value, typed)
                                            : WithTimeOfDay(typed, TimePart(value));
  } else {
    MessageBeep(0);  // refused input keeps the value
  }
  time = DateTimeToSystemTime(value);
  flags = GDT_VALID;
}

void TDateTimePicker::WMLButtonDown(TMessage& message) {
  pressed_ = true;
  TWinControl::WMLButtonDown(message);
}

void TDateTimePicker::WMLButtonUp(TMessage& message) {
  const bool was_pressed = pressed_;
  pressed_ = false;
  // The picker finishes its own handling of the release before we report the click.
  TWinControl::WMLButtonUp(message);
  const int x = GET_X_LPARAM(message.LParam), y = GET_Y_LPARAM(message.LParam);
  if (was_pressed && x >= 0 && y >= 0 && x < Width() && y < Height()) Click();
}
