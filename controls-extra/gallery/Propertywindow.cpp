#include "controls-extra/gallery/Propertywindow.h"

#include "framework/win/Platform.h"
#include "framework/win/StdCtrls.h"

const TClassInfo& TPropertyWindow::StaticClassInfo() {
  static const TClassInfo& info = []() -> const TClassInfo& {
    // The caption above the list is read by class name; it has no field.
    RegisterComponentClass(TLabel::StaticClassInfo());
    return TClassBuilder<TPropertyWindow>("TPropertyWindow", &TForm::StaticClassInfo())
        .PublishInherited()
        .Field("ControlList", &TPropertyWindow::ControlList)
        .Field("PropertyGrid", &TPropertyWindow::PropertyGrid)
        .Field("ValueEdit", &TPropertyWindow::ValueEdit)
        .Field("ValueList", &TPropertyWindow::ValueList)
        .Field("MessageLabel", &TPropertyWindow::MessageLabel)
        .Field("AnimateBox", &TPropertyWindow::AnimateBox)
        .Field("CopyButton", &TPropertyWindow::CopyButton)
        .Method("ControlListChange", &TPropertyWindow::ControlListChange)
        .Method("PropertyGridDrawCell", &TPropertyWindow::PropertyGridDrawCell)
        .Method("PropertyGridSelectCell", &TPropertyWindow::PropertyGridSelectCell)
        .Method("ValueEditKeyPress", &TPropertyWindow::ValueEditKeyPress)
        .Method("ValueListChange", &TPropertyWindow::ValueListChange)
        .Method("AnimateBoxClick", &TPropertyWindow::AnimateBoxClick)
        .Method("CopyButtonClick", &TPropertyWindow::CopyButtonClick)
        .Build();
  }();
  return info;
}

void TPropertyWindow::Loaded() {
  TForm::Loaded();
  // The names get the room the longest of them needs (Constraints.MaxHeight) at the form's
  // resolution; the values the rest, beside the scroll bar.
  const int name_width = ScaleDesign(136);
  PropertyGrid->SetColWidth(0, name_width);
  PropertyGrid->SetColWidth(1, PropertyGrid->Width() - name_width - 4 -
                                   SystemMetricForDpi(SM_CXVSCROLL, PixelsPerInch()) -
                                   2 * PropertyGrid->GridLineWidth());
}

void TPropertyWindow::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  if (auto* gallery = dynamic_cast<TForm*>(Owner())) params.WndParent = gallery->Handle();
  // Windows keeps any owned window above its owner; some systems only an owned pop-up.
  params.Style |= WS_POPUP;
}

void TPropertyWindow::ListControls(TForm& form, const std::function<bool(TComponent*)>& listed,
                                   TTimer* animation) {
  animation_ = animation;
  AnimateBox->SetChecked(animation && animation->Enabled());
  view_ = std::make_unique<TPropertyView>(
      form, TPropertyView::TParts{ControlList, PropertyGrid, ValueEdit, ValueList, MessageLabel});
  view_->FillControlList(listed);
  OnClose = [&form](TObject*) { form.Close(); };
}

void TPropertyWindow::ShowBeside(const TForm& form) {
  const RECT gallery = form.BoundsRect();
  const POINT place = InsideWorkArea(gallery, gallery.right, gallery.top, Width(), Height());
  SetBounds(place.x, place.y, Width(), Height());
  Show();
}

void TPropertyWindow::ControlListChange(TObject*) {
  view_->ControlChosen();
}

void TPropertyWindow::PropertyGridDrawCell(TObject*, int col, int row, RECT rect, TGridDrawState) {
  if (view_) view_->DrawCell(col, row, rect);
}

void TPropertyWindow::PropertyGridSelectCell(TObject*, int, int row, bool&) {
  if (view_) view_->SelectRow(row);
}

void TPropertyWindow::ValueEditKeyPress(TObject*, wchar_t& key) {
  if (key == '\r') {
    view_->ApplyText(ValueEdit->Text());
    key = 0;  // no beep
  } else if (key == 27) {
    view_->RevertEditor();
    key = 0;
  }
}

void TPropertyWindow::ValueListChange(TObject*) {
  view_->ApplyText(ValueList->Text());
}

void TPropertyWindow::AnimateBoxClick(TObject*) {
  if (animation_) animation_->SetEnabled(AnimateBox->Checked());
}

void TPropertyWindow::CopyButtonClick(TObject*) {
  view_->CopyAsFormText();
}
