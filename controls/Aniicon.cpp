#include "controls/Aniicon.h"

#include "framework/core/Sysutils.h"
#include "framework/win/Platform.h"

// ---------------------------------------------------------------------------------------------
// TAniIconFile

const TClassInfo& TAniIconFile::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TAniIconFile>("TAniIconFile", &TGraphic::StaticClassInfo())
          .PublishInherited()
          .Property("Data", &TAniIconFile::GetData, &TAniIconFile::SetStoredData)
          .Build();
  return info;
}

TAniIconFile::TAniIconFile() {
  FWalk.OnFrameChange = [this] { FOnAniChange(this); };
}

TAniIconFile::~TAniIconFile() {
  // Every slot, also those after a frame the system refused.
  FWalk.ReleaseIcons();
}

AniIconHandle TAniIconFile::CreateFrameIcon(int, const uint8_t* image, int size) {
  // CreateIconFromResource without LR_SHARED. CreateIconFromResource itself passes LR_SHARED,
  // which Windows ignores for an icon from memory but Wine honours: DestroyIcon then leaves
  // the icon alive, and every decode would leak all its frames. The size is ours, not the
  // system's icon size, which follows the resolution the system had when the program started.
  // The walk keeps the frames in a table of its own; they are owned and counted as the icon
  // guard owns and counts an icon.
  const HICON icon =
      CreateIconFromResourceEx(const_cast<PBYTE>(image), static_cast<DWORD>(size), TRUE,
                               IconResourceVersion, FFrameSize, FFrameSize, LR_DEFAULTCOLOR);
  if (icon) TIconPolicy::Taken(icon);
  return icon;
}

void TAniIconFile::DestroyFrameIcon(AniIconHandle icon) {
  TIconPolicy::Close(static_cast<HICON>(icon));
}

