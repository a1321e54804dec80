// Every shipped caption fits its place on the window: measured with the window's fonts.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "lang/Watranskomp.h"

namespace {

struct TPlace {
  int text;
  int fontHeight;
  bool underline;
  int maxWidth;  // pixels
  const char* where;
};

// The window is 392 x 294 at 96 dpi; see the layout of its labels.
const TPlace kPlaces[] = {
    {0, -11, false, 75, "language list entry: 97 px combo less its arrow"},
    {2, -13, true, 100, "start button: 124 px, less the 16 px glyph and margins"},
    {3, -11, false, 97, "above the 97 px language list at x=282"},
    {4, -11, false, 158, "sound heading at x=50, before the group's edge at x=212"},
    {5, -11, false, 108, "time heading at x=34, before the reminder heading at x=148"},
    {6, -11, false, 225, "reminder heading at x=148, before the group's edge at x=379"},
    {7, -11, false, 205, "reminder text in the 216 px field"},
    {8, -11, false, 280, "unit text at x=92, before the group's edge at x=379"},
    {9, -11, false, 200, "tray menu"},
    {10, -11, false, 200, "tray menu"},
    {11, -11, false, 200, "tray menu"},
};

int TextWidth(HDC dc, int height, bool underline, const AnsiString& text) {
  HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, "MS Sans Serif");
  HGDIOBJ old = SelectObject(dc, font);
  // As drawn: an accelerator's '&' takes no room.
  RECT r{0, 0, 0, 0};
  const std::u16string wide = Utf8ToUtf16(text);
  DrawTextW(dc, reinterpret_cast<const wchar_t*>(wide.data()), static_cast<int>(wide.size()), &r,
            DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  DeleteObject(font);
  return r.right - r.left;
}

TEST(ShippedCaptions, FitTheirPlacesInMsSansSerif) {
  const std::filesystem::path shipped = WAKORA_LANGUAGE_FILES;
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  for (int number = 0; number < 10; ++number) {
    std::string name = "Wakora.t0";
    name += std::to_string(number);
    std::ifstream in(shipped / name, std::ios::binary);
    if (!in) break;
    std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    file.erase(std::remove(file.begin(), file.end(), '\r'), file.end());
    const auto texts = ParseLanguageTexts(file);
    ASSERT_GE(texts.size(), 12u);
    for (const TPlace& place : kPlaces) {
      const int width = TextWidth(dc, place.fontHeight, place.underline, texts[place.text]);
      EXPECT_LE(width, place.maxWidth) << "language " << number << " text " << place.text << " \""
                                       << texts[place.text] << "\": " << place.where;
      if (getenv("WAKORA_SHOW_WIDTHS")) {
        printf("t0%d text %2d %3d/%3d %s\n", number, place.text, width, place.maxWidth,
               texts[place.text].c_str());
      }
    }
  }
  DeleteDC(dc);
}

}  // namespace
