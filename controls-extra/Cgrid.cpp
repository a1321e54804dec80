#include "controls-extra/Cgrid.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace {

// The system's default palette, or the entries it has where the system cannot tell.
void ReadDefaultPalette(TPaletteEntry (&entries)[20]) {
  std::copy(std::begin(kDefaultPaletteEntries), std::end(kDefaultPaletteEntries), entries);
  PALETTEENTRY system[20];
  const auto palette = static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
  if (!palette || GetPaletteEntries(palette, 0, 20, system) != 20) return;
  for (int i = 0; i < 20; ++i) {
    entries[i] = {system[i].peRed, system[i].peGreen, system[i].peBlue, system[i].peFlags};
  }
}

// Lets a control draw on its window at once, outside a paint: binds the control's canvas to
// the window's DC while it lives. Within a paint the canvas is bound already; before the
// window exists there is nothing to draw on.
class TDrawNow {
 public:
  explicit TDrawNow(TCustomControl& control) : canvas_(*control.Canvas()) {
    if (canvas_.HandleAllocated() || !control.HandleAllocated()) return;
    dc_.emplace(control.WindowHandle());
    if (!dc_->Get()) return;
    canvas_.SetHandle(dc_->Get());
    canvas_.Font()->Assign(control.Font());
  }
  ~TDrawNow() {
    if (dc_ && dc_->Get()) canvas_.SetHandle(nullptr);
  }
  TDrawNow(const TDrawNow&) = delete;
  TDrawNow& operator=(const TDrawNow&) = delete;
  bool Ready() const { return canvas_.HandleAllocated(); }

 private:
  TCanvas& canvas_;
  std::optional<TWindowDC> dc_;  // released when the drawing ends, after the canvas lets go
};

}  // namespace

const TClassInfo& TCColorGrid::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCColorGrid>("TCColorGrid", &TCustomControl::StaticClassInfo())
          .Publish(kPublishBounds)
          .Property("ClickEnablesColor", &TCColorGrid::ClickEnablesColor,
                    &TCColorGrid::ClickEnablesColor, Default(false))
          .Property("GridOrdering", &TCColorGrid::GridOrdering, &TCColorGrid::SetGridOrdering,
                    Default(TGridOrdering::go4x4))
          .Property("ForegroundIndex", &TCColorGrid::ForegroundIndex,
                    &TCColorGrid::SetForegroundIndex, Default(0))
          .Property("BackgroundIndex", &TCColorGrid::BackgroundIndex,
                    &TCColorGrid::SetBackgroundIndex, Default(0))
          .Property("ForegroundEnabled", &TCColorGrid::ForegroundEnabled,
                    &TCColorGrid::EnableForeground, Default(true))
          .Property("BackgroundEnabled", &TCColorGrid::BackgroundEnabled,
                    &TCColorGrid::EnableBackground, Default(true))
          .Property("Selection", &TCColorGrid::Selection, &TCColorGrid::SetSelection, Default(0))
          .Property("OnChange", &TCColorGrid::OnChange, &TCColorGrid::OnChange)
          .Publish({"Anchors", "Constraints", "Ctl3D", "DragCursor", "DragMode", "Enabled", "Font",
                    "ParentCtl3D", "ParentFont", "ParentShowHint", "ShowHint"})
          .Publish(kPublishTabStop)
          .Publish({"Visible"})
          .Publish({"OnClick"})
          .Publish(kPublishDragEvents)
          .Publish({"OnEndDrag"})
          .Publish(kPublishInputEvents)
          .Publish({"OnStartDrag"})
          .Build();
  return info;
}

TCColorGrid::TCColorGrid(TComponent* owner) : TCustomControl(owner) {
  SetColor(clBtnFace);
  Canvas()->Brush()->SetStyle(TBrushStyle::bsSolid);
  Canvas()->Pen()->SetColor(clBlack);
  SetBounds(0, 0, 100, 100);
  ReadDefaultPalette(FSystemColors);
}

void TCColorGrid::CreateWnd() {
  TCustomControl::CreateWnd();
  SetWindowLongA(WindowHandle(), GWL_STYLE,
                 GetWindowLongA(WindowHandle(), GWL_STYLE) | WS_CLIPSIBLINGS);
}

void TCColorGrid::SetGridOrdering(TGridOrdering Value) {
  if (Value == FGridOrdering || Value < TGridOrdering::go16x1 || Value > TGridOrdering::go1x16) {
    return;
  }
  FGridOrdering = Value;
  FColumns = OrderingColumns(Value);
  FRows = OrderingRows(Value);
  UpdateCellSizes(true);
}

