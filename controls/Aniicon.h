// Aniicon: TAniIconFile, an animated icon (ANI file, RIFF form "ACON") as a graphic that a form
// stores, and TAniIcon, the windowed control that shows one and animates it from a timer.
//
// TAniIconFile keeps the file's raw bytes and decodes them into up to 64 system icons of
// 32 x 32 pixels, made larger for a screen of more pixels per inch (the walk itself is
// AniWalk's). Its stored "Data" is the raw ANI file, written
// back unchanged. The decoded frames advance on Step, one call per tick of the owner's timer.
//
// TAniIcon draws the current frame at its top left (or centred), its icons made at the size
// that the resolution of its form's monitor asks for, optionally over its parent's background and
// inside a flat button frame that follows the mouse. Its window timer 1 ticks every 20 ms while it
// animates; the file's rates decide how many ticks each frame stays. Coordinates are the control's
// client pixels.
//
// Ownership: the file owns its byte stream and its frame icons (destroyed with DestroyIcon
// when new frames replace them, on Assign(nullptr) and with the file). The control owns its
// file. A cursor made by GetCursorHandle belongs to the caller.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "controls/Aniicon_core.h"
#include "framework/core/Streams.h"
#include "framework/core/Typinfo.h"
#include "framework/win/Graphics.h"
#include "framework/win/WinControls.h"

// Chunk identifiers of the ANI format. The decoder matches names as text instead (AniChunkIs).
inline constexpr char cklist[5] = "LIST";
inline constexpr char ckicon[5] = "ICON";
inline constexpr char ckrate[5] = "rate";
inline constexpr char ckseq[5] = "seq ";

class TAniIconFile : public TGraphic, private AniFrameSink {
  DECLARE_CLASS_INFO()
 public:
  // The icon format version that CreateIconFromResource is given for every frame.
  static constexpr DWORD IconResourceVersion = 0x00030000;

  TAniIconFile();
  ~TAniIconFile() override;
  TAniIconFile(const TAniIconFile&) = delete;
  TAniIconFile& operator=(const TAniIconFile&) = delete;

  // Draws the current frame at the rectangle's top left at its own size (FrameSize); an empty
  // slot draws nothing.
  void Draw(TCanvas& canvas, const RECT& rect) override;
  // Always false, also before anything was loaded, so a form always stores the data.
  bool GetEmpty() const override { return false; }
  int GetWidth() const override { return 32; }
  int GetHeight() const override { return 32; }
  void SetWidth(int) override {}
  void SetHeight(int) override {}

