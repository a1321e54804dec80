// The gallery's property window: a tool window beside the gallery with the list of the
// gallery's controls, the chosen control's published properties, the value's editor, a switch
// for the animation and "Copy as form text" (what each part does is TPropertyView's).
//
// It is a window of its own so that the gallery keeps its size: beside the gallery where the
// screen has room, otherwise against the right edge of the work area, over the gallery's edge,
// and always above the gallery. Closing it closes the gallery.
//
// Ownership: the gallery owns this form; the form owns its controls and its TPropertyView.
#pragma once

#include <functional>
#include <memory>

#include "controls-extra/gallery/Propertyview.h"
#include "framework/win/Forms.h"
#include "framework/win/Timer.h"

class TPropertyWindow : public TForm {
  DECLARE_CLASS_INFO()
 public:
  using TForm::TForm;

  TComboBox* ControlList = nullptr;
  TDrawGrid* PropertyGrid = nullptr;
  TEdit* ValueEdit = nullptr;
  TComboBox* ValueList = nullptr;
  TLabel* MessageLabel = nullptr;
  TCheckBox* AnimateBox = nullptr;
  TButton* CopyButton = nullptr;

  // Lists the components of `form` that `listed` takes and shows the first; `animation` is the
  // timer that the animation switch stops and starts.
  void ListControls(TForm& form, const std::function<bool(TComponent*)>& listed, TTimer* animation);
  // Shows the window beside `form`, inside the work area of the form's monitor.
  void ShowBeside(const TForm& form);

  void Loaded() override;

  void ControlListChange(TObject* sender);
  void PropertyGridDrawCell(TObject* sender, int col, int row, RECT rect, TGridDrawState state);
  void PropertyGridSelectCell(TObject* sender, int col, int row, bool& can_select);
  // Enter sets the typed value, Escape brings the property's value back.
  void ValueEditKeyPress(TObject* sender, wchar_t& key);
  void ValueListChange(TObject* sender);
  // Stops and starts the animation, so that a value set by hand stays.
  void AnimateBoxClick(TObject* sender);
  void CopyButtonClick(TObject* sender);

  TPropertyView* View() const { return view_.get(); }

 protected:
  // The window belongs to the gallery's: it stays above it, and goes and comes with it when
  // the gallery is minimised.
  void CreateParams(TCreateParams& params) override;

 private:
  std::unique_ptr<TPropertyView> view_;
  TTimer* animation_ = nullptr;  // not owned: the gallery's
};