void TCColorGrid::SetForegroundIndex(int Value) {
  SetColorIndex(true, Value);
}

void TCColorGrid::SetBackgroundIndex(int Value) {
  SetColorIndex(false, Value);
}

void TCColorGrid::SetColorIndex(bool Foreground, int Value) {
  int& index = Foreground ? FForegroundIndex : FBackgroundIndex;
  const int other = Foreground ? FBackgroundIndex : FForegroundIndex;
  if (Value == index || !(Foreground ? FForegroundEnabled : FBackgroundEnabled)) return;
  DrawSquare(index, ShowsCursor(index));
  index = Value;
  if (index == other) DrawSquare(other, ShowsCursor(other));
  DrawFgBg();
  Change();
}

void TCColorGrid::EnableForeground(bool Value) {
  EnableColor(true, Value);
}

void TCColorGrid::EnableBackground(bool Value) {
  EnableColor(false, Value);
}

void TCColorGrid::EnableColor(bool Foreground, bool Value) {
  bool& enabled = Foreground ? FForegroundEnabled : FBackgroundEnabled;
  if (Value == enabled) return;
  enabled = Value;
  const int index = Foreground ? FForegroundIndex : FBackgroundIndex;
  DrawSquare(index, ShowsCursor(index));
  DrawFgBg();
}

void TCColorGrid::SetSelection(int Value) {
  if (Value == FSelection) return;
  DrawSquare(FSelection, false);
  FSelection = Value;
  DrawSquare(FSelection, FFocused);
  DrawFgBg();
}

void TCColorGrid::EnableForClick(bool Foreground) {
  bool& enabled = Foreground ? FForegroundEnabled : FBackgroundEnabled;
  int& index = Foreground ? FForegroundIndex : FBackgroundIndex;
  if (enabled || !ClickEnablesColor) return;
  enabled = true;
  DrawSquare(index, ShowsCursor(index));
  index = -1;
}

void TCColorGrid::Change() {
  OnChange(this);
}

int TCColorGrid::SquareFromPos(int X, int Y) const {
  return SquareAt(X, Y, Width(), Height(), FColumns, FRows, FCellWidth, FCellHeight);
}

void TCColorGrid::UpdateCellSizes(bool Repaint) {
  // Something that insists on another size (an alignment) resizes us again while we snap:
  // that size stays, and the squares take it as it is.
  if (!FUpdatingCellSizes) {
    FUpdatingCellSizes = true;
    TScopeExit done([this] { FUpdatingCellSizes = false; });
    const TSquareSizes snapped = SnapToSquares(Width(), Height(), FColumns, FRows);
    SetBounds(Left(), Top(), snapped.Width, snapped.Height);
  }
  FCellWidth = Width() / FColumns;
  FCellHeight = Height() / FRows;
  if (Repaint) Invalidate();
}

RECT TCColorGrid::SquareRect(int Index) const {
  const int left = Index % FColumns * FCellWidth;
  const int top = Index / FColumns * FCellHeight;
  return {left, top, left + FCellWidth, top + FCellHeight};
}

void TCColorGrid::Paint() {
  for (int i = 0; i < FColumns * FRows; ++i) DrawSquare(i, false);
  DrawSquare(FSelection, FFocused);
  DrawFgBg();
}

void TCColorGrid::DrawSquare(int Index, bool WithCursor) {
  if (Index < 0 || Index > 15) return;
  TDrawNow now(*this);
  if (!now.Ready()) return;
  TCanvas* canvas = Canvas();
  RECT r = SquareRect(Index);
  const TColor color = SquareColor(FSystemColors, Index);
  if (Ctl3D()) {
    canvas->Pen()->SetColor(clBtnFace);
    canvas->Rectangle(r);
    InflateRect(&r, -1, -1);
    canvas->Frame3D(r, clBtnShadow, clBtnHighlight, 2);
  } else {
    canvas->Pen()->SetColor(clBlack);
  }
  canvas->Brush()->SetColor(color);
  if (Ctl3D()) canvas->Pen()->SetColor(color);
  canvas->Rectangle(r);
  if (!WithCursor) return;
  if (Ctl3D()) {
    InflateRect(&r, -1, -1);
    canvas->DrawFocusRect(r);
    return;
  }
  // The inversion starts from the plain square drawn just now, so a square that showed the
  // cursor already gets the same cursor again instead of losing it.
  canvas->Pen()->SetColor(clBlack);
  canvas->Pen()->SetMode(TPenMode::pmNot);
  canvas->Rectangle(r);
  canvas->Pen()->SetMode(TPenMode::pmCopy);
  canvas->Rectangle(r.left + 2, r.top + 2, r.right - 2, r.bottom - 2);
}

