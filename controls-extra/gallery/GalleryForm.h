// The gallery's form: every control of the library, live, each in a panel of its own with its
// class name above it. A timer feeds the graphs and moves the gauges.
//
// The panels stand in a grid with 8 pixels between them and around them: a row of two wide
// panels (308 x 176) for the graphs, then rows of five narrow ones (118 x 158), then a wide
// coloured panel (622 x 160) of flat combo boxes, one column per style. A column of panels
// 240 wide stands on the right: the colour grids, the calendar, then the directory outline open
// at the system folder. Another control takes the next free cell, or a new row below, and the
// form grows by that row. The property window is a window of its own beside the gallery.
#pragma once

#include "controls-extra/Ccalendr.h"
#include "controls-extra/Cdiroutl.h"
#include "controls-extra/Cgauges.h"
#include "controls-extra/Cgrid.h"
#include "controls-extra/Perfgrap.h"
#include "controls-extra/Tflatcomboboxunit.h"
#include "controls-extra/gallery/Propertywindow.h"
#include "framework/win/Forms.h"
#include "framework/win/Timer.h"

class TGalleryForm : public TForm {
  DECLARE_CLASS_INFO()
 public:
  using TForm::TForm;

  TPerformanceGraph* LineGraph = nullptr;
  TPerformanceGraph* BarGraph = nullptr;
  TCGauge* TextGauge = nullptr;
  TCGauge* HorizontalGauge = nullptr;
  TCGauge* VerticalGauge = nullptr;
  TCGauge* PieGauge = nullptr;
  TCGauge* NeedleGauge = nullptr;
  TCColorGrid* ColorGrid1 = nullptr;
  TCColorGrid* ColorGrid2 = nullptr;
  TCCalendar* Calendar1 = nullptr;
  TCDirectoryOutline* DirectoryOutline = nullptr;
  TTimer* Timer1 = nullptr;

  // Opens the directory outline at the system folder of the C: drive, and makes the property
  // window with the list of the controls; it shows with the gallery.
  void Loaded() override;

  // One step of the made-up load figures: a point per series on each graph, and a step of
  // progress on each gauge.
  void Timer1Timer(TObject* sender);

  int Ticks() const { return ticks_; }
  TPropertyWindow* PropertyWindow() const { return property_window_; }

 protected:
  // Shows the property window beside the gallery on kShowProperties.
  void WndProc(TMessage& message) override;

 private:
  static constexpr UINT kShowProperties = WM_APP + 1;

  int ticks_ = 0;
  TPropertyWindow* property_window_ = nullptr;  // owned as a component
};
