// Exceptions, text helpers and number conversion shared by every layer.
//
// Text is UTF-8: `AnsiString` keeps its name, and is a plain std::string holding UTF-8, texts
// and file names alike, so that every script works. The system's wide calls get UTF-16, and
// files of an older 8-bit format (code page 1252) are decoded when read and encoded when
// written. Nothing here includes <windows.h>.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

using AnsiString = std::string;
using TBytes = std::vector<uint8_t>;

// The framework's general exception; every failure the framework raises derives from it.
class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }
  AnsiString Message;
};

class ERangeError : public Exception {
  using Exception::Exception;
};
class EConvertError : public Exception {
  using Exception::Exception;
};
// Raised by a stream read that runs past the end of its data.
class EReadError : public Exception {
  using Exception::Exception;
};
class EWriteError : public Exception {
  using Exception::Exception;
};
// A stream or file that cannot be opened or created.
class EFOpenError : public Exception {
  using Exception::Exception;
};
// Raised for a form description that cannot be read; the message names the line.
class EParserError : public Exception {
  using Exception::Exception;
};
// A window, GDI object or other system resource that could not be created.
class EOutOfResources : public Exception {
  using Exception::Exception;
};

// printf-style formatting into an AnsiString.
AnsiString Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

AnsiString IntToStr(int64_t value);
// Decimal integer with optional sign and surrounding blanks, or "$"/"0x" hex.
// Raises EConvertError with "'text' is not a valid integer value" when it is not one.
int StrToInt(const AnsiString& text);
bool TryStrToInt(const AnsiString& text, int& value);

// ASCII-only case mapping: a-z <-> A-Z, every other byte as it is.
AnsiString AsciiUpperCase(AnsiString text);
AnsiString AsciiLowerCase(AnsiString text);
// Equal but for ASCII case: names as form descriptions and typed values compare them.
bool SameText(const AnsiString& a, const AnsiString& b);
// The text without the spaces and tabs around it.
AnsiString Trim(const AnsiString& text);
// The upper-case letter of a character, for the scripts whose cases pair up simply (Latin,
// Greek, Cyrillic); any other character as it is.
char32_t SimpleUpperCase(char32_t code);

// Accelerators in captions: "&x" underlines x and makes Alt+x reach the control; "&&" is a
// literal '&'. StripAccelerator gives the caption as read aloud; AcceleratorOf the character
// after the first single '&' (0 for none); IsAccelerator compares letters without case.
AnsiString StripAccelerator(const AnsiString& caption);
char32_t AcceleratorOf(const AnsiString& caption);
bool IsAccelerator(char32_t key, const AnsiString& caption);

AnsiString ExtractFileExt(const AnsiString& path);  // ".ext" including the dot, or empty
bool FileExists(const AnsiString& path);            // a UTF-8 path
// Opens a file by its UTF-8 path with an fopen mode; null when it cannot be opened. On Windows
// through the wide-character call, which reaches every name the file system can hold.
std::FILE* OpenFile(const AnsiString& path, const char* mode);

// UTF-8 and UTF-16, as file names cross to the system's wide calls. A byte that is no part of
// well-formed UTF-8 becomes U+FFFD. A lone surrogate, which a Windows file name may hold, is
// kept as its three-byte form both ways, so that every name the system hands over comes back
// to it unchanged.
std::u16string Utf8ToUtf16(std::string_view text);
AnsiString Utf16ToUtf8(std::u16string_view text);
// The character at `at` (U+FFFD for a byte of no well-formed sequence), and `at` moved past it.
char32_t NextCharacter(std::string_view text, size_t& at);
void AppendUtf8(AnsiString& text, char32_t code);
// The longest start of `text` that holds at most `units` units of UTF-16, whole characters
// only: a text cut to a field of the system.
AnsiString Utf8Prefix(std::string_view text, size_t units);

// Code page 1252, the 8-bit format of language files and form descriptions: a byte's
// character (the five bytes the page leaves undefined stand for themselves), and a
// character's byte, or -1 when the page cannot hold it.
char32_t Cp1252Character(uint8_t byte);
int Cp1252Byte(char32_t code);
AnsiString Cp1252ToUtf8(std::string_view bytes);