void TAniIconFile::Draw(TCanvas& canvas, const RECT& rect) {
  // Not DrawIcon: it stretches every icon to the system's icon size.
  HICON icon = CurrentIcon();
  if (icon) DrawIconEx(canvas.Handle(), rect.left, rect.top, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

void TAniIconFile::SetFrameSize(int pixels) {
  if (pixels <= 0 || pixels == FFrameSize) return;
  FFrameSize = pixels;
  FWalk.ForgetIcons();
}

void TAniIconFile::AniDecode() {
  FWalk.AniDecode(*FStream);
}

void TAniIconFile::LoadFromStream(TStream* Stream) {
  if (!Stream) return;
  FStream->LoadFromStream(*Stream);
  AniDecode();
}

void TAniIconFile::ReadData(TStream* Stream) {
  if (!Stream) return;
  LoadFromStream(Stream);
  FOnAniChange(this);
}

void TAniIconFile::SetStoredData(const TBytes& data) {
  TMemoryStream stream;
  if (!data.empty()) stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
  ReadData(&stream);
}

void TAniIconFile::SaveToStream(TStream* Stream) const {
  if (Stream) FStream->SaveToStream(*Stream);
}

void TAniIconFile::WriteData(TStream* Stream) const {
  SaveToStream(Stream);
}

void TAniIconFile::LoadFromFile(const AnsiString& FileName) {
  if (AsciiUpperCase(ExtractFileExt(FileName)) != ".ANI" || !FileExists(FileName)) return;
  FStream->LoadFromFile(FileName);
  AniDecode();
  FOnAniChange(this);
}

void TAniIconFile::Assign(const TPersistent* Source) {
  if (!Source) {
    FStream->Clear();
    FWalk.ReleaseIcons();
    return;
  }
  const auto* other = dynamic_cast<const TAniIconFile*>(Source);
  if (!other) return TGraphic::Assign(Source);
  if (other == this) return;
  TMemoryStream copy;
  other->FStream->SaveToStream(copy);
  FStream->LoadFromStream(copy);
}

void TAniIconFile::StreamToTemp(const AnsiString& FileName) const {
  if (FStream->Size() > 0) FStream->SaveToFile(FileName);
}

HCURSOR TAniIconFile::GetCursorHandle() const {
  // The folder's length first: a long temporary path is taken whole, never cut short. The
  // user's folder may have a name the ANSI code page lacks: the wide calls reach it.
  const DWORD length = GetTempPathW(0, nullptr);
  if (length == 0) return nullptr;
  std::wstring folder(length, L'\0');
  const DWORD written = GetTempPathW(length, folder.data());
  if (written == 0 || written >= length) return nullptr;
  const std::wstring file_name = folder.substr(0, written) + L"0.ani";
  if (FStream->Size() == 0) return nullptr;
  TScopeExit remove([&file_name] { DeleteFileW(file_name.c_str()); });
  StreamToTemp(Utf8Path(file_name.data(), file_name.size()));
  return static_cast<HCURSOR>(
      LoadImageW(nullptr, file_name.c_str(), IMAGE_CURSOR, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
}

// ---------------------------------------------------------------------------------------------
// TAniIcon

namespace {

// The button frame's colours: fixed, not the system's button colours.
constexpr TColor kButtonHighlight = RGBColor(255, 255, 255);
constexpr TColor kButtonShadow = RGBColor(128, 128, 128);

}  // namespace

TAniIconServices& AniIconServices() {
  static TAniIconServices services{
      [](HWND window, UINT_PTR id, UINT elapse) { return ::SetTimer(window, id, elapse, nullptr); },
      ::KillTimer,
  };
  return services;
}

const TClassInfo& TAniIcon::StaticClassInfo() {
  // The control's own properties have no defaults: a form stores each of them, false and 0
  // included. Loading sets them in this order: the data before Animated, which starts the timer.
  static const TClassInfo& info =
      TClassBuilder<TAniIcon>("TAniIcon", &TCustomControl::StaticClassInfo())
          .Publish(kPublishBounds)
          .ObjectProperty("AniFile", &TAniIcon::AniFile)
          .Property("Animated", &TAniIcon::Animated, &TAniIcon::SetAnimated)
          .Property("AnimateOnEnter", &TAniIcon::AnimateOnEnter, &TAniIcon::SetAnimateOnEnter)
          .Publish({"Align", "Color", "Cursor", "DragCursor", "DragMode", "Enabled"})
          .Property("Frame", &TAniIcon::Frame, &TAniIcon::SetFrame)
          .Publish({"Hint", "ParentColor"})
          .Publish(kPublishHints)
          .Publish({"Visible", "OnClick", "OnDblClick"})
          .Publish(kPublishDragEvents)
          .Publish({"OnEndDrag"})
          .Publish(kPublishMouseEvents)
          .Property("Transparent", &TAniIcon::Transparent, &TAniIcon::SetTransparent)
          .Property("Center", &TAniIcon::Center, &TAniIcon::SetCenter)
          .Property("ButtonStyle", &TAniIcon::ButtonStyle, &TAniIcon::SetButtonStyle)
          .Build();
  return info;
}

namespace {

// Pictures find the graphic class by name, and form descriptions the control class.
[[maybe_unused]] const bool registered = [] {
  RegisterGraphicClass<TAniIconFile>();
  TAniIcon::StaticClassInfo();
  return true;
}();

}  // namespace

TAniIcon::TAniIcon(TComponent* AOwner)
    : TCustomControl(AOwner), FAniFile(std::make_unique<TAniIconFile>()) {
  FAniFile->SetOnAniChange(TNotifyEvent(this, &TAniIcon::AniChanged));
  SetBounds(Left(), Top(), 32, 32);
  // The control leaves the pixels around and under a transparent icon to its parent.
  SetControlStyle(ControlStyle() & ~csOpaque);
}

TAniIcon::~TAniIcon() {
  if (FTimerActive && HandleAllocated())
    AniIconServices().KillTimer(WindowHandle(), AnimationTimerId);
}

void TAniIcon::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  // Always, not only when Transparent is set: the parent paints before us and does not clip
  // us out of its own painting.
  params.ExStyle |= WS_EX_TRANSPARENT;
}

void TAniIcon::HandleCreated() {
  TCustomControl::HandleCreated();
  if (FAnimated && !FTimerActive) {
    AniIconServices().SetTimer(WindowHandle(), AnimationTimerId, AnimationInterval);
    FTimerActive = true;
  }
}

void TAniIcon::SetAnimated(bool Value) {
  FAnimated = Value;
  if (Value == FTimerActive) return;
  if (FTimerActive) {
    AniIconServices().KillTimer(Handle(), AnimationTimerId);
    FTimerActive = false;
  } else {
    // Asking for the handle makes the window; its creation may already have started the timer.
    HWND window = Handle();
    if (FTimerActive) return;
    AniIconServices().SetTimer(window, AnimationTimerId, AnimationInterval);
    FTimerActive = true;
  }
}

void TAniIcon::SetFrame(int Value) {
  FAniFile->SetFrame(Value);
  FFrame = FAniFile->FrameIndex();
  Repaint();
}

void TAniIcon::SetCenter(bool Value) {
  FCenter = Value;
  Repaint();
}

void TAniIcon::SeTAniIconFile(TAniIconFile* Value) {
  FAniFile->Assign(Value);
  Invalidate();
}

void TAniIcon::AniChanged(TObject*) {
  Repaint();
}

void TAniIcon::WMTimer(TMessage& Message) {
  FAniFile->Step();
  Message.Result = 0;
}

void TAniIcon::WMDestroy(TMessage& Message) {
  if (FTimerActive) {
    AniIconServices().KillTimer(WindowHandle(), AnimationTimerId);
    // The animation itself goes on: a window made again for us starts the timer anew.
    FTimerActive = false;
  }
  TCustomControl::WMDestroy(Message);
}

void TAniIcon::WMEraseBkgnd(TMessage& Message) {
  if (FTransparent) {
    Message.Result = 1;
    return;
  }
  TCustomControl::WMEraseBkgnd(Message);
}

void TAniIcon::CMMouseEnter(TMessage& Message) {
  TCustomControl::CMMouseEnter(Message);
  if (FAniFile && FAnimateOnEnter && Enabled()) SetAnimated(true);
  FMouseInside = true;
  Repaint();
}

void TAniIcon::CMMouseLeave(TMessage& Message) {
  TCustomControl::CMMouseLeave(Message);
  if (FAniFile && FAnimateOnEnter && Enabled()) SetAnimated(false);
  FMouseInside = false;
  Repaint();
}

void TAniIcon::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button == TMouseButton::mbLeft) {
    FPressed = true;
    if (FButtonStyle) Repaint();
  }
}

void TAniIcon::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
}

