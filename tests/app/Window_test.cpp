// The alarm window as its form description makes it, its first show and its language list.
#include "tests/app/AppTest.h"

#include <cstdlib>
#include <cstring>

#include "framework/win/Platform.h"

namespace {

using apptest::WindowTest;

struct Placement {
  const char* Name;
  const char* Class;
  const char* Parent;
  int Left, Top, Width, Height;  // width and height -1: sized by the control
  int TabOrder;                  // -1: windowless or not in the tab order
};

const Placement kControls[] = {
    {"Wallpaper1", "TWallpaper", "Form1", 0, 0, 392, 294, -1},
    {"Bevel3", "TBevel", "Form1", 137, 246, 127, 33, -1},
    {"Image1", "TImage", "Form1", 35, 6, 206, 53, -1},
    {"SpeedButton1", "TSpeedButton", "Form1", 139, 247, 124, 31, -1},
    {"Label1", "TLabel", "Form1", 282, 93, -1, -1, -1},
    {"Bevel1", "TBevel", "Form1", 26, 88, 186, 51, -1},
    {"Label2", "TLabel", "Form1", 50, 93, -1, -1, -1},
    {"Bevel2", "TBevel", "Form1", 25, 154, 354, 79, -1},
    {"Label3", "TLabel", "Form1", 34, 162, -1, -1, -1},
    {"Label4", "TLabel", "Form1", 148, 162, -1, -1, -1},
    {"Label5", "TLabel", "Form1", 92, 209, -1, -1, -1},
    {"Label6", "TLabel", "Form1", 248, 40, -1, -1, -1},
    {"Panel1", "TPanel", "Form1", 335, 4, 43, 41, 0},
    {"AniIcon1", "TAniIcon", "Panel1", 3, 2, 32, 32, -1},
    {"ComboBox1", "TComboBox", "Form1", 282, 107, 97, -1, 2},
    {"DateTimePicker1", "TDateTimePicker", "Form1", 48, 178, 73, 21, 1},
    {"ComboBox2", "TComboBox", "Form1", 36, 112, 143, -1, 3},
    {"CheckBox1", "TCheckBox", "Form1", 34, 93, 12, 14, 4},
    {"Edit1", "TEdit", "Form1", 147, 178, 216, 21, 5},
    {"RadioButton1", "TRadioButton", "Form1", 32, 182, 13, 13, 6},
    {"RadioButton2", "TRadioButton", "Form1", 32, 209, 13, 13, 7},
    {"CSpinEdit1", "TCSpinEdit", "Form1", 49, 205, 42, 22, 8},
    {"Button1", "TButton", "Form1", 180, 112, 23, 20, 9},
};

// The stored layout is for 96 pixels per inch; the window is laid out for the screen's. The
// test command also runs these at 120, 144 and 192 (WAKORA_EXPECT_DPI tells which it must be).
int AtScreen(int stored) {
  return MulDiv(stored, ScreenPixelsPerInch(), 96);
}

void ExpectTheTestsResolution() {
  if (const char* expected = getenv("WAKORA_EXPECT_DPI")) {
    ASSERT_EQ(ScreenPixelsPerInch(), atoi(expected)) << "the screen is not at the test's DPI";
  }
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

TEST_F(WindowTest, EveryControlHasItsClassPlaceAndTabOrder) {
  ExpectTheTestsResolution();
  StartWindow();
  EXPECT_EQ(Form1->PixelsPerInch(), ScreenPixelsPerInch());
  EXPECT_EQ(Form1->Caption(), "Wakora 3.8");
  EXPECT_EQ(Form1->ClientWidth(), AtScreen(392));
  EXPECT_EQ(Form1->ClientHeight(), AtScreen(294));
  EXPECT_EQ(Form1->BorderStyle(), TFormBorderStyle::bsDialog);
  RECT frame, work;
  GetWindowRect(Form1->Handle(), &frame);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_TRUE(Inside(frame, work)) << "off the screen";
  // Font heights scale with the places: the form's, and the controls' own fonts.
  EXPECT_EQ(Form1->Font()->Height(), AtScreen(-11));
  EXPECT_EQ(Form1->SpeedButton1->Font()->Height(), AtScreen(-13));
  EXPECT_EQ(Form1->Label6->Font()->Height(), AtScreen(-31));
  EXPECT_EQ(Form1->Label1->Font()->Height(), AtScreen(-11)) << "a parent's font follows it";
  // The minutes field places its arrows itself, at its right edge, not scaled twice.
  ASSERT_EQ(Form1->CSpinEdit1->ControlCount(), 1);
  const TControl* arrows = Form1->CSpinEdit1->Controls()[0];
  EXPECT_EQ(arrows->Width(), AtScreen(15));
  EXPECT_LE(arrows->Left() + arrows->Width(), Form1->CSpinEdit1->Width());
  EXPECT_GE(arrows->Left(), Form1->CSpinEdit1->Width() - AtScreen(15) - 5);
  const LONG style = GetWindowLongA(Form1->Handle(), GWL_STYLE);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(style & WS_SYSMENU);
  for (const Placement& p : kControls) {
    SCOPED_TRACE(p.Name);
    auto* control = dynamic_cast<TControl*>(Form1->FindComponent(p.Name));
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->ClassName(), p.Class);
    ASSERT_NE(control->Parent(), nullptr);
    EXPECT_EQ(control->Parent()->Name(), p.Parent);
    EXPECT_EQ(control->Left(), AtScreen(p.Left));
    EXPECT_EQ(control->Top(), AtScreen(p.Top));
    if (p.Width >= 0) {
      EXPECT_EQ(control->Width(), AtScreen(p.Width));
    }
    if (p.Height >= 0) {
      EXPECT_EQ(control->Height(), AtScreen(p.Height));
    }
    if (p.TabOrder >= 0) {
      auto* windowed = dynamic_cast<TWinControl*>(control);
      ASSERT_NE(windowed, nullptr);
      EXPECT_EQ(windowed->TabOrder(), p.TabOrder);
    }
  }
  // Later windowless controls lie above earlier ones: creation order is paint order.
  const auto& children = Form1->Controls();
  EXPECT_EQ(children.front(), Form1->Wallpaper1);
  EXPECT_EQ(Form1->Wallpaper1->Align(), TAlign::alClient);
  EXPECT_FALSE(Form1->Timer1->Enabled());
  EXPECT_EQ(Form1->Timer1->Interval(), 1000u);
  EXPECT_TRUE(Form1->RadioButton1->Checked());
  EXPECT_FALSE(Form1->RadioButton2->Checked());
  EXPECT_TRUE(Form1->CheckBox1->Checked());
  EXPECT_EQ(Form1->CSpinEdit1->GetValue(), 15);
  EXPECT_TRUE(Form1->AniIcon1->Animated());
  EXPECT_EQ(Form1->PopupMenu1->Items()->Count(), 3);
  EXPECT_EQ(Form1->TrayIcon1->PopupMenu, Form1->PopupMenu1);
}

// In every language, at every resolution: no control covers another or reaches past its parent,
// and each label is large enough for its text. The stored layout overlaps by design where a
// bevel frames the controls inside it (those stay inside their frame instead) and where the
// wallpaper lies under everything; the animated icon lies inside its panel as its child.
TEST_F(WindowTest, NoControlCoversAnotherOrLeavesTheWindowAndEveryLabelHoldsItsText) {
  ExpectTheTestsResolution();
  StartWindow();
  auto frame_of = [](const Placement& p) -> const Placement* {  // holds its stored top left
    for (const Placement& b : kControls) {
      const RECT r{b.Left, b.Top, b.Left + b.Width, b.Top + b.Height};
      if (std::strcmp(b.Class, "TBevel") == 0 && &b != &p && PtInRect(&r, {p.Left, p.Top}))
        return &b;
    }
    return nullptr;
  };
  auto control = [](const Placement& p) {
    return static_cast<TControl*>(Form1->FindComponent(p.Name));
  };
  TBitmap measure;
  for (int language = 0; language < Form1->ComboBox1->Items()->Count(); ++language) {
    Form1->ComboBox1->SetItemIndex(language);
    Form1->ComboBox1Change(Form1->ComboBox1);
    wintest::Pump();
    SCOPED_TRACE((*Form1->ComboBox1->Items())[language].c_str());
    for (const Placement& p : kControls) {
      const RECT bounds = control(p)->BoundsRect();
      EXPECT_TRUE(Inside(bounds, control(p)->Parent()->ClientRect()))
          << p.Name << " leaves " << p.Parent;
      const Placement* frame = frame_of(p);
      if (frame) {
        EXPECT_TRUE(Inside(bounds, control(*frame)->BoundsRect())) << p.Name << " leaves its frame";
      }
      for (const Placement& q : kControls) {
        if (&q <= &p || std::strcmp(p.Parent, q.Parent) != 0 || frame == &q || frame_of(q) == &p ||
            control(p)->Align() == TAlign::alClient) {
          continue;
        }
        RECT common;
        const RECT other = control(q)->BoundsRect();
        EXPECT_FALSE(IntersectRect(&common, &bounds, &other)) << p.Name << " covers " << q.Name;
      }
      if (const auto* label = dynamic_cast<const TLabel*>(control(p))) {
        measure.Canvas()->Font()->Assign(label->Font());
        const SIZE text = measure.Canvas()->TextExtent(label->AccessibleName());
        EXPECT_TRUE(text.cx <= label->Width() && text.cy <= label->Height())
            << p.Name << " cuts \"" << label->Caption() << '"';
      }
    }
  }
}

TEST_F(WindowTest, PlaceholdersUntilTheFirstShowThenTheCatalogueTexts) {
  CreateMainWindow();
  ASSERT_NE(Trans, nullptr);
  EXPECT_EQ(Form1->SpeedButton1->Caption(), "1");
  EXPECT_EQ(Form1->Label1->Caption(), "3");
  EXPECT_EQ(Form1->Label5->Caption(), "8");
  EXPECT_EQ(Form1->Edit1->Text(), "7");
  EXPECT_EQ(Form1->PopupMenu1->Items()->Items(1)->Caption(), "Menü anzeigen");
  EXPECT_TRUE(FirstShow);

  Form1->Show();
  wintest::Pump();
  EXPECT_FALSE(FirstShow);
  const struct {
    AnsiString Caption;
    int Text;
  } expected[] = {
      {Form1->SpeedButton1->Caption(), 2},  {Form1->Label1->Caption(), 3},
      {Form1->Label2->Caption(), 4},        {Form1->Label3->Caption(), 5},
      {Form1->Label4->Caption(), 6},        {Form1->Edit1->Text(), 7},
      {Form1->Label5->Caption(), 8},        {Form1->Homepage1->Caption(), 9},
      {Form1->Menanzeigen1->Caption(), 10}, {Form1->Beenden1->Caption(), 11},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.Text);
    EXPECT_EQ(e.Caption, Trans->Text(e.Text));
    EXPECT_FALSE(e.Caption.empty());
  }
  EXPECT_EQ(Form1->Edit1->Text(), "Die Zeit ist um!");
  EXPECT_EQ(Form1->Label6->Caption(), "3.8");
  EXPECT_EQ(Form1->Button1->Caption(), "...");
}

