#include "framework/core/Datetext.h"

#include <algorithm>
#include <vector>

namespace {

// Splits at `separator` into fields of 1 to `max_digits` digits each; false for anything else.
bool SplitNumbers(const AnsiString& text, char separator, size_t max_digits,
                  std::vector<int>& numbers) {
  numbers.clear();
  size_t start = 0;
  for (;;) {
    const size_t end = std::min(text.find(separator, start), text.size());
    const size_t length = end - start;
    if (length == 0 || length > max_digits) return false;
    int value = 0;
    for (size_t i = start; i < end; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      value = value * 10 + (text[i] - '0');
    }
    numbers.push_back(value);
    if (end == text.size()) return true;
    start = end + 1;
  }
}

}  // namespace

bool TryParseTimeText(const AnsiString& text, TDateTime& time) {
  AnsiString body = Trim(text);
  int half = -1;  // -1: 24 hours; 0: am; 12: pm
  if (body.size() >= 2) {
    const AnsiString marker = AsciiLowerCase(body.substr(body.size() - 2));
    if (marker == "am" || marker == "pm") {
      half = marker == "am" ? 0 : 12;
      body = Trim(body.substr(0, body.size() - 2));
    }
  }
  std::vector<int> fields;
  if (!SplitNumbers(body, ':', 2, fields) || fields.size() > 3) return false;
  int hour = fields[0];
  if (half >= 0) {
    if (hour < 1 || hour > 12) return false;
    hour = hour % 12 + half;
  }
  const int minute = fields.size() > 1 ? fields[1] : 0;
  const int second = fields.size() > 2 ? fields[2] : 0;
  return TryEncodeTime(hour, minute, second, 0, time);
}

bool TryParseDateText(const AnsiString& text, TDateTime& date) {
  const AnsiString body = Trim(text);
  std::vector<int> fields;
  if (SplitNumbers(body, '-', 4, fields) && fields.size() == 3 && body.find('-') == 4) {
    return TryEncodeDate(fields[0], fields[1], fields[2], date);
  }
  if (SplitNumbers(body, '.', 4, fields) && fields.size() == 3 &&
      body.size() - body.rfind('.') == 5) {
    return TryEncodeDate(fields[2], fields[1], fields[0], date);
  }
  if (SplitNumbers(body, '/', 4, fields) && fields.size() == 3 &&
      body.size() - body.rfind('/') == 5) {
    return TryEncodeDate(fields[2], fields[0], fields[1], date);
  }
  return false;
}

AnsiString TimeFormatWithoutSeconds(const AnsiString& format) {
  // Pieces of the format: runs of one field letter, and literal text between them.
  struct Piece {
    AnsiString Text;
    char Field;  // 0 for literal text
  };
  std::vector<Piece> pieces;
  for (size_t at = 0; at < format.size();) {
    const char c = format[at];
    size_t end = at + 1;
    char field = 0;
    if (c == 'h' || c == 'H' || c == 'm' || c == 's' || c == 't') {
      field = c;
      while (end < format.size() && format[end] == c) ++end;
    } else if (c == '\'') {
      // Up to the closing quote; two quotes inside stand for one.
      while (end < format.size()) {
        if (format[end++] != '\'') continue;
        if (end < format.size() && format[end] == '\'') {
          ++end;
          continue;
        }
        break;
      }
    }
    const AnsiString text = format.substr(at, end - at);
    if (!field && !pieces.empty() && !pieces.back().Field) {
      pieces.back().Text += text;
    } else {
      pieces.push_back({text, field});
    }
    at = end;
  }
  for (;;) {
    const auto seconds = std::find_if(pieces.begin(), pieces.end(),
                                      [](const Piece& piece) { return piece.Field == 's'; });
    if (seconds == pieces.end()) break;
    auto first = seconds, last = seconds + 1;
    if (first != pieces.begin() && !first[-1].Field) {
      --first;
    } else if (first == pieces.begin() && last != pieces.end() && !last->Field) {
      ++last;
    }
    pieces.erase(first, last);
  }
  AnsiString result;
  for (const Piece& piece : pieces) result += piece.Text;
  return result;
}
