// Perfgrap: TPerformanceGraph, a windowless strip chart for watching a load figure over time.
// A cycle adds up to 16 points (a colour and a value each) with DataPoint; Update then scrolls
// the picture one band to the left and draws the cycle's points at the right edge, as lines
// joining each colour to its value in the band before, or as a stack of bars. The scale
// follows the largest value that the history holds.
//
// The picture is an off-screen bitmap of the control's size; painting copies it in one step,
// and a size that changed is noticed there and redrawn from the history. What to draw is the
// plot's business (Perfgrap_core); this unit draws it on the bitmap.
//
// Ownership: the control owns its bitmap and its plot.
#pragma once

#include <memory>

#include "controls-extra/Perfgrap_core.h"
#include "framework/win/Controls.h"

class TGraphBitmap;

class TPerformanceGraph : public TGraphicControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TPerformanceGraph(TComponent* owner);
  ~TPerformanceGraph() override;

  // Adds a point to the current cycle; raises ERangeError for a seventeenth.
  void DataPoint(TColor color, int value);
  // Closes the cycle. It takes the control's update: whoever updates the control advances
  // the graph.
  void Update() override;
  // The bands that fit the width.
  int GetBandCount() const;

  TGraphKind Kind() const { return FPlot->Kind(); }
  void SetKind(TGraphKind value) { FPlot->SetKind(value); }
  // The grid lines' colour.
  TColor ForeColor() const { return FPlot->ForeColor(); }
  void SetForeColor(TColor value) { FPlot->SetForeColor(value); }
  TColor BackColor() const { return FPlot->BackColor(); }
  void SetBackColor(TColor value) { FPlot->SetBackColor(value); }
  // Pixels between grid lines, both ways; at least 2.
  int GridSize() const { return FPlot->GridSize(); }
  void SetGridSize(int value) { FPlot->SetGridSize(value); }
  // The width of a band; at least 1.
  int StepSize() const { return FPlot->StepSize(); }
  void SetStepSize(int value) { FPlot->SetStepSize(value); }
  // The value at the full height, always rounded up to a multiple of Gradient (0: any value).
  int Scale() const { return FPlot->Scale(); }
  void SetScale(int value) { FPlot->SetScale(value); }
  int Gradient() const { return FPlot->Gradient(); }
  void SetGradient(int value) { FPlot->SetGradient(value); }
  bool Gridlines() const { return FPlot->Gridlines(); }
  void SetGridlines(bool value) { FPlot->SetGridlines(value); }
  // The width of the graph's lines, and of the control canvas's pen.
  int PenWidth() const { return FPlot->PenWidth(); }
  void SetPenWidth(int value);

  // Called whenever the scale is set, by code or by Update, also to the value it had.
  TNotifyEvent OnScaleChange;

  const TGraphPlot& Plot() const { return *FPlot; }

 protected:
  // The grid, the bands and the lines are measured in pixels: they grow with the screen's
  // resolution, as the control does.
  void ScaleOwn(int multiplier, int divider) override;
  void Paint() override;

 private:
  std::unique_ptr<TGraphBitmap> FBitmap;  // owned: the picture
  std::unique_ptr<TGraphPlot> FPlot;      // owned
};

namespace Perfgrap {
// Makes TPerformanceGraph known to form descriptions by its class name.
void Register();
}  // namespace Perfgrap
