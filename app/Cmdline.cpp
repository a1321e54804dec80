#include "app/Cmdline.h"

#include "framework/core/Datetime.h"

namespace {

constexpr int kMaxMinutes = 999999;
constexpr int64_t kSecondMs = 1000;
constexpr int64_t kDayMs = 24 * 60 * 60 * kSecondMs;
// A bad argument longer than this is cut in its message, so that the box stays on screen.
constexpr size_t kShownArgumentLength = 200;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// A whole number of digits only; false when it is none or exceeds `limit`.
bool ReadNumber(std::string_view text, int limit, int& value) {
  if (!AllDigits(text)) return false;
  value = 0;
  for (char c : text) {
    value = value * 10 + (c - '0');
    if (value > limit) return false;
  }
  return true;
}

// HH:MM or H:MM on the 24-hour clock.
bool ReadTimeOfDay(std::string_view text, int& hour, int& minute) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon < 1 || colon > 2 || text.size() != colon + 3) {
    return false;
  }
  return ReadNumber(text.substr(0, colon), 23, hour) &&
         ReadNumber(text.substr(colon + 1), 59, minute);
}

// YYYY-MM-DDTHH:MM, a minute of the local clock, or YYYY-MM-DDTHH:MM[:SS]Z, a moment in UTC.
bool ReadDated(std::string_view text, TAlarmRequest& alarm) {
  const bool utc = !text.empty() && (text.back() == 'Z' || text.back() == 'z');
  if (utc) text.remove_suffix(1);
  if (text.size() != 16 && !(utc && text.size() == 19)) return false;
  if (text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != 't') || text[13] != ':' ||
      (text.size() == 19 && text[16] != ':')) {
    return false;
  }
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  TDateTime date;
  if (!ReadNumber(text.substr(0, 4), 9999, year) || !ReadNumber(text.substr(5, 2), 12, month) ||
      !ReadNumber(text.substr(8, 2), 31, day) || !ReadNumber(text.substr(11, 2), 23, hour) ||
      !ReadNumber(text.substr(14, 2), 59, minute) ||
      (text.size() == 19 && !ReadNumber(text.substr(17, 2), 59, second)) || year < 1900 ||
      !TryEncodeDate(year, month, day, date)) {
    return false;
  }
  alarm.When = utc ? TAlarmWhen::Moment : TAlarmWhen::OnDate;
  alarm.Hour = hour;
  alarm.Minute = minute;
  alarm.Moment =
      static_cast<int64_t>(date) * kDayMs + ((hour * 60 + minute) * 60 + second) * kSecondMs;
  return true;
}

// The moment as YYYY-MM-DDTHH:MM:SS, or without the seconds.
AnsiString DatedText(int64_t moment, bool seconds) {
  const int64_t days = moment >= 0 ? moment / kDayMs : -((-moment + kDayMs - 1) / kDayMs);
  const int64_t in_day = (moment - days * kDayMs) / kSecondMs;
  const TDateParts date = DecodeDate(static_cast<TDateTime>(days));
  const int hour = static_cast<int>(in_day / 3600), minute = static_cast<int>(in_day / 60 % 60);
  AnsiString text =
      Format("%04d-%02d-%02dT%02d:%02d", date.Year, date.Month, date.Day, hour, minute);
  if (seconds) text += Format(":%02d", static_cast<int>(in_day % 60));
  return text;
}

bool HasControlCharacter(std::string_view text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

// The option's name without its "/" or "-", in lower case; empty for no option.
AnsiString OptionName(const AnsiString& argument) {
  if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return AnsiString();
  return AsciiLowerCase(argument.substr(1));
}

TStartRequest Bad(TArgumentFault fault, const AnsiString& argument) {
  TStartRequest request;
  request.Kind = TStartKind::Bad;
  request.Fault = fault;
  request.BadArgument = argument;
  return request;
}

}  // namespace

