#include "controls-extra/Perfgrap.h"

#include "framework/win/Handles.h"

namespace {

RECT ToRect(const TLayoutRect& rect) {
  return {rect.Left, rect.Top, rect.Right, rect.Bottom};
}

}  // namespace

// The graph's picture: the plot draws on this bitmap, and the control copies it to the screen.
class TGraphBitmap : public TGraphPicture {
 public:
  explicit TGraphBitmap(TPerformanceGraph& graph) : graph_(graph) {}

  TBitmap& Bitmap() { return bitmap_; }
  // Set while the control paints: the picture is on its way to the screen already.
  bool Painting = false;

  int ControlWidth() const override { return graph_.Width(); }
  int ControlHeight() const override { return graph_.Height(); }
  void SetSize(int width, int height) override { bitmap_.SetSize(width, height); }
  void Fill(const TLayoutRect& rect, TColor color) override {
    TCanvas* canvas = bitmap_.Canvas();
    canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->FillRect(ToRect(rect));
  }
  void Line(int x1, int y1, int x2, int y2, TColor color, int width) override {
    TCanvas* canvas = bitmap_.Canvas();
    canvas->Pen()->SetColor(color);
    canvas->Pen()->SetWidth(width);
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
  }
  void Scroll(const TLayoutRect& source, const TLayoutRect& dest) override {
    // Nothing survives a band as wide as the picture; a reversed rectangle would mirror.
    if (source.Width() <= 0 || source.Height() <= 0) return;
    TCanvas* canvas = bitmap_.Canvas();
    canvas->SetCopyMode(SRCCOPY);
    canvas->CopyRect(ToRect(dest), *canvas, ToRect(source));
  }
  void ShowChanges() override {
    if (Painting) return;
    graph_.Invalidate();
    // The control's own update, not the graph's, which would close a cycle.
    graph_.TControl::Update();
  }

 private:
  TPerformanceGraph& graph_;  // not owned: it owns us
  TBitmap bitmap_;
};

const TClassInfo& TPerformanceGraph::StaticClassInfo() {
  // Gradient comes before Scale, which it rounds, and the event last: reading a scale calls
  // the handler.
  static const TClassInfo& info =
      TClassBuilder<TPerformanceGraph>("TPerformanceGraph", &TGraphicControl::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Align", "Anchors", "Constraints"})
          .Property("Kind", &TPerformanceGraph::Kind, &TPerformanceGraph::SetKind,
                    Default(TGraphKind::pgLine))
          .Property("ForeColor", &TPerformanceGraph::ForeColor, &TPerformanceGraph::SetForeColor,
                    DefaultColor(clGreen))
          .Property("BackColor", &TPerformanceGraph::BackColor, &TPerformanceGraph::SetBackColor,
                    DefaultColor(clBlack))
          .Property("GridSize", &TPerformanceGraph::GridSize, &TPerformanceGraph::SetGridSize,
                    Default(15))
          .Property("StepSize", &TPerformanceGraph::StepSize, &TPerformanceGraph::SetStepSize,
                    Default(3))
          .Property("Gradient", &TPerformanceGraph::Gradient, &TPerformanceGraph::SetGradient,
                    Default(100))
          .Property("Scale", &TPerformanceGraph::Scale, &TPerformanceGraph::SetScale, Default(1000))
          .Property("Gridlines", &TPerformanceGraph::Gridlines, &TPerformanceGraph::SetGridlines,
                    Default(true))
          .Property("PenWidth", &TPerformanceGraph::PenWidth, &TPerformanceGraph::SetPenWidth,
                    Default(2))
          .Publish({"Enabled", "ParentShowHint", "ShowHint", "Visible"})
          .Property("OnScaleChange", &TPerformanceGraph::OnScaleChange,
                    &TPerformanceGraph::OnScaleChange)
          .Build();
  return info;
}

TPerformanceGraph::TPerformanceGraph(TComponent* owner) : TGraphicControl(owner) {
  control_style_ |= csFramed | csOpaque;
  SetBounds(Left(), Top(), 100, 100);
  FBitmap = std::make_unique<TGraphBitmap>(*this);
  FPlot = std::make_unique<TGraphPlot>(*FBitmap);
  FPlot->OnScaleChange = [this] { OnScaleChange(this); };
  Canvas()->Pen()->SetWidth(FPlot->PenWidth());
}

TPerformanceGraph::~TPerformanceGraph() = default;

void TPerformanceGraph::DataPoint(TColor color, int value) {
  FPlot->DataPoint(color, value);
}

void TPerformanceGraph::Update() {
  FPlot->Update();
}

int TPerformanceGraph::GetBandCount() const {
  return FPlot->GetBandCount();
}

void TPerformanceGraph::SetPenWidth(int value) {
  if (value == FPlot->PenWidth()) return;
  Canvas()->Pen()->SetWidth(value);
  FPlot->SetPenWidth(value);
}

void TPerformanceGraph::ScaleOwn(int multiplier, int divider) {
  TGraphicControl::ScaleOwn(multiplier, divider);
  if (multiplier == divider || divider == 0) return;
  SetGridSize(MulDiv(GridSize(), multiplier, divider));
  SetStepSize(MulDiv(StepSize(), multiplier, divider));
  SetPenWidth(MulDiv(PenWidth(), multiplier, divider));
}

void TPerformanceGraph::Paint() {
  TBitmap& picture = FBitmap->Bitmap();
  if (picture.GetWidth() != Width() || picture.GetHeight() != Height()) {
    FBitmap->Painting = true;
    TScopeExit done([this] { FBitmap->Painting = false; });
    FPlot->Replay();  // rebuilds the ring first when the band count changed
  }
  Canvas()->SetCopyMode(SRCCOPY);
  Canvas()->Draw(0, 0, &picture);
}

namespace Perfgrap {
void Register() {
  RegisterComponentClass(TPerformanceGraph::StaticClassInfo());
}
}  // namespace Perfgrap
