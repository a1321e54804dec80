#include "controls-extra/gallery/GalleryForm.h"

#include <cmath>

#include "framework/win/ExtCtrls.h"
#include "framework/win/Platform.h"
#include "framework/win/StdCtrls.h"

const TClassInfo& TGalleryForm::StaticClassInfo() {
  static const TClassInfo& info = []() -> const TClassInfo& {
    // The panels and their captions are read by class name; they have no fields.
    RegisterComponentClass(TPanel::StaticClassInfo());
    RegisterComponentClass(TLabel::StaticClassInfo());
    Tflatcomboboxunit::Register();
    return TClassBuilder<TGalleryForm>("TGalleryForm", &TForm::StaticClassInfo())
        .PublishInherited()
        .Field("LineGraph", &TGalleryForm::LineGraph)
        .Field("BarGraph", &TGalleryForm::BarGraph)
        .Field("TextGauge", &TGalleryForm::TextGauge)
        .Field("HorizontalGauge", &TGalleryForm::HorizontalGauge)
        .Field("VerticalGauge", &TGalleryForm::VerticalGauge)
        .Field("PieGauge", &TGalleryForm::PieGauge)
        .Field("NeedleGauge", &TGalleryForm::NeedleGauge)
        .Field("DirectoryOutline", &TGalleryForm::DirectoryOutline)
        .Field("ColorGrid1", &TGalleryForm::ColorGrid1)
        .Field("ColorGrid2", &TGalleryForm::ColorGrid2)
        .Field("Calendar1", &TGalleryForm::Calendar1)
        .Field("Timer1", &TGalleryForm::Timer1)
        .Method("Timer1Timer", &TGalleryForm::Timer1Timer)
        .Build();
  }();
  return info;
}

void TGalleryForm::Loaded() {
  TForm::Loaded();
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length > 0 && length < MAX_PATH) DirectoryOutline->SetDirectory(Utf8Path(folder, length));

  property_window_ = new TPropertyWindow(this);
  property_window_->LoadFromResource();
  // The library's controls; the panels and captions around them, and the property window, are not.
  property_window_->ListControls(
      *this,
      [](TComponent* component) {
        auto* control = dynamic_cast<TControl*>(component);
        return control && !dynamic_cast<TPanel*>(control) && !dynamic_cast<TLabel*>(control) &&
               !dynamic_cast<TForm*>(control);
      },
      Timer1);
  // Once the gallery is shown and in front: the property window then comes up in front of it.
  OnShow = [this](TObject*) { PostMessageA(Handle(), kShowProperties, 0, 0); };
}

void TGalleryForm::WndProc(TMessage& message) {
  if (message.Msg == kShowProperties) {
    if (property_window_ && Showing()) property_window_->ShowBeside(*this);
    return;
  }
  TForm::WndProc(message);
}

void TGalleryForm::Timer1Timer(TObject*) {
  const double t = ++ticks_ * 0.15;
  // Three loads that wander at their own pace.
  const int cpu = static_cast<int>(450 + 350 * std::sin(t));
  const int disk = static_cast<int>(300 + 250 * std::sin(t * 0.37 + 1));
  const int net = static_cast<int>(250 + 200 * std::sin(t * 2.3) * std::sin(t * 0.5));
  LineGraph->DataPoint(clLime, cpu);
  LineGraph->DataPoint(clYellow, disk);
  LineGraph->DataPoint(clAqua, net);
  LineGraph->Update();
  // Bars stack: each point reaches from the one before up to its own value.
  BarGraph->DataPoint(clRed, cpu / 2);
  BarGraph->DataPoint(clYellow, cpu / 2 + disk / 2);
  BarGraph->DataPoint(clLime, cpu / 2 + disk / 2 + net / 4);
  BarGraph->Update();

  for (TCGauge* gauge : {TextGauge, HorizontalGauge, VerticalGauge, PieGauge, NeedleGauge}) {
    if (gauge->Progress() >= gauge->MaxValue()) {
      gauge->SetProgress(gauge->MinValue());
    } else {
      gauge->AddProgress(1);
    }
  }
  // The shown values change only where the tick moved something: a gauge, or a graph's scale.
  TPropertyView* view = property_window_ ? property_window_->View() : nullptr;
  const TComponent* shown = view ? view->Shown() : nullptr;
  for (const TComponent* moved : std::initializer_list<const TComponent*>{
           LineGraph, BarGraph, TextGauge, HorizontalGauge, VerticalGauge, PieGauge, NeedleGauge}) {
    if (shown == moved) view->Refresh();
  }
}