TEST_F(WindowTest, FirstShowSelectsTheFirstSoundWithoutPlayingIt) {
  SetClock(7, 45, 30);
  StartWindow();
  EXPECT_EQ(Form1->ComboBox2->ItemIndex(), 0);
  EXPECT_EQ(Form1->ComboBox2->Text(), "Wakora1");
  EXPECT_TRUE(sounds_.empty());
  EXPECT_TRUE(shell_.empty());
  // The picker holds the time of the first show, on its own date.
  const TTimeParts picked = DecodeTime(Form1->DateTimePicker1->Time());
  EXPECT_EQ(picked.Hour, 7);
  EXPECT_EQ(picked.Minute, 45);
}

TEST_F(WindowTest, LanguageListHoldsTheNamesInOrderWithTheActiveOneSelected) {
  StartWindow();
  TStrings* items = Form1->ComboBox1->Items();
  ASSERT_EQ(items->Count(), Trans->LanguageCount);
  for (int i = 0; i < items->Count(); ++i) EXPECT_EQ((*items)[i], Trans->LanguageName(i));
  EXPECT_EQ((*items)[0], "Deutsch");
  EXPECT_EQ(Form1->ComboBox1->ItemIndex(), 0);
}

TEST_F(WindowTest, ActiveLanguageFromAnEarlierRunIsSelected) {
  apptest::CopyLanguageFiles(folder_);
  CopyFileW(WidePath(folder_ + "\\Wakora.t03").c_str(), WidePath(folder_ + "\\Wakora.def").c_str(),
            FALSE);
  StartWindow();
  EXPECT_EQ(Form1->ComboBox1->ItemIndex(), 3);
  EXPECT_EQ(Form1->Edit1->Text(), Trans->Text(7));
}

