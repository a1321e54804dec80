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
        .Field("InspectorPanel", &TGalleryForm::InspectorPanel)
        .Field("InspectedList", &TGalleryForm::InspectedList)
        .Field("PropertyGrid", &TGalleryForm::PropertyGrid)
        .Field("ValueEdit", &TGalleryForm::ValueEdit)
        .Field("ValueList", &TGalleryForm::ValueList)
        .Field("MessageLabel", &TGalleryForm::MessageLabel)
        .Field("AnimateBox", &TGalleryForm::AnimateBox)
        .Field("CopyButton", &TGalleryForm::CopyButton)
        .Method("Timer1Timer", &TGalleryForm::Timer1Timer)
        .Method("InspectedListChange", &TGalleryForm::InspectedListChange)
        .Method("PropertyGridDrawCell", &TGalleryForm::PropertyGridDrawCell)
        .Method("PropertyGridSelectCell", &TGalleryForm::PropertyGridSelectCell)
        .Method("ValueEditKeyPress", &TGalleryForm::ValueEditKeyPress)
        .Method("ValueListChange", &TGalleryForm::ValueListChange)
        .Method("AnimateBoxClick", &TGalleryForm::AnimateBoxClick)
        .Method("CopyButtonClick", &TGalleryForm::CopyButtonClick)
        .Build();
  }();
  return info;
}

void TGalleryForm::Loaded() {
  TForm::Loaded();
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length > 0 && length < MAX_PATH) DirectoryOutline->SetDirectory(Utf8Path(folder, length));

  // The names get the room the longest of them needs (Constraints.MaxHeight) at the form's
  // resolution; the values the rest, beside the scroll bar.
  const int name_width = ScaleDesign(136);
  PropertyGrid->SetColWidth(0, name_width);
  PropertyGrid->SetColWidth(1, PropertyGrid->Width() - name_width - 4 -
                                   GetSystemMetrics(SM_CXVSCROLL) -
                                   2 * PropertyGrid->GridLineWidth());
  inspector_ = std::make_unique<TInspector>(
      *this, TInspector::TParts{InspectedList, PropertyGrid, ValueEdit, ValueList, MessageLabel});
  // The library's controls; the panels and captions around them and the inspector are not.
  inspector_->FillControlList([this](TComponent* component) {
    auto* control = dynamic_cast<TControl*>(component);
    return control && !dynamic_cast<TPanel*>(control) && !dynamic_cast<TLabel*>(control) &&
           control->Parent() != InspectorPanel;
  });
}

void TGalleryForm::InspectedListChange(TObject*) {
  inspector_->ControlChosen();
}

void TGalleryForm::PropertyGridDrawCell(TObject*, int col, int row, RECT rect, TGridDrawState) {
  inspector_->DrawCell(col, row, rect);
}

void TGalleryForm::PropertyGridSelectCell(TObject*, int, int row, bool&) {
  inspector_->SelectRow(row);
}

void TGalleryForm::ValueEditKeyPress(TObject*, char& key) {
  if (key == '\r') {
    inspector_->ApplyText(ValueEdit->Text());
    key = 0;  // no beep
  } else if (key == 27) {
    inspector_->RevertEditor();
    key = 0;
  }
}

void TGalleryForm::ValueListChange(TObject*) {
  inspector_->ApplyText(ValueList->Text());
}

void TGalleryForm::AnimateBoxClick(TObject*) {
  Timer1->SetEnabled(AnimateBox->Checked());
}

void TGalleryForm::CopyButtonClick(TObject*) {
  inspector_->CopyAsFormText();
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
  if (inspector_) inspector_->Refresh();
}
