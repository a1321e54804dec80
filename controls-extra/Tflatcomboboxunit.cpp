#include "controls-extra/Tflatcomboboxunit.h"

#include <algorithm>

#include "framework/win/Platform.h"

namespace {

constexpr TColor kDefaultColor = 0xE1EAEB;
constexpr int kDefaultItemHeight = 13;

bool IsEditWindow(HWND window) {
  char name[8] = {};
  GetClassNameA(window, name, sizeof(name));
  return lstrcmpiA(name, "Edit") == 0;
}

}  // namespace

const TClassInfo& TFlatComboBox::StaticClassInfo() {
  using Self = TFlatComboBox;
  static const TClassInfo& info =
      TClassBuilder<Self>("TFlatComboBox", &TCustomComboBox::StaticClassInfo())
          .Publish(kPublishBounds)
          .Property("ColorArrow", &Self::ColorArrow, &Self::SetColorArrow, DefaultColor(clBlack))
          .Property("ColorArrowBackground", &Self::ColorArrowBackground,
                    &Self::SetColorArrowBackground, DefaultColor(0xC5D6D9))
          .Property("ColorBorder", &Self::ColorBorder, &Self::SetColorBorder,
                    DefaultColor(0x8396A0))
          .Property("AdvColorBorder", &Self::AdvColorBorder, &Self::SetAdvColorBorder,
                    RangeOf(50, 0, 100, "TAdvColors"))
          .Property("AdvColorArrowBackground", &Self::AdvColorArrowBackground,
                    &Self::SetAdvColorArrowBackground, RangeOf(10, 0, 100, "TAdvColors"))
          .Property("UseAdvColors", &Self::UseAdvColors, &Self::SetUseAdvColors, Default(false))
          .Property("Color", &TControl::Color, &TControl::SetColor, DefaultColor(kDefaultColor))
          .StoredIf([](const Self& combo) { return !combo.ParentColor(); },
                    "while ParentColor is False")
          .Publish({"Style", "DragMode", "DragCursor", "DropDownCount", "Enabled", "Font"})
          .Property("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight,
                    Default(kDefaultItemHeight))
          .StoredIf([](const Self& combo) { return combo.IsOwnerDraw(); },
                    "while the style draws its items itself")
          .Publish({"Items", "MaxLength", "ParentFont"})
          .Publish(kPublishHints)
          .Publish({"Sorted"})
          .Publish(kPublishTabStop)
          .Publish({"Text", "Visible", "ItemIndex"})
          .Publish({"OnChange", "OnClick", "OnDblClick"})
          .Publish(kPublishDragEvents)
          .Publish({"OnDrawItem", "OnDropDown", "OnEndDrag"})
          .Publish(kPublishFocusEvents)
          .Publish(kPublishKeyEvents)
          .Publish({"OnMeasureItem", "OnStartDrag"})
          .Build();
  return info;
}

TFlatComboBox::TFlatComboBox(TComponent* owner) : TCustomComboBox(owner) {
  control_style_ = (control_style_ & ~csFixedHeight) | csOpaque;
  SetItemHeight(kDefaultItemHeight);
  SetColor(kDefaultColor);
}

// ---------------------------------------------------------------------------------------------
// Colours

void TFlatComboBox::SetColors(int Index, TColor Value) {
  switch (Index) {
    case 0:
      ColorArrow = Value;
      break;
    case 1:
      ColorArrowBackground = Value;
      break;
    case 2:
      ColorBorder = Value;
      break;
    default:
      return;
  }
  Invalidate();
}

void TFlatComboBox::SetAdvColors(int Index, TAdvColors Value) {
  Value = std::clamp(Value, 0, 100);
  switch (Index) {
    case 0:
      AdvColorBorder = Value;
      break;
    case 1:
      AdvColorArrowBackground = Value;
      break;
    default:
      return;
  }
  CalcAdvColors();
  Invalidate();
}

void TFlatComboBox::SetUseAdvColors(bool Value) {
  if (Value == UseAdvColors) return;
  UseAdvColors = Value;
  CalcAdvColors();
  Invalidate();
}

void TFlatComboBox::CalcAdvColors() {
  if (!UseAdvColors) return;
  const TColor base = Parent() ? Parent()->Color() : clBtnFace;
  ColorBorder = CalcAdvancedColor(base, ColorBorder, static_cast<unsigned char>(AdvColorBorder),
                                  TColorCalcType::darken);
  ColorArrowBackground = CalcAdvancedColor(base, ColorArrowBackground,
                                           static_cast<unsigned char>(AdvColorArrowBackground),
                                           TColorCalcType::darken);
}