TEST_F(WindowTest, ShowingAgainChangesNothing) {
  SetClock(8, 0, 0);
  StartWindow();
  Form1->Edit1->SetText("buy milk");
  Form1->ComboBox2->SetItemIndex(2);
  const TDateTime picked = Form1->DateTimePicker1->Time();
  SetClock(9, 30, 0);
  Form1->Hide();
  wintest::Pump();
  Form1->Show();
  wintest::Pump();
  EXPECT_EQ(Form1->Edit1->Text(), "buy milk");
  EXPECT_EQ(Form1->ComboBox2->ItemIndex(), 2);
  EXPECT_DOUBLE_EQ(Form1->DateTimePicker1->Time(), picked);
  EXPECT_EQ(Form1->ComboBox1->Items()->Count(), Trans->LanguageCount);
}

TEST_F(WindowTest, ChoosingALanguageChangesEveryCaptionAndTheReminder) {
  StartWindow();
  Form1->Edit1->SetText("typed");
  Form1->ComboBox1->SetItemIndex(1);
  Form1->ComboBox1Change(Form1->ComboBox1);
  EXPECT_EQ(Form1->SpeedButton1->Caption(), "&Set alarm");
  EXPECT_EQ(Form1->Label1->Caption(), "&Language:");
  EXPECT_EQ(Form1->Edit1->Text(), "Time's up!");
  EXPECT_EQ(Form1->Menanzeigen1->Caption(), "&Show Wakora");
  EXPECT_EQ(Form1->Beenden1->Caption(), "&Quit Wakora");
  EXPECT_EQ(Form1->ComboBox1->ItemIndex(), 1);
}

