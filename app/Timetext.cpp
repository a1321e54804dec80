#include "app/Timetext.h"

#include <vector>

#include "framework/core/Datetext.h"

namespace {

struct Token {
  bool Field;       // a time field (h, m, s, t...) or literal text
  AnsiString Text;  // the field letters, or the literal itself (quotes removed)
};

bool IsFieldLetter(char c) {
  return c == 'h' || c == 'H' || c == 'm' || c == 's' || c == 't';
}

std::vector<Token> Tokenize(const AnsiString& picture) {
  std::vector<Token> tokens;
  auto literal = [&](char c) {
    if (tokens.empty() || tokens.back().Field) tokens.push_back({false, ""});
    tokens.back().Text += c;
  };
  for (size_t i = 0; i < picture.size();) {
    const char c = picture[i];
    if (c == '\'') {
      size_t end = picture.find('\'', i + 1);
      if (end == AnsiString::npos) end = picture.size();
      if (end == i + 1) {
        literal('\'');  // '' is a quote
      } else {
        for (size_t k = i + 1; k < end; ++k) literal(picture[k]);
      }
      i = end + 1;
    } else if (IsFieldLetter(c)) {
      size_t end = i;
      while (end < picture.size() && picture[end] == c) ++end;
      tokens.push_back({true, picture.substr(i, end - i)});
      i = end;
    } else {
      literal(c);
      ++i;
    }
  }
  return tokens;
}

AnsiString TwoDigits(int value) {
  return Format("%02d", value);
}

AnsiString WriteTimeOfDay(const TTimeFormat& format, TDateTime value) {
  const TTimeParts parts = DecodeTime(value);
  AnsiString text;
  for (const Token& token : Tokenize(format.Picture)) {
    if (!token.Field) {
      text += token.Text;
      continue;
    }
    const char letter = token.Text[0];
    const bool twice = token.Text.size() >= 2;
    switch (letter) {
      case 'H':
        text += twice ? TwoDigits(parts.Hour) : IntToStr(parts.Hour);
        break;
      case 'h': {
        int hour = parts.Hour % 12;
        if (hour == 0) hour = 12;
        text += twice ? TwoDigits(hour) : IntToStr(hour);
        break;
      }
      case 'm':
        text += twice ? TwoDigits(parts.Minute) : IntToStr(parts.Minute);
        break;
      case 's':
        text += twice ? TwoDigits(parts.Second) : IntToStr(parts.Second);
        break;
      case 't': {
        const AnsiString& marker = parts.Hour < 12 ? format.AM : format.PM;
        text += twice ? marker : Utf8Prefix(marker, 1);
        break;
      }
      default:
        break;
    }
  }
  return text;
}

}  // namespace

AnsiString FormatTimeOfDay(const TTimeFormat& format, TDateTime value) {
  return WriteTimeOfDay(format, value);
}

AnsiString PictureWithoutSeconds(const AnsiString& picture) {
  return TimeFormatWithoutSeconds(picture);
}