void TAniIcon::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  FPressed = false;
  if (FButtonStyle) Repaint();
}

POINT TAniIcon::FramePosition() const {
  if (!FCenter) return {0, 0};
  const int icon_size = ScaleDesign(FAniFile->GetWidth());
  return {Width() > icon_size ? (Width() - icon_size) / 2 : 0,
          Height() > icon_size ? (Height() - icon_size) / 2 : 0};
}

void TAniIcon::WMPaint(TMessage& Message) {
  if (FPaintingBackground) {
    // A parent that does not clip its children repaints us inside our own request for its
    // background; the paint that asked draws the frame once the parent is done.
    ValidateRect(WindowHandle(), nullptr);
    Message.Result = 0;
    return;
  }
  // The part of us to be painted, which the parent paints under us first. Not when painting
  // into a DC of someone else's (WM_PRINTCLIENT): the parent draws on the screen only.
  SetRectEmpty(&FBackgroundArea);
  if (FTransparent && !Message.WParam && !GetUpdateRect(WindowHandle(), &FBackgroundArea, FALSE)) {
    SetRectEmpty(&FBackgroundArea);
  }
  TCustomControl::WMPaint(Message);
}

void TAniIcon::Paint() {
  TCanvas& canvas = *Canvas();
  if (FTransparent && !IsRectEmpty(&FBackgroundArea) && Parent() && Parent()->HandleAllocated()) {
    RECT area = FBackgroundArea;
    OffsetRect(&area, Left(), Top());
    FPaintingBackground = true;
    InvalidateRect(Parent()->Handle(), &area, TRUE);
    UpdateWindow(Parent()->Handle());
    FPaintingBackground = false;
  }

  // The frames are made for the resolution of the monitor that the form is on now.
  FAniFile->SetFrameSize(ScaleDesign(FAniFile->GetWidth()));
  const POINT at = FramePosition();
  const int size = FAniFile->FrameSize();
  FAniFile->Draw(canvas, RECT{at.x, at.y, at.x + size, at.y + size});

  if (FButtonStyle && (FPressed || FMouseInside)) {
    RECT frame{0, 0, Width(), Height()};
    if (FPressed) {
      canvas.Frame3D(frame, kButtonShadow, kButtonHighlight, 1);  // sunken
    } else {
      canvas.Frame3D(frame, kButtonHighlight, kButtonShadow, 1);  // raised
    }
  }

  if (IsDesigning()) {
    canvas.Pen()->SetStyle(TPenStyle::psDot);
    canvas.Pen()->SetColor(clBlack);
    canvas.Brush()->SetStyle(TBrushStyle::bsClear);
    const POINT outline[] = {
        {0, 0}, {Width() - 1, 0}, {Width() - 1, Height() - 1}, {0, Height() - 1}, {0, 0}};
    canvas.Polyline(outline, 5);
  }
}
