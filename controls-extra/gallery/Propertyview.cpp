#include "controls-extra/gallery/Propertyview.h"

#include <algorithm>
#include <cstring>

#include "framework/core/Filer.h"
#include "framework/win/Handles.h"

namespace {

constexpr TColor kRefusedColor = clMaroon;

AnsiString WithCrLf(const AnsiString& text) {
  AnsiString out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Puts `text` on the clipboard as CF_UNICODETEXT. Raises Exception when the clipboard is not to be
// had (another program holds it open) or refuses the text; the clipboard then keeps what it had,
// unless the system emptied it already.
void PutOnClipboard(HWND owner, const AnsiString& text) {
  if (!OpenClipboard(owner)) {
    throw Exception("The clipboard is in use by another program; nothing was copied");
  }
  TScopeExit close([] { CloseClipboard(); });
  const std::wstring wide = WideText(text);
  const size_t size = (wide.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) throw EOutOfResources("There is no memory for the copy; nothing was copied");
  // Once the clipboard takes the memory it is the clipboard's; until then it is ours.
  TScopeExit free_memory([memory] { GlobalFree(memory); });
  void* bytes = GlobalLock(memory);
  if (!bytes) throw EOutOfResources("There is no memory for the copy; nothing was copied");
  std::memcpy(bytes, wide.c_str(), size);
  GlobalUnlock(memory);
  if (!EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory)) {
    throw Exception("The clipboard refused the text; nothing was copied");
  }
  free_memory.Dismiss();
}

bool ChosenFromList(const TPropInfo& prop) {
  return prop.Kind == TPropKind::Enum || prop.Kind == TPropKind::Bool;
}

}  // namespace

void TPropertyView::ShowComponent(TComponent* component) {
  shown_ = component;
  rows_ = component ? ListProperties(*component) : std::vector<TPropertyRow>();
  current_ = -1;
  TDrawGrid* grid = parts_.Grid;
  grid->SetRowCount(std::max<int>(2, static_cast<int>(rows_.size()) + 1));
  grid->Invalidate();
  ShowMessage(AnsiString(), false);
  SelectRow(1);
  if (grid->Row() != 1) grid->SetRow(1);
}

void TPropertyView::FillControlList(const std::function<bool(TComponent*)>& keep) {
  candidates_.clear();
  std::vector<AnsiString> names;
  for (TComponent* component : root_.Components()) {
    if (!keep(component)) continue;
    candidates_.push_back(component);
    names.push_back(component->Name() + ": " + component->ClassName());
  }
  parts_.Controls->Items()->SetItems(names);
  parts_.Controls->SetItemIndex(candidates_.empty() ? -1 : 0);
  ShowComponent(candidates_.empty() ? nullptr : candidates_.front());
}

void TPropertyView::ControlChosen() {
  const int index = parts_.Controls->ItemIndex();
  if (index < 0 || index >= static_cast<int>(candidates_.size())) return;
  ShowComponent(candidates_[static_cast<size_t>(index)]);
}

void TPropertyView::SelectRow(int row) {
  current_ = row >= 1 && row <= static_cast<int>(rows_.size()) ? row - 1 : -1;
  RevertEditor();
}

const TPropertyRow* TPropertyView::CurrentRow() const {
  return current_ >= 0 ? &rows_[static_cast<size_t>(current_)] : nullptr;
}

void TPropertyView::RevertEditor() {
  const TPropertyRow* row = CurrentRow();
  const bool choose = row && ChosenFromList(*row->Prop);
  parts_.Edit->SetVisible(!choose);
  parts_.Choice->SetVisible(choose);
  if (!row) {
    parts_.Edit->SetText(AnsiString());
    parts_.Edit->SetEnabled(false);
    return;
  }
  const AnsiString text = ValueText(*row->Prop, row->Prop->Get(*row->Instance));
  if (choose) {
    parts_.Choice->Items()->SetItems(row->Prop->Kind == TPropKind::Bool
                                         ? std::vector<AnsiString>{"False", "True"}
                                         : row->Prop->Enum->Names);
    parts_.Choice->SetItemIndex(parts_.Choice->Items()->IndexOf(text));
  } else {
    // Sub-objects' bytes and lists are shown, not typed.
    parts_.Edit->SetEnabled(!AcceptedText(*row->Prop).empty());
    parts_.Edit->SetText(text);
  }
}

void TPropertyView::ApplyText(const AnsiString& text) {
  const TPropertyRow* row = CurrentRow();
  if (!row) return;
  try {
    SetPropertyText(*row, text, &root_);
  } catch (const Exception& e) {
    ShowMessage(e.Message, true);
    if (ChosenFromList(*row->Prop)) RevertEditor();
    parts_.Grid->Invalidate();
    return;
  }
  RevertEditor();
  ShowMessage(row->Path + " = " + ValueText(*row->Prop, row->Prop->Get(*row->Instance)), false);
  // A setter may change other properties too (a maximum pulls the progress down).
  parts_.Grid->Invalidate();
}

void TPropertyView::DrawCell(int col, int row, const RECT& rect) {
  AnsiString text;
  if (row == 0) {
    text = col == 0 ? "Property" : "Value";
  } else if (row <= static_cast<int>(rows_.size())) {
    const TPropertyRow& property = rows_[static_cast<size_t>(row - 1)];
    text = col == 0 ? property.Path
                    : ValueText(*property.Prop, property.Prop->Get(*property.Instance));
  }
  TCanvas* canvas = parts_.Grid->Canvas();
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  canvas->TextRect(rect, rect.left + 2, rect.top + 1, text);
}

void TPropertyView::Refresh() {
  parts_.Grid->Invalidate();
}

void TPropertyView::CopyAsFormText() {
  if (!shown_) return;
  try {
    PutOnClipboard(parts_.Controls->Handle(), WithCrLf(WriteComponentText(*shown_)));
  } catch (const Exception& e) {
    ShowMessage(e.Message, true);
    return;
  }
  ShowMessage(Format("%s is on the clipboard as form text", shown_->Name().c_str()), false);
}

void TPropertyView::ShowMessage(const AnsiString& text, bool refused) {
  parts_.Message->Font()->SetColor(refused ? kRefusedColor : clWindowText);
  parts_.Message->SetCaption(text);
}