void TFlatComboBox::SetParent(TWinControl* parent) {
  TCustomComboBox::SetParent(parent);
  if (UseAdvColors) {
    CalcAdvColors();
    Invalidate();
  }
}

void TFlatComboBox::ParentColorChanged() {
  TCustomComboBox::ParentColorChanged();
  CalcAdvColors();
  Invalidate();
}

void TFlatComboBox::WMSysColorChange(TMessage& Message) {
  TCustomComboBox::WMSysColorChange(Message);
  CalcAdvColors();
  Invalidate();
}

void TFlatComboBox::FontChanged() {
  TCustomComboBox::FontChanged();
  SetItemHeight(ScaleDesign(kDefaultItemHeight));
  RecreateWnd();
}

// ---------------------------------------------------------------------------------------------
// The system's windows

void TFlatComboBox::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PARENTNOTIFY:
      if (LOWORD(Message.WParam) == WM_CREATE) {
        // The first child of a new window: a list that ListWndProc served went with the old.
        FListDefaultProc = nullptr;
        const HWND child = reinterpret_cast<HWND>(Message.LParam);
        // Systems differ in which child they make first; the class tells them apart.
        if (IsEditWindow(child)) {
          FEditChild = child;
        } else {
          FListWindow = child;
        }
      }
      break;
    case WM_WINDOWPOSCHANGING:
      // A simple box's edit stays where the system puts it, above the list.
      if (FEditChild && Style() == TComboBoxStyle::csDropDown) {
        SetWindowPos(FEditChild, nullptr, 0, 0, ClientWidth() - FlatButtonWidth() - 8, Height() - 6,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
      }
      break;
    case WM_NCPAINT:
      WMNCPaint(Message);
      return;
    default:
      break;
  }
  TCustomComboBox::WndProc(Message);
  if (Message.Msg == WM_CTLCOLORLISTBOX) {
    // The control's colour, with the one brush the control keeps for it. The list of a
    // disabled simple box is greyed like its edit.
    const HDC dc = reinterpret_cast<HDC>(Message.WParam);
    Message.Result = reinterpret_cast<LRESULT>(ControlBrush(dc));
    if (!Enabled()) SetTextColor(dc, ColorToRGB(clGrayText));
  }
}

void TFlatComboBox::DrawItem(int index, const RECT& rect, TOwnerDrawState state) {
  if ((state & odDisabled) || !Enabled()) Canvas()->Font()->SetColor(clGrayText);
  TCustomComboBox::DrawItem(index, rect, state);
}

void TFlatComboBox::HandleCreated() {
  TCustomComboBox::HandleCreated();
  if (!FEditChild) FEditChild = EditHandle();
  if (!FListWindow) FListWindow = ListHandle();
  // The framework took the list over; from now on ListWndProc sizes it. A simple box's list
  // is no drop-down: the system fits it to the box.
  if (Style() != TComboBoxStyle::csSimple && FListWindow && FListWindow == ListHandle()) {
    FListDefaultProc = BoundPrevious(FListWindow);
  }
}

void TFlatComboBox::DestroyWnd() {
  FListDefaultProc = nullptr;
  FEditChild = nullptr;
  FListWindow = nullptr;
  FBorderActive = false;
  TCustomComboBox::DestroyWnd();
}

void TFlatComboBox::ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc) {
  if (ComboWnd == FListWindow && FListDefaultProc) {
    ListWndProc(Message);
    return;
  }
  TCustomComboBox::ComboWndProc(Message, ComboWnd, ComboProc);
  if (ComboWnd == FEditChild && (Message.Msg == WM_SETFOCUS || Message.Msg == WM_KILLFOCUS)) {
    SetSolidBorder();
  }
}

void TFlatComboBox::ListWndProc(TMessage& Message) {
  if (Message.Msg != WM_WINDOWPOSCHANGING) {
    Message.Result = CallPrevious(FListWindow, Message, FListDefaultProc);
    return;
  }
  auto* position = reinterpret_cast<WINDOWPOS*>(Message.LParam);
  const bool system_items =
      Style() == TComboBoxStyle::csDropDown || Style() == TComboBoxStyle::csDropDownList;
  const int item_height = system_items ? GetFontHeight(Font()) - 2 : ItemHeight();
  int height = std::min(DropDownCount(), Items()->Count()) * item_height + 4;
  if (height <= 4) height = 10;
  position->cy = height;
  Message.Result = 0;
}