bool ValidId(std::string_view id) {
  if (id.empty() || id.size() > kMaxIdLength) return false;
  for (char c : id) {
    if (!IsDigit(c) && !((c | 0x20) >= 'a' && (c | 0x20) <= 'z')) return false;
  }
  return true;
}

TStartRequest ParseStartArguments(const std::vector<AnsiString>& arguments,
                                  const TFileResolver& resolve) {
  TStartRequest request;
  if (arguments.empty()) return request;
  TAlarmRequest& alarm = request.Alarm;
  bool hasMode = false;
  // A recorded alarm keeps its sound file even when the file is gone: it still rings, with the
  // sound that playback falls back to.
  bool recorded = false;
  for (size_t at = 0; at + 1 < arguments.size(); ++at) {
    recorded = recorded || OptionName(arguments[at]) == "id";
  }
  for (size_t at = 0; at < arguments.size(); ++at) {
    const AnsiString& option = arguments[at];
    const AnsiString name = OptionName(option);
    if (name == "?") {
      request.Kind = TStartKind::Usage;
      return request;
    }
    const bool known =
        name == "in" || name == "at" || name == "text" || name == "sound" || name == "id";
    // A mode twice, or the other mode, is as wrong as a reminder or a sound given twice.
    const bool repeated =
        ((name == "in" || name == "at") && hasMode) || (name == "text" && alarm.HasText) ||
        (name == "sound" && alarm.Sound >= 0) || (name == "id" && !alarm.Id.empty());
    if (!known || repeated || at + 1 == arguments.size()) {
      return Bad(TArgumentFault::Invalid, option);
    }
    const AnsiString& value = arguments[++at];
    if (name == "in") {
      if (!ReadNumber(value, kMaxMinutes, alarm.Minutes))
        return Bad(TArgumentFault::Invalid, value);
      alarm.When = TAlarmWhen::In;
      hasMode = true;
    } else if (name == "at") {
      if (ReadTimeOfDay(value, alarm.Hour, alarm.Minute)) {
        alarm.When = TAlarmWhen::At;
      } else if (!ReadDated(value, alarm)) {
        return Bad(TArgumentFault::Invalid, value);
      }
      hasMode = true;
    } else if (name == "id") {
      if (!ValidId(value)) return Bad(TArgumentFault::Invalid, value);
      alarm.Id = value;
    } else if (name == "text") {
      // The reminder goes into a one-line field.
      if (HasControlCharacter(value)) return Bad(TArgumentFault::Invalid, value);
      alarm.HasText = true;
      alarm.Text = value;
    } else if (AllDigits(value)) {
      int number = 0;
      if (!ReadNumber(value, 3, number) || number < 1) return Bad(TArgumentFault::Invalid, value);
      alarm.Sound = number - 1;
    } else {
      AnsiString path = resolve ? resolve(value) : AnsiString();
      if (path.empty() && recorded) path = value;
      if (path.empty() || HasControlCharacter(path)) {
        return Bad(TArgumentFault::MissingFile, value);
      }
      alarm.Sound = 3;
      alarm.SoundFile = path;
    }
  }
  if (!hasMode) return Bad(TArgumentFault::NoAlarm, AnsiString());
  request.Kind = TStartKind::Alarm;
  return request;
}

std::vector<AnsiString> AlarmArguments(const TAlarmRequest& alarm) {
  std::vector<AnsiString> arguments;
  switch (alarm.When) {
    case TAlarmWhen::In:
      arguments = {"/in", IntToStr(alarm.Minutes)};
      break;
    case TAlarmWhen::At:
      arguments = {"/at", Format("%02d:%02d", alarm.Hour, alarm.Minute)};
      break;
    case TAlarmWhen::OnDate:
      arguments = {"/at", DatedText(alarm.Moment, false)};
      break;
    case TAlarmWhen::Moment:
      arguments = {"/at", DatedText(alarm.Moment, true) + "Z"};
      break;
  }
  if (alarm.HasText) {
    arguments.push_back("/text");
    arguments.push_back(alarm.Text);
  }
  if (alarm.Sound >= 0) {
    arguments.push_back("/sound");
    arguments.push_back(alarm.Sound == 3 ? alarm.SoundFile : IntToStr(alarm.Sound + 1));
  }
  if (!alarm.Id.empty()) {
    arguments.push_back("/id");
    arguments.push_back(alarm.Id);
  }
  return arguments;
}