TEST_F(WindowTest, WithoutLanguageFilesTheWindowShowsOnceWithEmptyCaptions) {
  with_languages_ = false;
  StartWindow();
  EXPECT_EQ(terminations_, 1);
  EXPECT_EQ(Form1->SpeedButton1->Caption(), "");
  EXPECT_EQ(Form1->Label3->Caption(), "");
  EXPECT_EQ(Form1->Edit1->Text(), "");
  EXPECT_EQ(Form1->Beenden1->Caption(), "");
  EXPECT_EQ(Form1->ComboBox1->Items()->Count(), 1);
}

// The icon a window shows: its own, else its class's.
HICON ShownIcon(HWND window, WPARAM type) {
  auto icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, type, 0));
  if (icon) return icon;
  return reinterpret_cast<HICON>(
      GetClassLongPtrA(window, type == ICON_BIG ? GCLP_HICON : GCLP_HICONSM));
}

TEST_F(WindowTest, TheTaskbarWindowAndTheFormShowTheProgramsIcon) {
  // The taskbar window is older than the icon here; the form is made after it.
  Application->SetIconResource("MAINICON");
  ASSERT_NE(Application->Icon(), nullptr);
  ASSERT_NE(Application->SmallIcon(), nullptr);
  CreateMainWindow();
  for (HWND window : {Application->Handle(), Form1->Handle()}) {
    EXPECT_EQ(ShownIcon(window, ICON_BIG), Application->Icon());
    EXPECT_EQ(ShownIcon(window, ICON_SMALL), Application->SmallIcon());
  }
  // Moved to a monitor of twice the scale, the caption's icon is that monitor's size; back on
  // the first, the program's own again.
  const TDpiServices system = DpiServices();
  for (const int dpi : {2 * ScreenPixelsPerInch(), ScreenPixelsPerInch()}) {
    DpiServices().WindowPixelsPerInch = [dpi](HWND) { return dpi; };
    RECT place;
    GetWindowRect(Form1->Handle(), &place);
    SendMessageA(Form1->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&place));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(ShownIcon(Form1->Handle(), ICON_SMALL), &info));
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(mask.bmWidth, SystemMetricForDpi(SM_CXSMICON, dpi)) << dpi;
  }
  DpiServices() = system;
  EXPECT_EQ(ShownIcon(Form1->Handle(), ICON_SMALL), Application->SmallIcon());
}

TEST_F(WindowTest, TheApplicationWindowFollowsTheFormsVisibility) {
  CreateMainWindow();
  HWND app = Application->Handle();
  EXPECT_FALSE(IsWindowVisible(app));  // the tray icon hid it while the form was read
  Form1->Show();
  wintest::Pump();
  EXPECT_TRUE(IsWindowVisible(app));
  Form1->Hide();
  EXPECT_FALSE(IsWindowVisible(app));
}

}  // namespace
