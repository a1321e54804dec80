#include "controls-extra/gallery/InspectorForm.h"

#include <algorithm>

#include "framework/win/StdCtrls.h"

const TClassInfo& TInspectorForm::StaticClassInfo() {
  static const TClassInfo& info = []() -> const TClassInfo& {
    // The caption above the list is read by class name; it has no field.
    RegisterComponentClass(TLabel::StaticClassInfo());
    return TClassBuilder<TInspectorForm>("TInspectorForm", &TForm::StaticClassInfo())
        .PublishInherited()
        .Field("InspectedList", &TInspectorForm::InspectedList)
        .Field("PropertyGrid", &TInspectorForm::PropertyGrid)
        .Field("ValueEdit", &TInspectorForm::ValueEdit)
        .Field("ValueList", &TInspectorForm::ValueList)
        .Field("MessageLabel", &TInspectorForm::MessageLabel)
        .Field("AnimateBox", &TInspectorForm::AnimateBox)
        .Field("CopyButton", &TInspectorForm::CopyButton)
        .Method("InspectedListChange", &TInspectorForm::InspectedListChange)
        .Method("PropertyGridDrawCell", &TInspectorForm::PropertyGridDrawCell)
        .Method("PropertyGridSelectCell", &TInspectorForm::PropertyGridSelectCell)
        .Method("ValueEditKeyPress", &TInspectorForm::ValueEditKeyPress)
        .Method("ValueListChange", &TInspectorForm::ValueListChange)
        .Method("AnimateBoxClick", &TInspectorForm::AnimateBoxClick)
        .Method("CopyButtonClick", &TInspectorForm::CopyButtonClick)
        .Build();
  }();
  return info;
}

void TInspectorForm::Loaded() {
  TForm::Loaded();
  // The names get the room the longest of them needs (Constraints.MaxHeight) at the form's
  // resolution; the values the rest, beside the scroll bar.
  const int name_width = ScaleDesign(136);
  PropertyGrid->SetColWidth(0, name_width);
  PropertyGrid->SetColWidth(1, PropertyGrid->Width() - name_width - 4 -
                                   GetSystemMetrics(SM_CXVSCROLL) -
                                   2 * PropertyGrid->GridLineWidth());
}

void TInspectorForm::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  if (auto* gallery = dynamic_cast<TForm*>(Owner())) params.WndParent = gallery->Handle();
  // Windows keeps any owned window above its owner; some systems only an owned pop-up.
  params.Style |= WS_POPUP;
}

void TInspectorForm::Inspect(TForm& form, const std::function<bool(TComponent*)>& listed,
                             TTimer* animation) {
  animation_ = animation;
  AnimateBox->SetChecked(animation && animation->Enabled());
  inspector_ = std::make_unique<TInspector>(
      form, TInspector::TParts{InspectedList, PropertyGrid, ValueEdit, ValueList, MessageLabel});
  inspector_->FillControlList(listed);
  OnClose = [&form](TObject*) { form.Close(); };
}

void TInspectorForm::ShowBeside(const TForm& form) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  const RECT beside{form.Left() + form.Width(), form.Top(), 0, 0};
  GetMonitorInfoA(MonitorFromRect(&beside, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const int left = std::max<int>(work.left, std::min<int>(beside.left, work.right - Width()));
  const int top = std::max<int>(work.top, std::min<int>(beside.top, work.bottom - Height()));
  SetBounds(left, top, Width(), Height());
  Show();
}

void TInspectorForm::InspectedListChange(TObject*) {
  inspector_->ControlChosen();
}

void TInspectorForm::PropertyGridDrawCell(TObject*, int col, int row, RECT rect, TGridDrawState) {
  if (inspector_) inspector_->DrawCell(col, row, rect);
}

void TInspectorForm::PropertyGridSelectCell(TObject*, int, int row, bool&) {
  if (inspector_) inspector_->SelectRow(row);
}

void TInspectorForm::ValueEditKeyPress(TObject*, char& key) {
  if (key == '\r') {
    inspector_->ApplyText(ValueEdit->Text());
    key = 0;  // no beep
  } else if (key == 27) {
    inspector_->RevertEditor();
    key = 0;
  }
}

void TInspectorForm::ValueListChange(TObject*) {
  inspector_->ApplyText(ValueList->Text());
}

void TInspectorForm::AnimateBoxClick(TObject*) {
  if (animation_) animation_->SetEnabled(AnimateBox->Checked());
}

void TInspectorForm::CopyButtonClick(TObject*) {
  inspector_->CopyAsFormText();
}
