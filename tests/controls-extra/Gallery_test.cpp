// The gallery's form reads from its resource, and its timer brings every control to life.
#include "controls-extra/gallery/GalleryForm.h"

#include <gtest/gtest.h>

#include "framework/core/Filer.h"
#include "tests/framework/win/WinTest.h"

namespace {

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
