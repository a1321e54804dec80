// Outline: TCustomOutline, a tree of text items shown one per row, with tree lines or plus and
// minus boxes, open, closed and leaf pictures, and scroll bars.
//
// The items live in a TOutlineTree (Outline_core): numbered in display order, item 0 the
// invisible root. Expanding an item, by code or by the user, calls the virtual Expand, which
// raises OnExpand; a subclass that fills its items lazily reads them there.
//
// The user: a click selects the row under the pointer (a click on a plus or minus box opens or
// closes the item instead), a double click or "+" expands the selected item and "-" collapses
// it; Up, Down, Page Up, Page Down, Home and End move the selection, Left closes the item or
// goes to its parent, Right opens it or goes to its first child. Every selection the user makes
// ends in Click; a selection set by code raises nothing.
//
// Coordinates: rows are ItemHeight pixels high from the client's top, TopRow first; a level's
// column is as wide as a row is high. LeftPos pixels are scrolled off to the left.
//
// Ownership: the outline owns its items and its three pictures. Item data is not owned.
#pragma once

#include <memory>

#include "framework/core/Outline_core.h"
#include "framework/win/Grids.h"
#include "framework/win/StdCtrls.h"

enum class TOutlineType { otStandard, otOwnerDraw };
const TEnumInfo& EnumInfoOf(TOutlineType);

// (sender, item index): an item was expanded or collapsed.
using TOutlineEvent = TEvent<TObject*, int>;

class TCustomOutline : public TCustomControl {
  DECLARE_CLASS_INFO()
 public:
  explicit TCustomOutline(TComponent* owner);
  ~TCustomOutline() override;

  // --- items (see TOutlineTree)
  int ItemCount() const { return tree_.ItemCount(); }
  TOutlineNode& Items(int index) const { return tree_.Items(index); }
  void Clear() { tree_.Clear(); }
  int Add(int index, const AnsiString& text) { return tree_.Add(index, text); }
  int AddChild(int index, const AnsiString& text) { return tree_.AddChild(index, text); }
  int Insert(int index, const AnsiString& text) { return tree_.Insert(index, text); }
  int AddChildSorted(int index, const AnsiString& text, const TOutlineTree::TCompare& compare) {
    return tree_.AddChildSorted(index, text, compare);
  }
  void SetChildTexts(int index, const std::vector<AnsiString>& texts) {
    tree_.SetChildTexts(index, texts);
  }
  const AnsiString& ItemSeparator() const { return tree_.ItemSeparator(); }
  void SetItemSeparator(const AnsiString& separator);
  // 0 when none. Setting it scrolls the item into view; 0 or below raises "Ungültige Auswahl",
  // an index that is no item "Gliederungsindex nicht gefunden".
  int SelectedItem() const { return tree_.SelectedItem(); }
  void SetSelectedItem(int index);

  // --- rows
  int RowCount() const { return static_cast<int>(tree_.VisibleItems().size()); }
  int TopRow() const { return top_row_; }
  void SetTopRow(int row);
  int LeftPos() const { return left_pos_; }
  void SetLeftPos(int pixels);
  // The item shown at a client point, or -1.
  int GetItem(int x, int y) const;
  // The client rectangle of an item's text, empty when the item is not shown.
  RECT ItemTextRect(int index) const;

  // --- looks
  TOutlineStyle OutlineStyle() const { return outline_style_; }
  void SetOutlineStyle(TOutlineStyle style);
  TOutlineOptions Options() const { return options_; }
  void SetOptions(TOutlineOptions options);
  TOutlineType Style() const { return style_; }
  void SetStyle(TOutlineType style);
  int ItemHeight() const { return item_height_; }
  void SetItemHeight(int height);  // at least 1
  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle scroll_bars);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle style);
  // Each setter copies the picture; an empty picture draws nothing.
  TBitmap* PictureOpen() const { return picture_open_.get(); }
  void SetPictureOpen(TBitmap* picture) { picture_open_->Assign(picture); }
  TBitmap* PictureClosed() const { return picture_closed_.get(); }
  void SetPictureClosed(TBitmap* picture) { picture_closed_->Assign(picture); }
  TBitmap* PictureLeaf() const { return picture_leaf_.get(); }
  void SetPictureLeaf(TBitmap* picture) { picture_leaf_->Assign(picture); }

  TOutlineEvent OnExpand;
  TOutlineEvent OnCollapse;
  // otOwnerDraw: draws the item (by its index) on Canvas in the row's rectangle.
  TDrawItemEvent OnDrawItem;

 protected:
  // The expand and collapse actions: raise OnExpand and OnCollapse.
  virtual void Expand(int index) { OnExpand(this, index); }
  virtual void Collapse(int index) { OnCollapse(this, index); }
  // The text a row shows for an item, drawn through the wide calls: its text by default.
  virtual std::wstring DisplayText(const TOutlineNode& node) const;

  void CreateParams(TCreateParams& params) override;
  // The rows grow with the screen's resolution, as the font does.
  void ScaleOwn(int multiplier, int divider) override;
  void Paint() override;
  void WndProc(TMessage& message) override;
  void WMSize(TMessage& message) override;
  void WMGetDlgCode(TMessage& message) override;
  void WMSetFocus(TMessage& message) override;
  void WMKillFocus(TMessage& message) override;
  void CMCtl3DChanged(TMessage& message) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(wchar_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DblClick() override;
  void FontChanged() override;

 private:
  TOutlineLook Look(const TOutlineNode& node) const;
  TOutlineRowFacts FactsOf(const TOutlineNode& node) const;
  TBitmap* PictureFor(const TOutlineNode& node) const;
  int TextWidth(const TOutlineNode& node) const;
  int PageRows() const;
  void TreeChanged();
  void UpdateScrollBars();
  void Scroll(int bar, int code);
  void ScrollIntoView(int row);
  // A selection the user made: shown, painted, and reported by Click.
  void SelectRow(int row);
  void PaintRow(int row, int y);

  mutable TOutlineTree tree_;
  TOutlineStyle outline_style_ = TOutlineStyle::osTreePictureText;
  TOutlineOptions options_ = ooDrawTreeRoot | ooDrawFocusRect;
  TOutlineType style_ = TOutlineType::otStandard;
  int item_height_ = 16;
  TScrollStyle scroll_bars_ = TScrollStyle::ssBoth;
  TBorderStyle border_style_ = TBorderStyle::bsSingle;
  std::unique_ptr<TBitmap> picture_open_, picture_closed_, picture_leaf_;  // owned
  int top_row_ = 0;
  int left_pos_ = 0;
  int content_width_ = 0;     // the widest row, in pixels
  bool layout_stale_ = true;  // rows changed since the scroll bars were set
  TWheelTurns wheel_;
};
