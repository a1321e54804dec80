// The gallery's form reads from its resource, and its timer brings every control to life. Its
// property window is driven as a person drives it: a control chosen from the list, a row clicked, a
// value typed and Enter pressed, the copy button pressed.
#include "controls-extra/gallery/GalleryForm.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "framework/core/Filer.h"
#include "tests/framework/win/WinTest.h"

namespace {

// What the clipboard holds as text; empty when it holds none.
AnsiString ClipboardText() {
  AnsiString text;
  if (!OpenClipboard(nullptr)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = TextOf(chars, wcslen(chars));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

void Choose(TComboBox* list, const AnsiString& item) {
  const int index = list->Items()->IndexOf(item);
  ASSERT_GE(index, 0) << item;
  SendMessageA(list->Handle(), CB_SETCURSEL, index, 0);
  SendMessageA(GetParent(list->Handle()), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list->Handle()));
}

void Type(TEdit* edit, const char* text) {
  SetWindowTextA(edit->Handle(), text);
  SendMessageA(edit->Handle(), WM_CHAR, '\r', 0);
}

TEST(GalleryProperties, SetsAGaugeRefusesABadValueAndCopiesItAsFormText) {
  wintest::EnsureApplication();
  auto* gallery = new TGalleryForm(Application);
  gallery->LoadFromResource();
  gallery->Show();
  wintest::Pump();  // the property window comes once the gallery is up
  TPropertyWindow* properties = gallery->PropertyWindow();
  // Its own window, on the screen beside the gallery, or over the gallery's edge where the
  // screen is too narrow for both.
  ASSERT_TRUE(properties->Showing());
  EXPECT_EQ(GetWindow(properties->Handle(), GW_OWNER), gallery->Handle()) << "not above it";
  {
    HWND above = gallery->Handle();
    while (above && above != properties->Handle()) above = GetWindow(above, GW_HWNDPREV);
    EXPECT_EQ(above, properties->Handle()) << "under the gallery";
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromWindow(properties->Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
  RECT placed{};
  GetWindowRect(properties->Handle(), &placed);
  EXPECT_GE(placed.left, monitor.rcWork.left);
  EXPECT_LE(placed.right, monitor.rcWork.right);
  EXPECT_LE(placed.bottom, monitor.rcWork.bottom);
  EXPECT_GE(placed.left, std::min<LONG>(gallery->Left() + gallery->Width(),
                                        monitor.rcWork.right - (placed.right - placed.left)));
  SendMessageA(properties->AnimateBox->Handle(), BM_CLICK, 0, 0);
  ASSERT_FALSE(gallery->Timer1->Enabled()) << "values set by hand stay";
  TCGauge* gauge = gallery->HorizontalGauge;

  Choose(properties->ControlList, "HorizontalGauge: TCGauge");
  ASSERT_EQ(properties->View()->Shown(), gauge);
  const std::vector<TPropertyRow> rows = ListProperties(*gauge);
  int progress_row = 0;
  while (rows[progress_row].Path != "Progress") ++progress_row;
  const RECT cell = properties->PropertyGrid->CellRect(1, progress_row + 1);
  wintest::Click(properties->PropertyGrid->Handle(), cell.left + 4, cell.top + 4);
  EXPECT_EQ(properties->ValueEdit->Text(), Format("%d", gauge->Progress()))
      << "the row's value, ready to change";

  Type(properties->ValueEdit, "42");
  EXPECT_EQ(gauge->Progress(), 42);
  EXPECT_EQ(properties->MessageLabel->Caption(), "Progress = 42");

  Type(properties->ValueEdit, "forty");
  EXPECT_EQ(gauge->Progress(), 42) << "the gauge keeps its value";
  EXPECT_EQ(properties->MessageLabel->Caption(),
            "Progress takes a whole number from -2147483648 to 2147483647, not 'forty'");

  // An enumeration is chosen from a list, which sets it at once.
  int kind_row = 0;
  while (rows[kind_row].Path != "Kind") ++kind_row;
  properties->PropertyGrid->SetRow(kind_row + 1);
  ASSERT_TRUE(properties->ValueList->Visible());
  Choose(properties->ValueList, "gkPie");
  EXPECT_EQ(gauge->Kind(), TCGaugeKind::gkPie);

  SendMessageA(properties->CopyButton->Handle(), BM_CLICK, 0, 0);
  const AnsiString copied = ClipboardText();
  EXPECT_NE(copied.find("\r\n"), AnsiString::npos) << "lines end as the system's text does";
  TCGauge pasted(nullptr);
  ReadComponentText(pasted, copied);
  EXPECT_EQ(pasted.Name(), "HorizontalGauge");
  EXPECT_EQ(pasted.Progress(), 42);
  EXPECT_EQ(pasted.Kind(), TCGaugeKind::gkPie);
  EXPECT_EQ(pasted.ForeColor(), clNavy);

  // Another window holds the clipboard open: nothing is copied, and the message says so.
  gauge->SetProgress(7);
  ASSERT_TRUE(OpenClipboard(gallery->Handle()));
  SendMessageA(properties->CopyButton->Handle(), BM_CLICK, 0, 0);
  CloseClipboard();
  EXPECT_EQ(properties->MessageLabel->Caption(),
            "The clipboard is in use by another program; nothing was copied");
  EXPECT_EQ(ClipboardText(), copied);

  // Closing the property window closes the gallery.
  SendMessageA(properties->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(gallery->Showing());
  TObject::Free(gallery);
}

TEST(Gallery, TheTimerFeedsTheGraphsAndMovesTheGauges) {
  wintest::EnsureApplication();
  auto* gallery = new TGalleryForm(Application);
  gallery->LoadFromResource();
  ASSERT_NE(gallery->Timer1, nullptr);
  const int before = gallery->HorizontalGauge->Progress();
  for (int tick = 0; tick < 30; ++tick) {
    SendMessageA(gallery->Timer1->Handle(), WM_TIMER, 1, 0);
  }
  EXPECT_EQ(gallery->Ticks(), 30);
  EXPECT_EQ(gallery->HorizontalGauge->Progress(), before + 30);
  for (TPerformanceGraph* graph : {gallery->LineGraph, gallery->BarGraph}) {
    const TGraphHistory& history = graph->Plot().History();
    EXPECT_EQ(history.Band(history.LastY(history.Last())).Count, 3) << graph->Name();
    EXPECT_GT(graph->Scale(), 0) << graph->Name();
  }
  TObject::Free(gallery);
}

TEST(Gallery, TheDirectoryOutlineOpensAtTheSystemFolder) {
  wintest::EnsureApplication();
  auto* gallery = new TGalleryForm(Application);
  gallery->LoadFromResource();
  const TCDirectoryOutline* outline = gallery->DirectoryOutline;
  EXPECT_EQ(outline->Items(1).Text(), "c:");
  EXPECT_EQ(outline->Items(outline->SelectedItem()).FullPath(), "c:\\windows\\system32");
  TObject::Free(gallery);
}

TEST(Gallery, ReadsTheColourGridsAndTheCalendar) {
  wintest::EnsureApplication();
  auto* gallery = new TGalleryForm(Application);
  gallery->LoadFromResource();
  ASSERT_NE(gallery->ColorGrid2, nullptr);
  ASSERT_NE(gallery->Calendar1, nullptr);
  EXPECT_EQ(gallery->ColorGrid2->GridOrdering(), TGridOrdering::go2x8);
  EXPECT_EQ(gallery->ColorGrid2->BackgroundIndex(), 4);
  EXPECT_EQ(WriteComponentText(*gallery).find("Day ="), AnsiString::npos)
      << "the calendar's date is never stored";
  TObject::Free(gallery);
}

}  // namespace