AnsiString CommandLine(const AnsiString& program, const std::vector<AnsiString>& arguments) {
  // The program's name ends at the next quote: a path never holds one.
  AnsiString line = "\"" + program + "\"";
  for (const AnsiString& argument : arguments) {
    line += ' ';
    if (!argument.empty() && argument.find_first_of(" \t\"") == AnsiString::npos) {
      line += argument;
      continue;
    }
    line += '"';
    size_t backslashes = 0;
    for (char c : argument) {
      if (c == '\\') {
        ++backslashes;
        continue;
      }
      // Backslashes count only before a quote: there they are doubled, and the quote escaped.
      line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
      backslashes = 0;
      line += c;
    }
    line.append(2 * backslashes, '\\');
    line += '"';
  }
  return line;
}

AnsiString PackArguments(const std::vector<AnsiString>& arguments) {
  AnsiString block;
  for (const AnsiString& argument : arguments) {
    block += argument;
    block += '\0';
  }
  return block;
}

bool UnpackArguments(std::string_view block, std::vector<AnsiString>& arguments) {
  arguments.clear();
  if (block.empty() || block.size() > kMaxPackedArguments || block.back() != '\0') return false;
  for (size_t start = 0; start < block.size();) {
    if (arguments.size() == kMaxArgumentCount) {
      arguments.clear();
      return false;
    }
    const size_t end = block.find('\0', start);
    arguments.emplace_back(block.substr(start, end - start));
    start = end + 1;
  }
  return true;
}

const char* EnglishText(int number) {
  switch (number) {
    case kUsageText:
      return "Usage:\n"
             "Wakora /in MINUTES   (0 to 999999)\n"
             "Wakora /at HH:MM   (24-hour clock)\n"
             "Wakora /at 2026-12-24T18:00   (that minute of that day; with Z at the end, as in "
             "2026-12-24T17:00:30Z, a moment in UTC)\n"
             "Either may be followed by /text \"reminder\" and by /sound 1, 2 or 3 (built-in) "
             "or /sound \"file\".\n"
             "Options may also begin with \"-\". A running Wakora that waits for no alarm takes "
             "over the new one; otherwise the new alarm gets a Wakora of its own.";
    case kInvalidArgumentText:
      return "Invalid argument:";
    case kMissingFileText:
      return "This sound file does not exist:";
    case kNoAlarmText:
      return "Missing /in MINUTES or /at HH:MM.";
    case kStayAwakeText:
      return "The computer must stay awake for the alarm";
    default:
      return "";
  }
}

AnsiString StartMessage(const TStartRequest& request,
                        const std::function<AnsiString(int number)>& text) {
  const auto textOf = [&](int number) {
    AnsiString own = text ? text(number) : AnsiString();
    return own.empty() ? AnsiString(EnglishText(number)) : own;
  };
  const AnsiString usage = textOf(kUsageText);
  if (request.Kind != TStartKind::Bad) return usage;
  if (request.Fault == TArgumentFault::NoAlarm) return textOf(kNoAlarmText) + "\n\n" + usage;
  AnsiString shown = request.BadArgument;
  if (shown.size() > kShownArgumentLength) shown = Utf8Prefix(shown, kShownArgumentLength) + "...";
  const int lead =
      request.Fault == TArgumentFault::MissingFile ? kMissingFileText : kInvalidArgumentText;
  return textOf(lead) + "\n\"" + shown + "\"\n\n" + usage;
}
