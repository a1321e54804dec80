#include "app/Cmdline.h"

namespace {

constexpr int kMaxMinutes = 999999;
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

TStartRequest ParseStartArguments(const std::vector<AnsiString>& arguments,
                                  const TFileResolver& resolve) {
  TStartRequest request;
  if (arguments.empty()) return request;
  TAlarmRequest& alarm = request.Alarm;
  bool hasMode = false;
  for (size_t at = 0; at < arguments.size(); ++at) {
    const AnsiString& option = arguments[at];
    const AnsiString name = OptionName(option);
    if (name == "?") {
      request.Kind = TStartKind::Usage;
      return request;
    }
    const bool known = name == "in" || name == "at" || name == "text" || name == "sound";
    // A mode twice, or the other mode, is as wrong as a reminder or a sound given twice.
    const bool repeated = ((name == "in" || name == "at") && hasMode) ||
                          (name == "text" && alarm.HasText) ||
                          (name == "sound" && alarm.Sound >= 0);
    if (!known || repeated || at + 1 == arguments.size()) {
      return Bad(TArgumentFault::Invalid, option);
    }
    const AnsiString& value = arguments[++at];
    if (name == "in") {
      if (!ReadNumber(value, kMaxMinutes, alarm.Minutes))
        return Bad(TArgumentFault::Invalid, value);
      alarm.Countdown = true;
      hasMode = true;
    } else if (name == "at") {
      if (!ReadTimeOfDay(value, alarm.Hour, alarm.Minute)) {
        return Bad(TArgumentFault::Invalid, value);
      }
      alarm.Countdown = false;
      hasMode = true;
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
      const AnsiString path = resolve ? resolve(value) : AnsiString();
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
  if (alarm.Countdown) {
    arguments = {"/in", IntToStr(alarm.Minutes)};
  } else {
    arguments = {"/at", Format("%02d:%02d", alarm.Hour, alarm.Minute)};
  }
  if (alarm.HasText) {
    arguments.push_back("/text");
    arguments.push_back(alarm.Text);
  }
  if (alarm.Sound >= 0) {
    arguments.push_back("/sound");
    arguments.push_back(alarm.Sound == 3 ? alarm.SoundFile : IntToStr(alarm.Sound + 1));
  }
  return arguments;
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

const char* EnglishCommandLineText(int number) {
  switch (number) {
    case kUsageText:
      return "Usage:\n"
             "Wakora /in MINUTES   (0 to 999999)\n"
             "Wakora /at HH:MM   (24-hour clock)\n"
             "Either may be followed by /text \"reminder\" and by /sound 1, 2 or 3 (built-in) "
             "or /sound \"file\".\n"
             "Options may also begin with \"-\". A running Wakora takes over the new alarm.";
    case kInvalidArgumentText:
      return "Invalid argument:";
    case kMissingFileText:
      return "This sound file does not exist:";
    case kNoAlarmText:
      return "Missing /in MINUTES or /at HH:MM.";
    default:
      return "";
  }
}

AnsiString StartMessage(const TStartRequest& request,
                        const std::function<AnsiString(int number)>& text,
                        const AnsiString& bad_argument) {
  const auto textOf = [&](int number) {
    AnsiString own = text ? text(number) : AnsiString();
    return own.empty() ? AnsiString(EnglishCommandLineText(number)) : own;
  };
  const AnsiString usage = textOf(kUsageText);
  if (request.Kind != TStartKind::Bad) return usage;
  if (request.Fault == TArgumentFault::NoAlarm) return textOf(kNoAlarmText) + "\n\n" + usage;
  AnsiString shown = bad_argument;
  if (shown.size() > kShownArgumentLength) shown = shown.substr(0, kShownArgumentLength) + "...";
  const int lead =
      request.Fault == TArgumentFault::MissingFile ? kMissingFileText : kInvalidArgumentText;
  return textOf(lead) + "\n\"" + shown + "\"\n\n" + usage;
}
