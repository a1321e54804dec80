// Cmdline: the alarm that a start of the program asks for on its command line.
//
//   Wakora /in MINUTES [/text REMINDER] [/sound N | /sound FILE]
//   Wakora /at HH:MM   [/text REMINDER] [/sound N | /sound FILE]
//   Wakora /at YYYY-MM-DDTHH:MM   [...]        that minute of that day on the local clock
//   Wakora /at YYYY-MM-DDTHH:MM[:SS]Z   [...]  that moment in UTC
//   Wakora /?
//
// MINUTES is a whole number from 0 to 999999, HH:MM a time on the 24-hour clock (the hour may
// have one digit), N a built-in sound from 1 to 3 and FILE an existing file. Options begin
// with "/" or "-" and are compared without case; each value is the argument after its option,
// taken as it stands. Every option may come once, and exactly one of /in and /at is needed.
//
// The forms with a date are how an armed alarm is recorded for the next logon: the program
// writes them itself, with /id NAME, the name of the record, which the restored alarm keeps.
// A recorded sound file is kept even when it is gone by then; playing it falls back.
//
// The same arguments travel to a copy of the program that is already running: packed into one
// block of bytes, the sound file as a full path, and read there as strictly as from the
// command line, since any program may send such a block.
//
// Arguments, the reminder, file names and the messages are UTF-8. The messages are built from
// catalogue texts, with built-in English where a language file is older than these texts.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "framework/core/Sysutils.h"

// When an asked-for alarm rings.
enum class TAlarmWhen {
  In,      // /in: Minutes after it is armed
  At,      // /at HH:MM: the next time the clock shows Hour:Minute
  OnDate,  // /at with a date: the minute Hour:Minute of the day that Moment begins (local)
  Moment,  // /at with a date and Z: the moment Moment (UTC, whole seconds)
};

// An alarm as the command line asks for it.
struct TAlarmRequest {
  TAlarmWhen When = TAlarmWhen::In;
  int Minutes = 0;  // In: 0 .. 999999
  int Hour = 0;     // At, OnDate: 0 .. 23
  int Minute = 0;   // At, OnDate: 0 .. 59
  int64_t Moment =
      0;  // OnDate: the minute's wall time; Moment: UTC (milliseconds since 1899-12-30)
  bool HasText = false;  // /text given; the reminder stays as it is without it
  AnsiString Text;       // the reminder, UTF-8, without control characters
  int Sound = -1;        // -1: not given; 0 .. 2: a built-in sound; 3: SoundFile
  AnsiString SoundFile;  // the sound file's full path, UTF-8
  AnsiString Id;         // /id: the name of the alarm's record; empty when not given

  bool operator==(const TAlarmRequest&) const = default;
};

enum class TStartKind {
  Normal,  // no arguments: the window as always
  Usage,   // /?: the usage text
  Alarm,   // arm the alarm
  Bad,     // a bad argument: its message, and nothing armed
};

enum class TArgumentFault {
  None,
  Invalid,      // an unknown or repeated option, a missing or bad value
  MissingFile,  // a sound file that does not exist
  NoAlarm,      // options, but neither /in nor /at
};

struct TStartRequest {
  TStartKind Kind = TStartKind::Normal;
  TAlarmRequest Alarm;  // Kind Alarm
  TArgumentFault Fault = TArgumentFault::None;
  AnsiString BadArgument;  // Kind Bad: the argument that is at fault, UTF-8
};

// The full path of an existing file that an argument names, or the empty text when it names
// no file (a folder, nothing at all). Relative names are taken from the current folder.
using TFileResolver = std::function<AnsiString(const AnsiString& name)>;

// Reads the arguments after the program's name; the first fault found ends the reading.
TStartRequest ParseStartArguments(const std::vector<AnsiString>& arguments,
                                  const TFileResolver& resolve);

// The arguments that ask for exactly `alarm`: what a start hands to the running copy.
std::vector<AnsiString> AlarmArguments(const TAlarmRequest& alarm);

// A record's name: 1 to kMaxIdLength letters and digits (ASCII).
constexpr size_t kMaxIdLength = 32;
bool ValidId(std::string_view id);

// One command line of the program's path and its arguments, each quoted where it needs it so
// that the system splits it back into the very same arguments (CommandLineToArgvW's rules:
// quotes around blanks, backslashes doubled before a quote, a quote escaped).
AnsiString CommandLine(const AnsiString& program, const std::vector<AnsiString>& arguments);

// The block of bytes that carries arguments to the running copy: each argument followed by a
// zero byte. Unpacking refuses a block that is empty, larger than kMaxPackedArguments, holds
// more than kMaxArgumentCount arguments or does not end in a zero byte.
// A command line holds at most 32767 UTF-16 units, and a full path adds at most as many.
constexpr size_t kMaxPackedArguments = 256 * 1024;
constexpr size_t kMaxArgumentCount = 16;
AnsiString PackArguments(const std::vector<AnsiString>& arguments);
bool UnpackArguments(std::string_view block, std::vector<AnsiString>& arguments);

// The catalogue's texts after the window's twelve: the command line's, then the tray tip's.
enum TProgramText {
  kUsageText = 12,       // the accepted forms, several lines
  kInvalidArgumentText,  // the lead of a bad argument
  kMissingFileText,      // the lead of a sound file that does not exist
  kNoAlarmText,          // neither /in nor /at
  kStayAwakeText,        // the tip's second line when the computer cannot wake for the alarm
  kLastProgramText = kStayAwakeText,
};
// The built-in English of one of these texts, for a language file older than they are.
const char* EnglishText(int number);

// The message of a start of kind Usage or Bad. `text` gives the active language's text of a
// number, the empty text when the language file lacks it.
AnsiString StartMessage(const TStartRequest& request,
                        const std::function<AnsiString(int number)>& text);