// ---------------------------------------------------------------------------------------------
// Focus, keys, notifications

void TFlatComboBox::WMSetFocus(TMessage& Message) {
  TCustomComboBox::WMSetFocus(Message);
  if (IsDesigning()) return;
  SetSolidBorder();
  if (IsListStyle()) InvalidateSelection();
}

void TFlatComboBox::WMKillFocus(TMessage& Message) {
  TCustomComboBox::WMKillFocus(Message);
  if (IsDesigning()) return;
  SetSolidBorder();
  if (IsListStyle()) InvalidateSelection();
}

void TFlatComboBox::WMKeyDown(TMessage& Message) {
  const AnsiString before = Text();
  TCustomComboBox::WMKeyDown(Message);
  if (IsListStyle() && Text() != before) InvalidateSelection();
}

void TFlatComboBox::CNCommand(TMessage& Message) {
  TCustomComboBox::CNCommand(Message);
  switch (HIWORD(Message.WParam)) {
    case CBN_SELCHANGE:
    case CBN_DROPDOWN:
    case CBN_SELENDOK:
      if (IsListStyle()) InvalidateSelection();
      break;
    case CBN_CLOSEUP: {
      RECT button = GetButtonRect();
      button.left -= 2;
      InvalidateRect(WindowHandle(), &button, FALSE);
      break;
    }
    default:
      break;
  }
}

// ---------------------------------------------------------------------------------------------
// Painting

template <class Paint>
void TFlatComboBox::WithCanvas(Paint paint) {
  if (paint_canvas_.HandleAllocated()) {
    paint(paint_canvas_);
    return;
  }
  const TWindowDC dc(WindowHandle());
  paint_canvas_.SetHandle(dc.Get());
  TScopeExit release([this] { paint_canvas_.SetHandle(nullptr); });
  paint(paint_canvas_);
}

void TFlatComboBox::ExcludeSystemButton(int extra) {
  RECT client;
  GetClientRect(WindowHandle(), &client);
  // The system's own arrow button, as wide as a scroll bar on this control's monitor.
  const int system_button = SystemMetricForWindow(SM_CXVSCROLL, WindowHandle());
  ExcludeClipRect(paint_canvas_.Handle(), client.right - system_button - extra, 0, client.right,
                  client.bottom);
}

RECT TFlatComboBox::GetButtonRect() const {
  RECT button{};
  if (!WindowHandle()) return button;
  GetWindowRect(WindowHandle(), &button);
  OffsetRect(&button, -button.left, -button.top);
  button.left = ClientWidth() - FlatButtonWidth();
  OffsetRect(&button, -1, 0);
  return button;
}

void TFlatComboBox::WMPaint(TMessage& Message) {
  RECT update;
  if (Message.WParam || !GetUpdateRect(WindowHandle(), &update, FALSE))
    GetClientRect(WindowHandle(), &update);
  {
    TPaintDC dc(WindowHandle(), Message.WParam);
    paint_canvas_.SetHandle(dc.Get());
    TScopeExit release([this] { paint_canvas_.SetHandle(nullptr); });
    RECT fill = update;
    if (HasFlatButton()) fill.right = std::min<LONG>(fill.right, Width() - FlatButtonWidth() - 4);
    paint_canvas_.Brush()->SetStyle(TBrushStyle::bsSolid);
    paint_canvas_.Brush()->SetColor(Color());
    paint_canvas_.FillRect(fill);
    if (HasFlatButton()) {
      if (RectInRect(GetButtonRect(), update)) PaintButton();
      ExcludeSystemButton(2);
    }
    TMessage system{WM_PAINT, reinterpret_cast<WPARAM>(dc.Get()), 0, 0};
    DefaultHandler(system);
    if (Style() == TComboBoxStyle::csDropDown && DroppedDown()) {
      RECT frame;
      GetClientRect(WindowHandle(), &frame);
      InflateRect(&frame, -2, -2);
      frame.right = Width() - FlatButtonWidth() - 3;
      paint_canvas_.Brush()->SetColor(clWindow);
      paint_canvas_.FrameRect(frame);
    } else if (IsListStyle()) {
      InvalidateSelection();
    }
  }
  RedrawBorders();
  Message.Result = 0;
}

