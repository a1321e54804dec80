#include "framework/win/Outline.h"

#include <windowsx.h>

#include <algorithm>

namespace {

// The default pictures come from the program's own module, which carries Outline.rc; a module
// without them leaves the picture empty.
std::unique_ptr<TBitmap> ResourcePicture(const char* name) {
  auto picture = std::make_unique<TBitmap>();
  try {
    picture->LoadFromResourceName(GetModuleHandleA(nullptr), name);
  } catch (const EReadError&) {
  }
  return picture;
}

constexpr int kHorizontalLine = 8;  // pixels per step of the horizontal scroll bar's arrows

}  // namespace

const TEnumInfo& EnumInfoOf(TOutlineType) {
  static const TEnumInfo info{{"otStandard", "otOwnerDraw"}};
  return info;
}

const TClassInfo& TCustomOutline::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCustomOutline>("TCustomOutline", &TCustomControl::StaticClassInfo())
          .Declare("BorderStyle", &TCustomOutline::BorderStyle, &TCustomOutline::SetBorderStyle,
                   Default(TBorderStyle::bsSingle))
          .Declare("Color", &TControl::Color, &TControl::SetColor, DefaultColor(clWindow))
          .StoredIf([](const TCustomOutline& outline) { return !outline.ParentColor(); },
                    "while ParentColor is False")
          .Declare("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, Default(false))
          .Declare("ItemHeight", &TCustomOutline::ItemHeight, &TCustomOutline::SetItemHeight,
                   Default(16))
          .Declare("ItemSeparator", &TCustomOutline::ItemSeparator,
                   &TCustomOutline::SetItemSeparator, Default(AnsiString("\\")))
          .Declare("Options", &TCustomOutline::Options, &TCustomOutline::SetOptions,
                   SetOf(OutlineOptionNames(), ooDrawTreeRoot | ooDrawFocusRect, "TOutlineOptions"))
          .Declare("OutlineStyle", &TCustomOutline::OutlineStyle, &TCustomOutline::SetOutlineStyle,
                   Default(TOutlineStyle::osTreePictureText))
          .ObjectProperty("PictureClosed", &TCustomOutline::PictureClosed, false)
          .ObjectProperty("PictureLeaf", &TCustomOutline::PictureLeaf, false)
          .ObjectProperty("PictureOpen", &TCustomOutline::PictureOpen, false)
          .Declare("ScrollBars", &TCustomOutline::ScrollBars, &TCustomOutline::SetScrollBars,
                   Default(TScrollStyle::ssBoth))
          .Declare("Style", &TCustomOutline::Style, &TCustomOutline::SetStyle,
                   Default(TOutlineType::otStandard))
          .Declare("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, Default(true))
          .Declare("OnCollapse", &TCustomOutline::OnCollapse, &TCustomOutline::OnCollapse,
                   Handler("TObject* Sender, int Index"))
          .Declare("OnDrawItem", &TCustomOutline::OnDrawItem, &TCustomOutline::OnDrawItem,
                   Handler(kDrawItemParameters))
          .Declare("OnExpand", &TCustomOutline::OnExpand, &TCustomOutline::OnExpand,
                   Handler("TObject* Sender, int Index"))
          .Build();
  return info;
}

TCustomOutline::TCustomOutline(TComponent* owner)
    : TCustomControl(owner),
      picture_open_(ResourcePicture("WeftOutlineOpen")),
      picture_closed_(ResourcePicture("WeftOutlineClosed")),
      picture_leaf_(ResourcePicture("WeftOutlineLeaf")) {
  SetControlStyle(ControlStyle() & ~csSetCaption);
  for (TBitmap* picture : {picture_open_.get(), picture_closed_.get(), picture_leaf_.get()}) {
    picture->OnChange = [this](TObject*) { TreeChanged(); };
  }
  tree_.OnExpand = [this](int index) { Expand(index); };
  tree_.OnCollapse = [this](int index) { Collapse(index); };
  tree_.OnChanged = [this] { TreeChanged(); };
  SetBounds(Left(), Top(), 121, 97);
  SetColor(clWindow);
  SetTabStop(true);
}

TCustomOutline::~TCustomOutline() {
  // Items going with the tree must not call back into a half-destroyed control.
  tree_.OnChanged = nullptr;
  tree_.OnExpand = nullptr;
  tree_.OnCollapse = nullptr;
}

void TCustomOutline::SetItemSeparator(const AnsiString& separator) {
  tree_.SetItemSeparator(separator);
}

void TCustomOutline::SetSelectedItem(int index) {
  tree_.SetSelectedItem(index);
  const int row = tree_.RowOf(tree_.Items(index));
  if (row >= 0) ScrollIntoView(row);
  Invalidate();
}

void TCustomOutline::SetOutlineStyle(TOutlineStyle style) {
  if (style == outline_style_) return;
  outline_style_ = style;
  TreeChanged();
}

void TCustomOutline::SetOptions(TOutlineOptions options) {
  if (options == options_) return;
  options_ = options;
  TreeChanged();
}

void TCustomOutline::SetStyle(TOutlineType style) {
  if (style == style_) return;
  style_ = style;
  Invalidate();
}

void TCustomOutline::SetItemHeight(int height) {
  height = std::max(height, 1);
  if (height == item_height_) return;
  item_height_ = height;
  TreeChanged();
}

void TCustomOutline::ScaleOwn(int multiplier, int divider) {
  TCustomControl::ScaleOwn(multiplier, divider);
  if (multiplier == divider || divider == 0) return;
  SetItemHeight(MulDiv(item_height_, multiplier, divider));
}

void TCustomOutline::SetScrollBars(TScrollStyle scroll_bars) {
  if (scroll_bars == scroll_bars_) return;
  scroll_bars_ = scroll_bars;
  TreeChanged();
}

void TCustomOutline::SetBorderStyle(TBorderStyle style) {
  if (style == border_style_) return;
  border_style_ = style;
  RecreateWnd();
}

void TCustomOutline::CMCtl3DChanged(TMessage& message) {
  // The border is a sunken edge or a line: it goes with the window's styles.
  if (border_style_ == TBorderStyle::bsSingle) RecreateWnd();
  TCustomControl::CMCtl3DChanged(message);
}

void TCustomOutline::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  if (border_style_ == TBorderStyle::bsSingle) {
    if (Ctl3D()) {
      params.ExStyle |= WS_EX_CLIENTEDGE;
    } else {
      params.Style |= WS_BORDER;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Rows

TOutlineLook TCustomOutline::Look(const TOutlineNode& node) const {
  TOutlineLook look;
  look.Style = outline_style_;
  look.Options = options_;
  look.ItemHeight = item_height_;
  // The pictures and the boxes are drawn for 96 pixels per inch: larger on a denser screen.
  const TBitmap* picture = PictureFor(node);
  look.PictureWidth = ScaleDesign(picture->GetWidth());
  look.PictureHeight = ScaleDesign(picture->GetHeight());
  look.ButtonSize = ScaleDesign(look.ButtonSize);
  return look;
}

TOutlineRowFacts TCustomOutline::FactsOf(const TOutlineNode& node) const {
  TOutlineRowFacts facts;
  facts.Level = node.Level();
  facts.HasChildren = node.HasItems();
  facts.Expanded = node.Expanded();
  facts.HasNextSibling = node.HasNextSibling();
  facts.AncestorHasNextSibling.resize(static_cast<size_t>(std::max(facts.Level - 1, 0)));
  const TOutlineNode* ancestor = node.ParentNode();
  for (int level = facts.Level - 1; level >= 1 && ancestor; --level) {
    facts.AncestorHasNextSibling[static_cast<size_t>(level - 1)] = ancestor->HasNextSibling();
    ancestor = ancestor->ParentNode();
  }
  return facts;
}

TBitmap* TCustomOutline::PictureFor(const TOutlineNode& node) const {
  if (!node.HasItems()) return picture_leaf_.get();
  return node.Expanded() ? picture_open_.get() : picture_closed_.get();
}

std::wstring TCustomOutline::DisplayText(const TOutlineNode& node) const {
  return WideText(node.Text());
}

int TCustomOutline::TextWidth(const TOutlineNode& node) const {
  const std::wstring text = DisplayText(node);
  TMemoryDC measuring;
  TSelectObject font(measuring.Get(), Font()->Handle());
  SIZE size{};
  GetTextExtentPoint32W(measuring.Get(), text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

int TCustomOutline::PageRows() const {
  const RECT client = ClientRect();
  return std::max(static_cast<int>((client.bottom - client.top) / item_height_), 1);
}

int TCustomOutline::GetItem(int, int y) const {
  if (y < 0) return -1;
  const auto& rows = tree_.VisibleItems();
  const size_t row = static_cast<size_t>(top_row_ + y / item_height_);
  return row < rows.size() ? rows[row]->Index() : -1;
}

RECT TCustomOutline::ItemTextRect(int index) const {
  const TOutlineNode& node = tree_.Items(index);
  const int row = tree_.RowOf(node);
  if (row < 0) return RECT{};
  const TOutlineRowLayout layout = CalcOutlineRow(FactsOf(node), Look(node));
  const int top = (row - top_row_) * item_height_;
  const int left = layout.TextLeft - left_pos_;
  return {left - 2, top, left + TextWidth(node) + 2, top + item_height_};
}

// ---------------------------------------------------------------------------------------------
// Scrolling

void TCustomOutline::TreeChanged() {
  layout_stale_ = true;
  Invalidate();
}

void TCustomOutline::UpdateScrollBars() {
  layout_stale_ = false;
  const bool vertical =
      scroll_bars_ == TScrollStyle::ssVertical || scroll_bars_ == TScrollStyle::ssBoth;
  const bool horizontal =
      scroll_bars_ == TScrollStyle::ssHorizontal || scroll_bars_ == TScrollStyle::ssBoth;
  content_width_ = 0;
  if (horizontal) {
    for (const TOutlineNode* node : tree_.VisibleItems()) {
      const int right = CalcOutlineRow(FactsOf(*node), Look(*node)).TextLeft + TextWidth(*node) + 2;
      content_width_ = std::max(content_width_, right);
    }
  }
  const int rows = RowCount();
  const int page = PageRows();
  const RECT client = ClientRect();
  top_row_ = std::clamp(top_row_, 0, std::max(rows - page, 0));
  left_pos_ =
      std::clamp(left_pos_, 0, std::max(content_width_ - static_cast<int>(client.right), 0));
  if (!HandleAllocated()) return;
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
  info.nMax = vertical ? std::max(rows - 1, 0) : 0;
  info.nPage = vertical ? static_cast<UINT>(page) : 0;
  info.nPos = top_row_;
  SetScrollInfo(WindowHandle(), SB_VERT, &info, TRUE);
  info.nMax = horizontal ? std::max(content_width_ - 1, 0) : 0;
  info.nPage = horizontal ? static_cast<UINT>(std::max<LONG>(client.right, 0)) : 0;
  info.nPos = left_pos_;
  SetScrollInfo(WindowHandle(), SB_HORZ, &info, TRUE);
}

void TCustomOutline::SetTopRow(int row) {
  row = std::clamp(row, 0, std::max(RowCount() - PageRows(), 0));
  if (row == top_row_) return;
  top_row_ = row;
  if (HandleAllocated()) SetScrollPos(WindowHandle(), SB_VERT, row, TRUE);
  Invalidate();
}

void TCustomOutline::SetLeftPos(int pixels) {
  pixels = std::clamp(pixels, 0, std::max(content_width_ - ClientWidth(), 0));
  if (pixels == left_pos_) return;
  left_pos_ = pixels;
  if (HandleAllocated()) SetScrollPos(WindowHandle(), SB_HORZ, pixels, TRUE);
  Invalidate();
}

void TCustomOutline::ScrollIntoView(int row) {
  if (row < top_row_) {
    SetTopRow(row);
  } else if (row >= top_row_ + PageRows()) {
    SetTopRow(row - PageRows() + 1);
  }
}

void TCustomOutline::Scroll(int bar, int code) {
  const bool vertical = bar == SB_VERT;
  const int position = vertical ? top_row_ : left_pos_;
  const int line = vertical ? 1 : kHorizontalLine;
  const int page = vertical ? PageRows() : std::max(ClientWidth(), 1);
  int target = position;
  switch (code) {
    case SB_LINEUP:
      target -= line;
      break;
    case SB_LINEDOWN:
      target += line;
      break;
    case SB_PAGEUP:
      target -= page;
      break;
    case SB_PAGEDOWN:
      target += page;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{sizeof(SCROLLINFO), SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(WindowHandle(), bar, &info);
      target = info.nTrackPos;
      break;
    }
    case SB_TOP:
      target = 0;
      break;
    case SB_BOTTOM:
      target = vertical ? RowCount() : content_width_;
      break;
    default:
      return;
  }
  if (vertical) {
    SetTopRow(target);
  } else {
    SetLeftPos(target);
  }
}

void TCustomOutline::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scroll(message.Msg == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(message.WParam));
      message.Result = 0;
      return;
    case WM_MOUSEWHEEL:
      SetTopRow(top_row_ + wheel_.Rows(GET_WHEEL_DELTA_WPARAM(message.WParam), WheelScrollLines(),
                                       PageRows()));
      message.Result = 0;
      return;
    default:
      TCustomControl::WndProc(message);
  }
}

void TCustomOutline::WMSize(TMessage& message) {
  TCustomControl::WMSize(message);
  TreeChanged();
}

// ---------------------------------------------------------------------------------------------
// Painting

void TCustomOutline::Paint() {
  // Showing or hiding a bar changes the client area, which may call for the other bar.
  for (int pass = 0; pass < 3 && layout_stale_; ++pass) UpdateScrollBars();
  layout_stale_ = false;
  const int height = ClientHeight();
  const int rows = RowCount();
  for (int row = top_row_, y = 0; row < rows && y < height; ++row, y += item_height_) {
    PaintRow(row, y);
  }
}

void TCustomOutline::PaintRow(int row, int y) {
  const TOutlineNode& node = *tree_.VisibleItems()[static_cast<size_t>(row)];
  TCanvas* canvas = Canvas();
  const bool selected = tree_.SelectedItem() == node.Index();
  const bool focused = selected && Focused();
  if (style_ == TOutlineType::otOwnerDraw) {
    TOwnerDrawState state = selected ? TOwnerDrawState{odSelected} : 0;
    if (focused) state |= odFocused;
    canvas->Brush()->SetColor(Color());
    OnDrawItem(this, node.Index(), RECT{0, y, ClientWidth(), y + item_height_}, state);
    return;
  }
  const TOutlineRowLayout layout = CalcOutlineRow(FactsOf(node), Look(node));
  const int dx = -left_pos_;
  canvas->Pen()->SetColor(clBtnShadow);
  canvas->Pen()->SetWidth(1);
  for (const TOutlineSegment& line : layout.Lines) {
    // Segments include their end points; LineTo stops short of its own.
    canvas->MoveTo(line.X1 + dx, line.Y1 + y);
    canvas->LineTo(line.X2 + dx + (line.X1 == line.X2 ? 0 : 1),
                   line.Y2 + y + (line.X1 == line.X2 ? 1 : 0));
  }
  if (layout.Button.Width() > 0) {
    const TLayoutRect& box = layout.Button;
    canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->Rectangle(box.Left + dx, box.Top + y, box.Right + dx, box.Bottom + y);
    canvas->Pen()->SetColor(Font()->Color());
    const int middle_x = (box.Left + box.Right) / 2 + dx;
    const int middle_y = (box.Top + box.Bottom) / 2 + y;
    canvas->MoveTo(box.Left + 2 + dx, middle_y);
    canvas->LineTo(box.Right - 2 + dx, middle_y);
    if (!node.Expanded()) {
      canvas->MoveTo(middle_x, box.Top + 2 + y);
      canvas->LineTo(middle_x, box.Bottom - 2 + y);
    }
  }
  const TBitmap* picture = PictureFor(node);
  if (layout.Picture.Width() > 0 && !picture->GetEmpty()) {
    const TLayoutRect& place = layout.Picture;
    picture->DrawTransparent(
        canvas->Handle(), {place.Left + dx, place.Top + y, place.Right + dx, place.Bottom + y},
        {0, 0, picture->GetWidth(), picture->GetHeight()}, picture->TransparentColor());
  }
  const std::wstring text = DisplayText(node);
  const SIZE extent = canvas->TextExtent(text);
  const RECT text_rect{layout.TextLeft - 2 + dx, y, layout.TextLeft + extent.cx + 2 + dx,
                       y + item_height_};
  canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
  canvas->Brush()->SetColor(selected ? clHighlight : Color());
  canvas->Font()->SetColor(selected ? clHighlightText : Font()->Color());
  canvas->TextRect(text_rect, layout.TextLeft + dx, y + (item_height_ - extent.cy) / 2, text);
  if (focused && (options_ & ooDrawFocusRect)) canvas->DrawFocusRect(text_rect);
}

void TCustomOutline::FontChanged() {
  TCustomControl::FontChanged();
  TreeChanged();
}

// ---------------------------------------------------------------------------------------------
// Keyboard and mouse

void TCustomOutline::WMGetDlgCode(TMessage& message) {
  message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void TCustomOutline::WMSetFocus(TMessage& message) {
  TCustomControl::WMSetFocus(message);
  Invalidate();
}

void TCustomOutline::WMKillFocus(TMessage& message) {
  TCustomControl::WMKillFocus(message);
  Invalidate();
}

void TCustomOutline::SelectRow(int row) {
  const TOutlineNode& node = *tree_.VisibleItems()[static_cast<size_t>(row)];
  tree_.SetSelectedItem(node.Index());
  ScrollIntoView(row);
  Invalidate();
  Click();
}

void TCustomOutline::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  const auto& rows = tree_.VisibleItems();
  if (key == 0 || rows.empty()) return;
  const int last = static_cast<int>(rows.size()) - 1;
  // The selection, or its nearest shown ancestor while it sits in a closed branch.
  TOutlineNode* selected = tree_.SelectedItem() > 0 ? &tree_.Items(tree_.SelectedItem()) : nullptr;
  int row = -1;
  for (TOutlineNode* node = selected; node && row < 0; node = node->ParentNode()) {
    row = tree_.RowOf(*node);
    if (row >= 0) selected = node;
  }
  int target = row;
  switch (key) {
    case VK_UP:
      target = std::max(row - 1, 0);
      break;
    case VK_DOWN:
      target = std::min(row + 1, last);
      break;
    case VK_PRIOR:
      target = std::max(row - PageRows(), 0);
      break;
    case VK_NEXT:
      target = std::min(std::max(row, 0) + PageRows(), last);
      break;
    case VK_HOME:
      target = 0;
      break;
    case VK_END:
      target = last;
      break;
    case VK_LEFT:
      if (!selected) break;
      if (selected->Expanded() && selected->HasItems()) {
        selected->Collapse();
      } else if (selected->Level() > 1) {
        target = tree_.RowOf(*selected->ParentNode());
      }
      break;
    case VK_RIGHT:
      if (!selected) break;
      if (!selected->Expanded()) {
        selected->Expand();
      } else if (selected->HasItems()) {
        target = row + 1;
      }
      break;
    default:
      return;
  }
  key = 0;
  if (target >= 0 && target != row) SelectRow(target);
}

void TCustomOutline::KeyPress(wchar_t& key) {
  TCustomControl::KeyPress(key);
  if (key != '+' && key != '-') return;
  if (tree_.SelectedItem() > 0) tree_.Items(tree_.SelectedItem()).SetExpanded(key == '+');
  key = 0;
}

void TCustomOutline::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (CanFocus() && !Focused()) SetFocus();
  const int index = GetItem(x, y);
  if (button == TMouseButton::mbLeft && index > 0 && !(shift & ssDouble)) {
    TOutlineNode& node = tree_.Items(index);
    const TOutlineRowLayout layout = CalcOutlineRow(FactsOf(node), Look(node));
    if (OutlineHitTest(layout, TextWidth(node), x + left_pos_) == TOutlineHit::Button) {
      node.SetExpanded(!node.Expanded());
    } else {
      SetSelectedItem(index);  // the release makes it a click
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomOutline::DblClick() {
  TCustomControl::DblClick();
  if (tree_.SelectedItem() > 0) {
    TOutlineNode& node = tree_.Items(tree_.SelectedItem());
    node.SetExpanded(!node.Expanded());
  }
}
