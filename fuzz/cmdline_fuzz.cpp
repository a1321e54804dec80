// Fuzzes the reading of a start's arguments, as a hand-over block from another process (and so
// as any command line: the block is its arguments). Whatever the bytes, the reading ends in one
// of its kinds. An alarm read is written back to arguments that read to the very same alarm,
// and the command line made of them for the Run key splits, by the system's documented rules,
// into the very same arguments.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/Cmdline.h"

namespace {

// The files the reading sees: a name ending in ".wav" under C:\ exists, as itself.
AnsiString Resolve(const AnsiString& name) {
  return name.rfind("C:\\", 0) == 0 && name.size() > 7 && name.substr(name.size() - 4) == ".wav"
             ? name
             : AnsiString();
}

// CommandLineToArgvW's rules after the program's name: blanks part arguments outside quotes;
// 2n backslashes before a quote give n and the quote toggles quoting, 2n+1 give n and a quote.
std::vector<AnsiString> Split(std::string_view line) {
  std::vector<AnsiString> arguments;
  size_t at = line.find('"', 1) + 1;  // past the quoted program
  for (;;) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size()) return arguments;
    AnsiString argument;
    bool quoted = false;
    while (at < line.size() && (quoted || (line[at] != ' ' && line[at] != '\t'))) {
      size_t backslashes = 0;
      while (at < line.size() && line[at] == '\\') ++backslashes, ++at;
      if (at < line.size() && line[at] == '"') {
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2) {
          argument += '"';
        } else {
          quoted = !quoted;
        }
        ++at;
      } else {
        argument.append(backslashes, '\\');
        if (at < line.size() && (quoted || (line[at] != ' ' && line[at] != '\t'))) {
          argument += line[at++];
        }
      }
    }
    arguments.push_back(argument);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<AnsiString> arguments;
  if (!UnpackArguments({reinterpret_cast<const char*>(data), size}, arguments)) return 0;
  const TStartRequest request = ParseStartArguments(arguments, Resolve);
  if (request.Kind != TStartKind::Alarm) return 0;

  const std::vector<AnsiString> written = AlarmArguments(request.Alarm);
  std::vector<AnsiString> unpacked;
  if (!UnpackArguments(PackArguments(written), unpacked) || unpacked != written) abort();
  const TStartRequest again = ParseStartArguments(unpacked, Resolve);
  if (again.Kind != TStartKind::Alarm || !(again.Alarm == request.Alarm)) abort();
  if (Split(CommandLine("C:\\Program Files\\Wakora\\Wakora.exe", written)) != written) abort();
  return 0;
}