void TFlatComboBox::WMNCPaint(TMessage& Message) {
  DefaultHandler(Message);
  RedrawBorders();
}

void TFlatComboBox::InvalidateSelection() {
  if (!WindowHandle()) return;
  WithCanvas([this](TCanvas& canvas) {
    RECT client;
    GetClientRect(WindowHandle(), &client);
    RECT band = client;
    InflateRect(&band, -2, -3);
    band.left = band.right - FlatButtonWidth() - 8;
    band.right -= FlatButtonWidth() + 3;
    canvas.Brush()->SetStyle(TBrushStyle::bsSolid);
    if (Focused() && !DroppedDown()) {
      canvas.Brush()->SetColor(clHighlight);
      canvas.FillRect(band);
      RECT frame = client;
      InflateRect(&frame, -3, -3);
      frame.right -= FlatButtonWidth() + 2;
      canvas.FrameRect(frame);
      canvas.Brush()->SetColor(clWindow);
    } else {
      canvas.Brush()->SetColor(Color());
      canvas.FillRect(band);
    }
    ExcludeSystemButton(2);
  });
}

void TFlatComboBox::PaintButton() {
  if (!WindowHandle()) return;
  WithCanvas([this](TCanvas& canvas) {
    RECT button = GetButtonRect();
    InflateRect(&button, 1, 0);
    canvas.Brush()->SetStyle(TBrushStyle::bsSolid);
    canvas.Brush()->SetColor(ColorArrowBackground);
    canvas.FillRect(button);
    canvas.Brush()->SetColor(ColorBorder);
    canvas.FrameRect(button);

    // A triangle twice as wide as it is high (4 by 2 at 96 pixels per inch), its tip down, or
    // up while the list is open.
    const int half = ScaleDesign(2);
    const int x = button.left + (button.right - button.left) / 2;
    const int y = button.top + (button.bottom - button.top) / 2 - 1;
    const bool up = DroppedDown();
    auto arrow = [&](int dx, int dy, TColor color) {
      const int tip = up ? 0 : half;
      const int base = half - tip;
      const POINT points[3] = {
          {x + dx - half, y + dy + base}, {x + dx + half, y + dy + base}, {x + dx, y + dy + tip}};
      canvas.Pen()->SetStyle(TPenStyle::psSolid);
      canvas.Pen()->SetWidth(1);
      canvas.Pen()->SetColor(color);
      canvas.Brush()->SetColor(color);
      canvas.Polygon(points, 3);
    };
    if (Enabled()) {
      arrow(0, 0, ColorArrow);
    } else {
      arrow(1, 1, clWhite);
      arrow(0, 0, clGray);
    }
    ExcludeSystemButton(0);
  });
}

void TFlatComboBox::PaintBorder() {
  if (!WindowHandle()) return;
  const TWindowDC whole(WindowHandle(), TWindowDC::TArea::Whole);
  const HDC dc = whole.Get();
  RECT border;
  GetWindowRect(WindowHandle(), &border);
  OffsetRect(&border, -border.left, -border.top);
  // The flat button closes the border on the right; a simple box has none.
  if (HasFlatButton()) border.right -= FlatButtonWidth() + 1;
  TGdiObject line(CreateSolidBrush(ColorToRGB(ColorBorder)));
  TGdiObject face(CreateSolidBrush(ColorToRGB(Color())));
  FrameRect(dc, &border, static_cast<HBRUSH>(line.Get()));
  // The system's 3-D edge, two pixels inside, goes under the control's colour.
  for (int edge = 0; edge < 2; ++edge) {
    InflateRect(&border, -1, -1);
    FrameRect(dc, &border, static_cast<HBRUSH>(face.Get()));
  }
}

bool TFlatComboBox::GetSolidBorder() const {
  if (IsDesigning()) return Enabled();
  if (!WindowHandle()) return false;
  const HWND focus = GetFocus();
  return DroppedDown() || focus == WindowHandle() || (FEditChild && focus == FEditChild);
}

void TFlatComboBox::SetSolidBorder() {
  const bool solid = GetSolidBorder();
  if (solid == FBorderActive) return;
  FBorderActive = solid;
  RedrawBorders();
}

void TFlatComboBox::RedrawBorders() {
  PaintBorder();
  if (HasFlatButton()) PaintButton();
}

namespace Tflatcomboboxunit {
void Register() {
  RegisterComponentClass(TFlatComboBox::StaticClassInfo());
}
}  // namespace Tflatcomboboxunit