  // The whole source (from its start, wherever it stands) becomes the data and is decoded.
  // ReadData then raises the change notification; LoadFromStream does not. Null: nothing.
  // Raises EReadError when the data ends early; frames decoded up to then stay.
  void ReadData(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;
  // The raw ANI bytes, unchanged. Null: nothing.
  void WriteData(TStream* Stream) const override;
  void SaveToStream(TStream* Stream) const override;
  // Loads a file whose extension is ".ani" in any case and which exists, then notifies. Any
  // other name, or a missing file, is ignored.
  void LoadFromFile(const AnsiString& FileName);
  // The stored property "Data": ReadData with these bytes. Empty data, too, replaces the data
  // and notifies but keeps the frames, as any data without frames does.
  void SetStoredData(const TBytes& data);

  // Another animated icon: copies its raw bytes only; the frames shown stay those decoded
  // last. Null: empties the data and destroys every frame. Other graphics cannot be assigned.
  void Assign(const TPersistent* Source) override;

  // Selects a frame; an index outside 0..63 or an empty slot selects 0. No notification.
  void SetFrame(int Index) { FWalk.SetFrame(Index); }
  // One tick of the animation clock; notifies when the next frame becomes current.
  void Step() { FWalk.Step(); }

  // The size in pixels that the frames' icons are made at: 32, the file's own, until the
  // owner draws them for a screen of another resolution. Icons made at another size are made
  // again when next wanted, from the frames already decoded.
  int FrameSize() const { return FFrameSize; }
  void SetFrameSize(int pixels);

  int64_t GetStreamSize() const { return FStream->Size(); }
  // Saves the raw bytes to the named file, unless there are none.
  void StreamToTemp(const AnsiString& FileName) const;
  // The data as a system animated cursor, through the temporary file "0.ani", which is always
  // deleted afterwards. Null when there is no data or the system cannot load it. The caller
  // owns the cursor. Two calls must not overlap: the file name is fixed.
  HCURSOR GetCursorHandle() const;
  // Decodes the data into the header, rates, sequence and frames.
  void AniDecode();

  // Raised when Step moves on to a frame and after ReadData and LoadFromFile.
  const TNotifyEvent& OnAniChange() const { return FOnAniChange; }
  void SetOnAniChange(TNotifyEvent event) { FOnAniChange = std::move(event); }

  const AniHeader& Header() const { return FWalk.Header(); }
  const int32_t* Rates() const { return FWalk.Rates(); }
  const int32_t* Sequence() const { return FWalk.Sequence(); }
  HICON Icon(int slot) const { return static_cast<HICON>(FWalk.Icon(slot)); }
  // The frame the animation stands at now; null while there is none.
  HICON CurrentIcon() const { return static_cast<HICON>(FWalk.CurrentIcon()); }
  int FrameIndex() const { return FWalk.FrameIndex(); }
  int Ticks() const { return FWalk.Ticks(); }
  int PlayableFrames() const { return FWalk.PlayableFrames(); }
  const TBytes& Bytes() const { return FStream->Bytes(); }

 private:
  AniIconHandle CreateFrameIcon(int frame, const uint8_t* image, int size) override;
  void DestroyFrameIcon(AniIconHandle icon) override;

  // Frames (owned icons), rates, sequence, header, current frame and ticks.
  AniWalk FWalk{*this};
  std::unique_ptr<TMemoryStream> FStream = std::make_unique<TMemoryStream>();  // owned
  TNotifyEvent FOnAniChange;
  int FFrameSize = 32;
};

// The animated icon's timer calls, replaceable by tests that count them.
struct TAniIconServices {
  std::function<UINT_PTR(HWND window, UINT_PTR id, UINT elapse)> SetTimer;
  std::function<BOOL(HWND window, UINT_PTR id)> KillTimer;
};
// The process-wide instance, starting with the real calls.
TAniIconServices& AniIconServices();

class TAniIcon : public TCustomControl {
  DECLARE_CLASS_INFO()
 public:
  // The animation's window timer: its id on the control's window and its interval.
  static constexpr UINT_PTR AnimationTimerId = 1;
  static constexpr UINT AnimationInterval = 20;

  explicit TAniIcon(TComponent* AOwner);
  // The timer is ours: it goes before the window does, also when we are deleted directly.
  ~TAniIcon() override;

  TAniIconFile* AniFile() const { return FAniFile.get(); }
  void SeTAniIconFile(TAniIconFile* Value);
  bool Animated() const { return FAnimated; }
  void SetAnimated(bool Value);
  bool AnimateOnEnter() const { return FAnimateOnEnter; }
  void SetAnimateOnEnter(bool Value) { FAnimateOnEnter = Value; }
  int Frame() const { return FFrame; }
  void SetFrame(int Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { FTransparent = Value; }
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool ButtonStyle() const { return FButtonStyle; }
  void SetButtonStyle(bool Value) { FButtonStyle = Value; }

  // True while window timer 1 runs on the control's window.
  bool TimerActive() const { return FTimerActive; }
  bool MouseInside() const { return FMouseInside; }
  bool Pressed() const { return FPressed; }

  // The file's change notification: repaints at once.
  void AniChanged(TObject* Sender);

 protected:
  void CreateParams(TCreateParams& params) override;
  // A window made again for a control that was animating resumes the animation.
  void HandleCreated() override;
  void Paint() override;
  void WMPaint(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMTimer(TMessage& Message) override;
  void WMDestroy(TMessage& Message) override;

 private:
  // Where the frame goes: (0, 0), or centred; a side shorter than the icon puts it at 0.
  POINT FramePosition() const;

  std::unique_ptr<TAniIconFile> FAniFile;  // owned, never replaced
  bool FAnimated = false;
  bool FTimerActive = false;
  int FFrame = 0;
  bool FTransparent = false;
  bool FAnimateOnEnter = false;
  bool FCenter = false;
  bool FButtonStyle = false;
  bool FMouseInside = false;
  bool FPressed = false;
  // Set while Paint has the parent draw the background under us, so that a parent that
  // repaints us from inside that update does not start the same round again.
  bool FPaintingBackground = false;
  // The part of the client area that the paint in progress covers; empty when the parent
  // is not to paint under us.
  RECT FBackgroundArea = {};
};
