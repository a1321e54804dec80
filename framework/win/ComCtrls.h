// Common controls: the date-time picker (the system's SysDateTimePick32).
//
// The picker keeps its value as a TDateTime while it has no window, and its window keeps it
// while it has one; the value survives a recreation of the window. Setting the value from code
// fires no OnChange: only the user's changes do.
#pragma once

#include "framework/core/Datetime.h"
#include "framework/win/WinControls.h"

enum class TDateTimeKind { dtkDate, dtkTime };
enum class TDTDateFormat { dfShort, dfLong };
const TEnumInfo& EnumInfoOf(TDateTimeKind);
const TEnumInfo& EnumInfoOf(TDTDateFormat);

// The system's SYSTEMTIME for a date-time and back. Raises EConvertError for a value outside
// the years 1601 to 9999, which the picker cannot show.
SYSTEMTIME DateTimeToSystemTime(TDateTime value);
TDateTime SystemTimeToDateTime(const SYSTEMTIME& time);

class TDateTimePicker : public TWinControl {
  DECLARE_CLASS_INFO()
 public:
  TAccessibleRole AccessibleRole() const override { return TAccessibleRole::arSpinButton; }
  explicit TDateTimePicker(TComponent* owner);

  // The whole value; Date is its date part, Time its time of day. Setting one keeps the other.
  TDateTime DateTime() const;
  void SetDateTime(TDateTime value);
  TDateTime Date() const { return DatePart(DateTime()); }
  void SetDate(TDateTime date);
  TDateTime Time() const { return TimePart(DateTime()); }
  void SetTime(TDateTime time);

  // dtkTime shows a time in the locale's short format (hours and minutes) with up-down
  // arrows; dtkDate a date with a drop-down calendar.
  TDateTimeKind Kind() const { return kind_; }
  void SetKind(TDateTimeKind kind);
  TDTDateFormat DateFormat() const { return date_format_; }
  void SetDateFormat(TDTDateFormat format);
  // The user may type a date or time as free text: "h:mm:ss" (or with am/pm) for a time,
  // "yyyy-mm-dd", "d.m.yyyy" or "m/d/yyyy" for a date. Other text beeps and changes nothing.
  bool ParseInput() const { return parse_input_; }
  void SetParseInput(bool parse_input);

  // The user changed the value.
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void HandleCreated() override;
  void DestroyWnd() override;
  virtual void Change() { OnChange(this); }
  void CNNotify(TMessage& message) override;
  // The picker sends no click notification of its own: a left press and release over it is one.
  void WMLButtonDown(TMessage& message) override;
  void WMLButtonUp(TMessage& message) override;

 private:
  void ShowValue();
  // Reads what the user typed (with ParseInput) into the system's answer.
  void UserString(const AnsiString& text, SYSTEMTIME& time, DWORD& flags);

  TDateTime value_ = 0;  // the value; the window's own copy wins while it exists
  TDateTimeKind kind_ = TDateTimeKind::dtkDate;
  TDTDateFormat date_format_ = TDTDateFormat::dfShort;
  bool parse_input_ = false;
  bool setting_ = false;  // a change made by code, not to be reported
  bool pressed_ = false;  // a left press on the picker that has not been released
};