void TCColorGrid::DrawFgBg() {
  TDrawNow now(*this);
  if (!now.Ready()) return;
  TCanvas* canvas = Canvas();
  // A clear brush writes the marks without a background.
  const TBrushStyle old_style = canvas->Brush()->Style();
  canvas->Brush()->SetStyle(TBrushStyle::bsClear);
  TScopeExit restore([&] { canvas->Brush()->SetStyle(old_style); });
  auto mark = [&](bool foreground) {
    const int index = foreground ? FForegroundIndex : FBackgroundIndex;
    if (index < 0 || index > 15) return;
    canvas->Font()->SetColor(MarkTextColor(SquareColor(FSystemColors, index)));
    RECT r = SquareRect(index);
    canvas->DrawText(ColorGridMark(foreground, FForegroundIndex, FBackgroundIndex,
                                   FForegroundEnabled, FBackgroundEnabled),
                     r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOCLIP);
  };
  if (FForegroundEnabled) mark(true);
  if (FBackgroundEnabled) mark(false);
}

void TCColorGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const int square = FSelection;
  auto move = [&](TColorGridKey key) { return ColorGridKeyTarget(key, square, FColumns, FRows); };
  int target = square;
  switch (Key) {
    case VK_SPACE:
    case VK_RIGHT:
      target = move(TColorGridKey::Right);
      break;
    case VK_LEFT:
      target = move(TColorGridKey::Left);
      break;
    case VK_UP:
      target = move(TColorGridKey::Up);
      break;
    case VK_DOWN:
      target = move(TColorGridKey::Down);
      break;
    case VK_HOME:
      target = move(TColorGridKey::Home);
      break;
    case VK_END:
      target = move(TColorGridKey::End);
      break;
    case 'F':
    case 'B':
      EnableForClick(Key == 'F');
      SetColorIndex(Key == 'F', square);
      SetSelection(square);
      Click();
      break;
    default:
      return;
  }
  Key = 0;
  if (target != FSelection) SetSelection(target);
}

void TCColorGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  FDragButton = Button;
  FDragging = true;
  const int square = SquareFromPos(X, Y);
  const bool foreground = Button == TMouseButton::mbLeft;
  if (!foreground) SetMouseCapture(true);
  EnableForClick(foreground);
  SetColorIndex(foreground, square);
  SetSelection(square);
  if (TabStop()) SetFocus();
}

void TCColorGrid::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  const int square = SquareFromPos(X, Y);
  SetColorIndex(FDragButton == TMouseButton::mbLeft, square);
  SetSelection(square);
}

void TCColorGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  FDragging = false;
  if (FDragButton != TMouseButton::mbLeft) SetMouseCapture(false);
}

void TCColorGrid::WMSize(TMessage& Message) {
  // The base keeps our bounds in step with the window, which the snapping reads.
  TCustomControl::WMSize(Message);
  UpdateCellSizes(false);
}

void TCColorGrid::WMSetFocus(TMessage& Message) {
  TCustomControl::WMSetFocus(Message);
  FFocused = true;
  DrawSquare(FSelection, FFocused);
  DrawFgBg();
}

void TCColorGrid::WMKillFocus(TMessage& Message) {
  TCustomControl::WMKillFocus(Message);
  FFocused = false;
  DrawSquare(FSelection, FFocused);
  DrawFgBg();
}

void TCColorGrid::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void TCColorGrid::WMCaptureChanged(TMessage& Message) {
  // A drag whose capture another window took ends here: without its release the next mouse
  // move would go on choosing colours.
  if (reinterpret_cast<HWND>(Message.LParam) != WindowHandle()) FDragging = false;
  TCustomControl::WMCaptureChanged(Message);
}

void TCColorGrid::CMCtl3DChanged(TMessage& Message) {
  Invalidate();
  Message.Result = 0;
}

namespace Cgrid {
void Register() {
  RegisterComponentClass(TCColorGrid::StaticClassInfo());
}
}  // namespace Cgrid
