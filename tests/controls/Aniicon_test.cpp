#include "controls/Aniicon.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/core/Filer.h"
#include "tests/framework/win/WinTest.h"

namespace {

// --- Test data ----------------------------------------------------------------------------------

TBytes ReadFileBytes(const AnsiString& path) {
  TMemoryStream stream;
  stream.LoadFromFile(path);
  return stream.Bytes();
}

// The window's own animation: 15 frames of 32 x 32 in 16 colours, a rate of 9 for each.
TBytes WakoraAni() {
  return ReadFileBytes(WAKORA_SOURCE_DIR "/controls/res/wakora.ani");
}
TBytes TestAni(const char* name) {
  return ReadFileBytes(AnsiString(WAKORA_SOURCE_DIR "/tests/controls/data/") + name);
}

TMemoryStream StreamOf(const TBytes& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return stream;
}

void Load(TAniIconFile& file, const TBytes& bytes) {
  TMemoryStream stream = StreamOf(bytes);
  file.LoadFromStream(&stream);
}

uint32_t Get32(const TBytes& bytes, size_t at) {
  uint32_t value;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

// Frame `n`'s picture read straight from the ANI bytes, independently of the decoder: the n-th
// chunk of the "fram" list, its image at the directory entry's offset; 4-bit colours stored
// bottom row first, then the 1-bit mask (set: see-through).
struct FramePicture {
  COLORREF color[32][32];
  bool clear[32][32];
};

FramePicture PictureOfFrame(const TBytes& ani, int n) {
  size_t at = 12;
  while (!(std::memcmp(&ani[at], "LIST", 4) == 0 && std::memcmp(&ani[at + 8], "fram", 4) == 0)) {
    at += 8 + ((Get32(ani, at + 4) + 1) & ~1u);
  }
  at += 12;
  for (int i = 0; i < n; ++i) at += 8 + Get32(ani, at + 4);
  const size_t icon = at + 8;
  const size_t image = icon + Get32(ani, icon + 6 + 12);
  EXPECT_EQ(Get32(ani, image), 40u);
  EXPECT_EQ(ani[image + 14], 4) << "a 16-colour image";
  const size_t palette = image + 40;
  const size_t colours = palette + 16 * 4;
  const size_t mask = colours + 32 * 16;
  FramePicture picture{};
  for (int y = 0; y < 32; ++y) {
    const int row = 31 - y;
    for (int x = 0; x < 32; ++x) {
      const uint8_t pair = ani[colours + row * 16 + x / 2];
      const int index = x % 2 ? pair & 15 : pair >> 4;
      const uint8_t* bgr = &ani[palette + index * 4];
      picture.color[y][x] = RGB(bgr[2], bgr[1], bgr[0]);
      picture.clear[y][x] = ani[mask + row * 4 + x / 8] & (0x80 >> (x % 8));
    }
  }
  return picture;
}

// Compares a 32 x 32 area at (left, top) with a frame; `background(x, y)` is what should show
// through its see-through pixels. Answers the number of differing pixels (and reports the first).
template <class Read, class Background>
int DifferencesFromFrame(const FramePicture& picture, int left, int top, Read read,
                         Background background) {
  int differences = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const COLORREF want =
          picture.clear[y][x] ? background(left + x, top + y) : picture.color[y][x];
      const COLORREF got = read(left + x, top + y);
      if (got != want && differences++ == 0) {
        ADD_FAILURE() << "first difference at (" << x << ", " << y << "): got " << std::hex << got
                      << ", want " << want;
      }
    }
  }
  return differences;
}

// Whether an icon handle still stands for an icon.
bool IconAlive(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return true;
}

AnsiString TempFolder() {
  char path[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof path, path);
  return AnsiString(path, length);
}

// --- The animated icon file ---------------------------------------------------------------------

class AniIconFileTest : public ::testing::Test {
 protected:
  void SetUp() override { wintest::EnsureApplication(); }
  TAniIconFile file_;
  int changes_ = 0;
  void CountChanges() {
    file_.SetOnAniChange([this](TObject* sender) {
      EXPECT_EQ(sender, &file_);
      ++changes_;
    });
  }
};

TEST_F(AniIconFileTest, EveryFrameOfTheWindowsAnimationBecomesASystemIcon) {
  Load(file_, WakoraAni());
  ASSERT_EQ(file_.PlayableFrames(), 15);
  for (int slot = 0; slot < 15; ++slot) {
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(file_.Icon(slot), &info)) << "frame " << slot;
    EXPECT_TRUE(info.fIcon) << "an icon, not a cursor: frame " << slot;
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
  }
  EXPECT_EQ(file_.Icon(15), nullptr);
  EXPECT_EQ(file_.Header().FrameCount, 15);
}

TEST_F(AniIconFileTest, DrawnFramesMatchTheArtworkInTheFile) {
  const TBytes ani = WakoraAni();
  Load(file_, ani);
  const COLORREF background = RGB(0, 200, 100);  // in no frame's palette
  for (int frame : {0, 7, 14}) {
    SCOPED_TRACE(frame);
    TBitmap bitmap;
    bitmap.SetSize(40, 40);
    bitmap.Canvas()->Brush()->SetColor(static_cast<TColor>(background));
    bitmap.Canvas()->FillRect(RECT{0, 0, 40, 40});
    file_.SetFrame(frame);
    // Drawn at the rectangle's top left and at the icon's own size, whatever the rectangle.
    file_.Draw(*bitmap.Canvas(), RECT{5, 3, 6, 4});
    GdiFlush();
    EXPECT_EQ(
        DifferencesFromFrame(
            PictureOfFrame(ani, frame), 5, 3, [&](int x, int y) { return bitmap.PixelAt(x, y); },
            [&](int, int) { return background; }),
        0);
    EXPECT_EQ(bitmap.PixelAt(4, 3), background);
    EXPECT_EQ(bitmap.PixelAt(37, 35), background);
  }
}

TEST_F(AniIconFileTest, RateOfNineShowsEachFrameForFiveTicksThenWraps) {
  Load(file_, WakoraAni());
  CountChanges();
  std::vector<int> change_ticks;
  for (int tick = 1; tick <= 76; ++tick) {
    const int before = changes_;
    file_.Step();
    if (changes_ != before) change_ticks.push_back(tick);
  }
  ASSERT_EQ(change_ticks.size(), 15u);
  for (size_t i = 0; i < change_ticks.size(); ++i) {
    EXPECT_EQ(change_ticks[i], 5 * static_cast<int>(i + 1)) << "change " << i;
  }
  EXPECT_EQ(file_.FrameIndex(), 0) << "after the 15th frame the animation starts again";
  EXPECT_EQ(file_.Ticks(), 2);
}

TEST_F(AniIconFileTest, SetFrameFallsBackToFrameZeroForBadAndEmptySlots) {
  // A file of three frames: the generator's sequence test file.
  TAniIconFile three;
  Load(three, TestAni("seq.ani"));
  ASSERT_EQ(three.PlayableFrames(), 3);
  struct Case {
    int index;
    int selected;
  } cases[] = {{70, 0}, {-1, 0}, {64, 0}, {5, 0}, {2, 2}, {1, 1}, {63, 0}};
  for (const Case& c : cases) {
    three.Step();  // the ticks start again on every selection
    three.SetFrame(c.index);
    EXPECT_EQ(three.FrameIndex(), c.selected) << "SetFrame(" << c.index << ")";
    EXPECT_EQ(three.Ticks(), 0);
  }
}

TEST_F(AniIconFileTest, ReadDataNotifiesLoadFromStreamDoesNotAndBothTakeTheWholeSource) {
  CountChanges();
  const TBytes ani = WakoraAni();
  TMemoryStream source = StreamOf(ani);  // left at its end
  file_.LoadFromStream(&source);
  EXPECT_EQ(changes_, 0);
  EXPECT_EQ(file_.Bytes(), ani);
  EXPECT_EQ(file_.PlayableFrames(), 15);

  TMemoryStream single = StreamOf(TestAni("single.ani"));
  single.SetPosition(7);
  file_.ReadData(&single);
  EXPECT_EQ(changes_, 1);
  EXPECT_EQ(file_.Bytes(), TestAni("single.ani"));
  EXPECT_EQ(file_.PlayableFrames(), 1);

  file_.ReadData(nullptr);
  file_.LoadFromStream(nullptr);
  EXPECT_EQ(changes_, 1);
  EXPECT_EQ(file_.GetStreamSize(), static_cast<int64_t>(TestAni("single.ani").size()));
}

TEST_F(AniIconFileTest, TruncatedDataRaisesTheReadErrorBeforeTheNotification) {
  CountChanges();
  TBytes ani = WakoraAni();
  ani.resize(ani.size() - 100);  // the last frame is cut short
  TMemoryStream stream = StreamOf(ani);
  EXPECT_THROW(file_.ReadData(&stream), EReadError);
  EXPECT_EQ(changes_, 0);
  EXPECT_EQ(file_.PlayableFrames(), 14) << "frames decoded before the failure stay";
}

TEST_F(AniIconFileTest, SaveAndWriteDataGiveTheRawBytesUnchanged) {
  const TBytes ani = TestAni("info.ani");
  Load(file_, ani);
  TMemoryStream saved, written;
  file_.SaveToStream(&saved);
  file_.WriteData(&written);
  EXPECT_EQ(saved.Bytes(), ani);
  EXPECT_EQ(written.Bytes(), ani);
  EXPECT_EQ(file_.GetData(), ani) << "the stored property has nothing added";
  file_.SaveToStream(nullptr);
}

TEST_F(AniIconFileTest, EmptyFileDrawsNothingSavesNothingAndIsNotEmpty) {
  EXPECT_FALSE(file_.GetEmpty());
  EXPECT_EQ(file_.GetWidth(), 32);
  EXPECT_EQ(file_.GetHeight(), 32);
  file_.SetWidth(64);
  EXPECT_EQ(file_.GetWidth(), 32);
  TMemoryStream saved;
  file_.SaveToStream(&saved);
  EXPECT_EQ(saved.Size(), 0);
  TBitmap bitmap;
  bitmap.SetSize(32, 32);
  bitmap.Canvas()->Brush()->SetColor(clRed);
  bitmap.Canvas()->FillRect(RECT{0, 0, 32, 32});
  file_.Draw(*bitmap.Canvas(), RECT{0, 0, 32, 32});
  GdiFlush();
  EXPECT_EQ(bitmap.PixelAt(16, 16), RGB(255, 0, 0));
  // An empty stream decodes to nothing and changes nothing.
  TMemoryStream empty;
  file_.LoadFromStream(&empty);
  EXPECT_EQ(file_.PlayableFrames(), 0);
}

TEST_F(AniIconFileTest, AssignCopiesBytesOnlyAndNullDestroysTheFrames) {
  TAniIconFile source;
  Load(source, WakoraAni());
  Load(file_, TestAni("single.ani"));
  const HICON single_frame = file_.Icon(0);

  file_.Assign(&source);
  EXPECT_EQ(file_.Bytes(), source.Bytes());
  EXPECT_EQ(file_.Icon(0), single_frame) << "the frames shown stay those decoded last";
  EXPECT_EQ(file_.PlayableFrames(), 1);
  file_.AniDecode();
  EXPECT_EQ(file_.PlayableFrames(), 15);

  std::vector<HICON> icons;
  for (int i = 0; i < 15; ++i) icons.push_back(file_.Icon(i));
  file_.Assign(nullptr);
  EXPECT_EQ(file_.GetStreamSize(), 0);
  for (HICON icon : icons) EXPECT_FALSE(IconAlive(icon)) << "icon not destroyed";
  for (int i = 0; i < kAniMaxFrames; ++i) EXPECT_EQ(file_.Icon(i), nullptr);
  EXPECT_EQ(source.PlayableFrames(), 15);

  TBitmap bitmap;
  EXPECT_THROW(file_.Assign(&bitmap), EConvertError);
}

TEST_F(AniIconFileTest, NewFramesAndTheDestructorGiveBackEveryIcon) {
  std::vector<HICON> icons;
  {
    TAniIconFile file;
    Load(file, WakoraAni());
    for (int i = 0; i < 15; ++i) icons.push_back(file.Icon(i));
    Load(file, TestAni("seq.ani"));
    for (HICON icon : icons) EXPECT_FALSE(IconAlive(icon)) << "replaced frame not destroyed";
    icons.clear();
    for (int i = 0; i < 3; ++i) icons.push_back(file.Icon(i));
    for (HICON icon : icons) EXPECT_TRUE(IconAlive(icon));
  }
  for (HICON icon : icons) EXPECT_FALSE(IconAlive(icon)) << "frame outlived its file";
}

TEST_F(AniIconFileTest, LoadFromFileTakesOnlyExistingFilesEndingInAni) {
  CountChanges();
  const TBytes ani = WakoraAni();
  struct Case {
    const char* name;
    bool loads;
  } cases[] = {
      {"aniicon_test_lower.ani", true}, {"aniicon_test_upper.ANI", true},
      {"aniicon_test_mixed.aNi", true}, {"aniicon_test_other.cur", false},
      {"aniicon_test_ani", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const AnsiString path = TempFolder() + c.name;
    TMemoryStream data = StreamOf(ani);
    data.SaveToFile(path);
    file_.Assign(nullptr);
    const int before = changes_;
    file_.LoadFromFile(path);
    DeleteFileA(path.c_str());
    EXPECT_EQ(file_.PlayableFrames(), c.loads ? 15 : 0);
    EXPECT_EQ(file_.GetStreamSize(), c.loads ? static_cast<int64_t>(ani.size()) : 0);
    EXPECT_EQ(changes_ - before, c.loads ? 1 : 0);
  }
  file_.LoadFromFile(TempFolder() + "aniicon_test_missing.ani");
  EXPECT_EQ(file_.GetStreamSize(), 0);
}

TEST_F(AniIconFileTest, CursorComesFromATemporaryFileThatIsDeletedAfterwards) {
  const AnsiString temp_file = TempFolder() + "0.ani";
  DeleteFileA(temp_file.c_str());
  Load(file_, WakoraAni());
  HCURSOR cursor = file_.GetCursorHandle();
  EXPECT_NE(cursor, nullptr);
  EXPECT_FALSE(FileExists(temp_file));
  if (cursor) DestroyCursor(cursor);
}

TEST_F(AniIconFileTest, EmptyDataGivesNoCursorAndWritesNoFile) {
  // A folder in the file's place: any attempt to write the file would fail loudly.
  const AnsiString temp_file = TempFolder() + "0.ani";
  DeleteFileA(temp_file.c_str());
  ASSERT_TRUE(CreateDirectoryA(temp_file.c_str(), nullptr));
  EXPECT_EQ(file_.GetCursorHandle(), nullptr);
  Load(file_, TestAni("single.ani"));
  EXPECT_THROW(file_.GetCursorHandle(), EFOpenError)
      << "a file that cannot be written is no success";
  RemoveDirectoryA(temp_file.c_str());
  EXPECT_FALSE(FileExists(temp_file));
}

TEST_F(AniIconFileTest, ChunkConstantsAreTheFourCharacterIdentifiers) {
  EXPECT_STREQ(cklist, "LIST");
  EXPECT_STREQ(ckicon, "ICON");
  EXPECT_STREQ(ckrate, "rate");
  EXPECT_STREQ(ckseq, "seq ");
  EXPECT_EQ(TAniIconFile::IconResourceVersion, 0x00030000u);
}

TEST_F(AniIconFileTest, PicturesCreateTheClassByName) {
  TGraphicFactory factory = FindGraphicClass("TAniIconFile");
  ASSERT_NE(factory, nullptr);
  std::unique_ptr<TGraphic> graphic = factory();
  graphic->SetData(WakoraAni());
  auto* made = dynamic_cast<TAniIconFile*>(graphic.get());
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->PlayableFrames(), 15);
}

// A form description sets "AniFile.Data" through the class's published property.
TEST_F(AniIconFileTest, EmptyStoredDataKeepsTheFramesAndNotifies) {
  CountChanges();
  const TPropInfo* data = file_.ClassInfo().FindPublished("Data");
  ASSERT_NE(data, nullptr);
  TValue value;
  value.Bytes = WakoraAni();
  data->Set(file_, value);
  ASSERT_EQ(file_.PlayableFrames(), 15);
  const int before = changes_;
  data->Set(file_, TValue{});
  EXPECT_EQ(file_.GetStreamSize(), 0);
  EXPECT_EQ(file_.PlayableFrames(), 15) << "the frames were destroyed";
  EXPECT_EQ(changes_ - before, 1);
}

// --- The animated icon control ------------------------------------------------------------------

// Counts the control's timer calls and passes them on to the system.
struct TimerCalls {
  static inline int sets = 0;
  static inline int kills = 0;
  static inline int kills_of_a_running_timer = 0;
  static UINT_PTR WINAPI Set(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    ++sets;
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(elapse, 20u);
    EXPECT_EQ(proc, nullptr);
    return ::SetTimer(window, id, elapse, proc);
  }
  static BOOL WINAPI Kill(HWND window, UINT_PTR id) {
    ++kills;
    const BOOL killed = ::KillTimer(window, id);
    if (killed) ++kills_of_a_running_timer;
    return killed;
  }
};

// Vertical stripes, 3 pixels wide, in two colours: the background a transparent icon shows.
class TStripes : public TGraphicControl {
 public:
  explicit TStripes(TComponent* owner) : TGraphicControl(owner) {}
  static COLORREF ColorAt(int x, int) { return (x / 3) % 2 ? RGB(0, 0, 255) : RGB(255, 255, 0); }

 protected:
  void Paint() override {
    for (int x = 0; x < Width(); ++x) {
      Canvas()->Pen()->SetColor(static_cast<TColor>(ColorAt(x + Left(), 0)));
      Canvas()->MoveTo(x, 0);
      Canvas()->LineTo(x, Height());
    }
  }
};

// A windowed parent that paints stripes itself and does not clip its children out of its
// painting, so that invalidating it invalidates the icon as well.
class TStripedPanel : public TCustomControl {
 public:
  explicit TStripedPanel(TComponent* owner) : TCustomControl(owner) {}
  int paints = 0;

 protected:
  void Paint() override {
    ++paints;
    for (int x = 0; x < Width(); ++x) {
      Canvas()->Pen()->SetColor(static_cast<TColor>(TStripes::ColorAt(x + Left(), 0)));
      Canvas()->MoveTo(x, 0);
      Canvas()->LineTo(x, Height());
    }
  }
};

class AniIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wintest::EnsureApplication();
    TimerCalls::sets = TimerCalls::kills = TimerCalls::kills_of_a_running_timer = 0;
    saved_services_ = AniIconServices();
    AniIconServices().SetTimer = [](HWND window, UINT_PTR id, UINT elapse) {
      return TimerCalls::Set(window, id, elapse, nullptr);
    };
    AniIconServices().KillTimer = TimerCalls::Kill;
    form_ = new TForm(Application);
    form_->SetBorderStyle(TFormBorderStyle::bsNone);
    form_->SetBounds(200, 150, 160, 120);
    icon_ = new TAniIcon(form_);
    icon_->SetParent(form_);
    icon_->SetLeft(10);
    icon_->SetTop(12);
    icon_->SetColor(static_cast<TColor>(kFace));
    TMemoryStream data = StreamOf(ani_);
    icon_->AniFile()->ReadData(&data);
  }
  void TearDown() override {
    delete form_;
    wintest::Pump();
    AniIconServices() = saved_services_;
  }
  TAniIconServices saved_services_;

  void ShowForm() {
    form_->Show();
    wintest::Pump();
  }
  HWND IconWindow() { return icon_->Handle(); }
  COLORREF IconPixel(int x, int y) { return wintest::PixelAt(IconWindow(), x, y); }
  // The pointer itself stays off the form: its own moves would reach the icon whenever the
  // display delivers them, after the messages of the test as often as not.
  void MouseEnter() {
    SetCursorPos(5, 5);
    wintest::PostMouse(IconWindow(), WM_MOUSEMOVE, icon_->Width() / 2, icon_->Height() / 2);
    wintest::Pump();
  }
  void MouseLeave() {
    PostMessageA(IconWindow(), WM_MOUSELEAVE, 0, 0);
    wintest::Pump();
  }
  int FrameDifferences(int frame, int left, int top) {
    return DifferencesFromFrame(
        PictureOfFrame(ani_, frame), left, top, [&](int x, int y) { return IconPixel(x, y); },
        [&](int, int) { return kFace; });
  }

  static constexpr COLORREF kFace = RGB(0, 200, 100);
  const TBytes ani_ = WakoraAni();
  TForm* form_ = nullptr;
  TAniIcon* icon_ = nullptr;  // owned by the form
};

TEST_F(AniIconTest, AnimatedTwiceStartsOneTimerAndFalseStopsItWithOneKill) {
  EXPECT_FALSE(icon_->HandleAllocated());
  icon_->SetAnimated(true);
  EXPECT_TRUE(icon_->HandleAllocated()) << "starting the timer makes the window";
  icon_->SetAnimated(true);
  EXPECT_EQ(TimerCalls::sets, 1);
  EXPECT_TRUE(icon_->TimerActive());
  icon_->SetAnimated(false);
  icon_->SetAnimated(false);
  EXPECT_EQ(TimerCalls::kills, 1);
  EXPECT_EQ(TimerCalls::kills_of_a_running_timer, 1);
  EXPECT_FALSE(icon_->TimerActive());
  EXPECT_FALSE(icon_->Animated());
}

TEST_F(AniIconTest, TimerMessagesStepTheFileAndTheFrameChangeRepaints) {
  ShowForm();
  icon_->SetAnimated(true);
  // Four ticks stay on frame 0 (rate 9), the fifth moves on and paints frame 1 at once.
  for (int tick = 1; tick <= 5; ++tick) {
    SendMessageA(IconWindow(), WM_TIMER, TAniIcon::AnimationTimerId, 0);
    EXPECT_EQ(icon_->AniFile()->FrameIndex(), tick < 5 ? 0 : 1) << "tick " << tick;
  }
  icon_->SetAnimated(false);  // no real tick from here on
  EXPECT_EQ(FrameDifferences(1, 0, 0), 0) << "frame 1 painted without any further message";
  EXPECT_EQ(icon_->Frame(), 0) << "the animation does not move the Frame property";
}

TEST_F(AniIconTest, AnimateOnEnterRunsTheAnimationOnlyWhileTheMouseIsOver) {
  ShowForm();
  icon_->SetAnimated(true);
  icon_->SetAnimateOnEnter(true);
  MouseEnter();
  EXPECT_TRUE(icon_->MouseInside());
  EXPECT_TRUE(icon_->TimerActive());
  EXPECT_EQ(TimerCalls::sets, 1) << "already running: entering starts nothing more";
  MouseLeave();
  EXPECT_FALSE(icon_->MouseInside());
  EXPECT_FALSE(icon_->TimerActive()) << "leaving stops it, whatever Animated was before";
  EXPECT_FALSE(icon_->Animated());
  MouseEnter();
  EXPECT_TRUE(icon_->TimerActive());
  EXPECT_EQ(TimerCalls::sets, 2);
  MouseLeave();
  EXPECT_EQ(TimerCalls::kills_of_a_running_timer, 2);
}

TEST_F(AniIconTest, AnimateOnEnterOnADisabledControlOnlyTracksTheMouse) {
  ShowForm();
  icon_->SetAnimateOnEnter(true);
  icon_->SetEnabled(false);
  MouseEnter();
  EXPECT_TRUE(icon_->MouseInside());
  EXPECT_FALSE(icon_->TimerActive());
  MouseLeave();
  EXPECT_FALSE(icon_->MouseInside());
  EXPECT_EQ(TimerCalls::sets, 0);
  EXPECT_EQ(TimerCalls::kills, 0);
}

TEST_F(AniIconTest, ButtonFrameRisesUnderTheMouseAndSinksWhileTheLeftButtonIsDown) {
  icon_->SetBounds(10, 12, 48, 48);
  icon_->SetCenter(true);
  icon_->SetButtonStyle(true);
  ShowForm();
  const COLORREF white = RGB(255, 255, 255), grey = RGB(128, 128, 128);
  struct Step {
    const char* what;
    UINT message;  // 0: mouse enter, 1: mouse leave
    COLORREF top_left, bottom_right;
    bool pressed;
  } steps[] = {
      {"mouse over", 0, white, grey, false},
      {"left button down", WM_LBUTTONDOWN, grey, white, true},
      {"left button up", WM_LBUTTONUP, white, grey, false},
      {"right button down", WM_RBUTTONDOWN, white, grey, false},
      {"right button up", WM_RBUTTONUP, white, grey, false},
      {"mouse gone", 1, kFace, kFace, false},
  };
  EXPECT_EQ(IconPixel(0, 0), kFace) << "no frame before the mouse comes";
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    if (step.message == 0) {
      MouseEnter();
    } else if (step.message == 1) {
      MouseLeave();
    } else {
      const WPARAM keys = step.message == WM_LBUTTONDOWN   ? MK_LBUTTON
                          : step.message == WM_RBUTTONDOWN ? MK_RBUTTON
                                                           : 0;
      wintest::PostMouse(IconWindow(), step.message, 24, 24, keys);
      wintest::Pump();
    }
    EXPECT_EQ(icon_->Pressed(), step.pressed);
    EXPECT_EQ(IconPixel(0, 0), step.top_left);
    EXPECT_EQ(IconPixel(20, 0), step.top_left);
    EXPECT_EQ(IconPixel(0, 30), step.top_left);
    EXPECT_EQ(IconPixel(47, 47), step.bottom_right);
    EXPECT_EQ(IconPixel(47, 20), step.bottom_right);
    EXPECT_EQ(IconPixel(1, 1), kFace) << "one pixel wide";
  }
}

TEST_F(AniIconTest, WithoutButtonStyleTheMouseDrawsNoFrame) {
  ShowForm();
  MouseEnter();
  wintest::PostMouse(IconWindow(), WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  wintest::Pump();
  EXPECT_TRUE(icon_->Pressed());
  EXPECT_EQ(FrameDifferences(0, 0, 0), 0);
  wintest::PostMouse(IconWindow(), WM_LBUTTONUP, 5, 5);
  wintest::Pump();
}

TEST_F(AniIconTest, FrameOutsideTheDecodedFramesReadsBackZeroAndShowsFrameZero) {
  ShowForm();
  struct Case {
    int set;
    int reads;
  } cases[] = {{3, 3}, {40, 0}, {14, 14}, {15, 0}, {-2, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.set);
    icon_->SetFrame(c.set);
    EXPECT_EQ(icon_->Frame(), c.reads);
    EXPECT_EQ(FrameDifferences(c.reads, 0, 0), 0);
  }
}

TEST_F(AniIconTest, CentredIconSitsInTheMiddleAndNeverOutsideASmallControl) {
  icon_->SetBounds(10, 12, 48, 48);
  ShowForm();
  icon_->SetCenter(true);
  EXPECT_EQ(FrameDifferences(0, 8, 8), 0) << "48 x 48: the icon at (8, 8)";
  EXPECT_EQ(IconPixel(7, 7), kFace);
  EXPECT_EQ(IconPixel(40, 40), kFace);
  icon_->SetCenter(false);
  EXPECT_EQ(FrameDifferences(0, 0, 0), 0);

  // Narrower than the icon but taller: at 0 across, centred down.
  icon_->SetBounds(10, 12, 20, 40);
  icon_->SetCenter(true);
  const FramePicture picture = PictureOfFrame(ani_, 0);
  int differences = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 20; ++x) {
      const COLORREF want = picture.clear[y][x] ? kFace : picture.color[y][x];
      if (IconPixel(x, y + 4) != want) ++differences;
    }
  }
  EXPECT_EQ(differences, 0);
}

TEST_F(AniIconTest, TransparentIconShowsTheParentsPatternAroundAndThroughIt) {
  auto* stripes = new TStripes(form_);
  stripes->SetParent(form_);
  stripes->SetBounds(0, 0, 160, 120);
  icon_->SetTransparent(true);
  icon_->SetBounds(10, 12, 48, 48);
  icon_->SetCenter(true);
  ShowForm();
  auto pattern = [&](int x, int y) { return TStripes::ColorAt(x + icon_->Left(), y); };
  auto read = [&](int x, int y) { return IconPixel(x, y); };
  EXPECT_EQ(DifferencesFromFrame(PictureOfFrame(ani_, 0), 8, 8, read, pattern), 0);
  for (int x : {0, 3, 4, 45, 47}) EXPECT_EQ(IconPixel(x, 2), pattern(x, 2)) << "x " << x;

  // The next frame's see-through pixels show the pattern, not what the last frame left there.
  for (int frame = 1; frame < 15; ++frame) {
    icon_->SetFrame(frame);
    EXPECT_EQ(DifferencesFromFrame(PictureOfFrame(ani_, frame), 8, 8, read, pattern), 0)
        << "frame " << frame;
  }
  EXPECT_FALSE(GetUpdateRect(IconWindow(), nullptr, FALSE)) << "the icon keeps repainting";
  EXPECT_FALSE(GetUpdateRect(form_->Handle(), nullptr, FALSE)) << "the parent keeps repainting";
}

TEST_F(AniIconTest, ParentThatDoesNotClipChildrenPaintsOnceUnderEachFrame) {
  auto* panel = new TStripedPanel(form_);
  panel->SetParent(form_);
  panel->SetBounds(0, 0, 120, 100);
  icon_->SetParent(panel);
  icon_->SetTransparent(true);
  ShowForm();
  ASSERT_FALSE(GetWindowLongA(panel->Handle(), GWL_STYLE) & WS_CLIPCHILDREN);
  const int paints_before = panel->paints;
  icon_->SetFrame(2);
  wintest::Pump();
  wintest::Pump();
  EXPECT_EQ(panel->paints - paints_before, 1) << "one background per frame, no endless round";
  EXPECT_FALSE(GetUpdateRect(IconWindow(), nullptr, FALSE));
  EXPECT_FALSE(GetUpdateRect(panel->Handle(), nullptr, FALSE));
  auto pattern = [&](int x, int y) { return TStripes::ColorAt(x + icon_->Left(), y); };
  EXPECT_EQ(
      DifferencesFromFrame(
          PictureOfFrame(ani_, 2), 0, 0, [&](int x, int y) { return IconPixel(x, y); }, pattern),
      0);
}

TEST_F(AniIconTest, OnlyAControlInADesignerShowsADottedOutline) {
  icon_->SetBounds(10, 12, 48, 48);
  icon_->SetCenter(true);
  ShowForm();
  auto black_on_edges = [&] {
    int count = 0;
    for (int i = 0; i < 48; ++i) {
      for (POINT p : {POINT{i, 0}, POINT{47, i}, POINT{i, 47}, POINT{0, i}}) {
        if (IconPixel(p.x, p.y) == RGB(0, 0, 0)) ++count;
      }
    }
    return count;
  };
  EXPECT_EQ(black_on_edges(), 0);
  icon_->SetDesigning(true);
  icon_->Repaint();
  const int dots = black_on_edges();
  EXPECT_GT(dots, 48) << "all four edges";
  EXPECT_LT(dots, 4 * 48) << "dotted, not solid";
  EXPECT_EQ(IconPixel(2, 2), kFace) << "an outline only";
}

// On a form laid out for a monitor of twice the system's resolution, the frames are made at 64
// pixels, not stretched from the system's icon size: each pixel of the artwork a 2 x 2 block.
// Back on a monitor like the system's, they are made at 32 again.
TEST_F(AniIconTest, FramesAreMadeForTheResolutionOfTheFormsMonitor) {
  auto icon_width = [this] {
    ICONINFO info{};
    if (!GetIconInfo(icon_->AniFile()->CurrentIcon(), &info)) return 0;
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return static_cast<int>(mask.bmWidth);
  };
  auto move_to_monitor_at = [this](int dpi) {
    RECT place{200, 150, 200 + 160 * dpi / 96, 150 + 120 * dpi / 96};
    SendMessageA(form_->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&place));
    wintest::Pump();
  };
  ShowForm();
  move_to_monitor_at(192);
  EXPECT_EQ(icon_width(), 64);
  EXPECT_EQ(DifferencesFromFrame(
                PictureOfFrame(ani_, 0), 0, 0,
                [&](int x, int y) { return IconPixel(2 * x + 1, 2 * y + 1); },
                [&](int, int) { return kFace; }),
            0);
  move_to_monitor_at(96);
  EXPECT_EQ(icon_width(), 32);
  EXPECT_EQ(FrameDifferences(0, 0, 0), 0);
}

TEST_F(AniIconTest, RecreatedWindowResumesARunningAnimation) {
  icon_->SetAnimated(true);
  HWND old_window = IconWindow();
  icon_->RecreateWnd();
  EXPECT_NE(IconWindow(), old_window);
  EXPECT_EQ(TimerCalls::kills_of_a_running_timer, 1) << "the old window's timer dies with it";
  EXPECT_EQ(TimerCalls::sets, 2);
  EXPECT_TRUE(icon_->TimerActive());
  icon_->SetAnimated(false);
  EXPECT_EQ(TimerCalls::kills_of_a_running_timer, 2) << "the new window had the timer";

  icon_->RecreateWnd();
  EXPECT_EQ(TimerCalls::sets, 2) << "a stopped animation stays stopped";
}

TEST_F(AniIconTest, DestroyingAnAnimatingControlKillsItsTimer) {
  icon_->SetAnimated(true);
  delete icon_;
  EXPECT_EQ(TimerCalls::kills_of_a_running_timer, 1);
}

TEST_F(AniIconTest, WindowIsTransparentToItsParentsPaintingAlways) {
  EXPECT_TRUE(GetWindowLongA(IconWindow(), GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  EXPECT_FALSE(icon_->ControlStyle() & csOpaque);
  TAniIcon fresh(nullptr);
  EXPECT_EQ(fresh.Width(), 32);
  EXPECT_EQ(fresh.Height(), 32);
  EXPECT_EQ(fresh.AniFile()->OnAniChange().Object(), &fresh) << "file changes repaint the control";
}

TEST_F(AniIconTest, SettingTheFileCopiesItsDataIntoTheOwnFile) {
  TAniIconFile other;
  Load(other, TestAni("single.ani"));
  TAniIconFile* own = icon_->AniFile();
  icon_->SeTAniIconFile(&other);
  EXPECT_EQ(icon_->AniFile(), own) << "never replaced";
  EXPECT_EQ(own->Bytes(), other.Bytes());
  icon_->SeTAniIconFile(nullptr);
  EXPECT_EQ(own->GetStreamSize(), 0);
  EXPECT_EQ(own->Icon(0), nullptr);
}

// --- Form descriptions
// ----------------------------------------------------------------------------

class TIconForm : public TForm {
  DECLARE_CLASS_INFO()
 public:
  using TForm::TForm;
  TAniIcon* AniIcon1 = nullptr;
  int clicks = 0;
  void AniIcon1Click(TObject*) { ++clicks; }
  void AniIcon1DragDrop(TObject*, TObject*, int, int) {}
  void AniIcon1DragOver(TObject*, TObject*, int, int, TDragState, bool&) {}
  void AniIcon1EndDrag(TObject*, TObject*, int, int) {}
};

const TClassInfo& TIconForm::StaticClassInfo() {
  static const TClassInfo& info = TClassBuilder<TIconForm>("TIconForm", &TForm::StaticClassInfo())
                                      .PublishInherited()
                                      .Field("AniIcon1", &TIconForm::AniIcon1)
                                      .Method("AniIcon1Click", &TIconForm::AniIcon1Click)
                                      .Method("AniIcon1DragDrop", &TIconForm::AniIcon1DragDrop)
                                      .Method("AniIcon1DragOver", &TIconForm::AniIcon1DragOver)
                                      .Method("AniIcon1EndDrag", &TIconForm::AniIcon1EndDrag)
                                      .Build();
  return info;
}

AnsiString HexLines(const TBytes& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  AnsiString text;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % 32 == 0) text += "\n        ";
    text += kHex[bytes[i] >> 4];
    text += kHex[bytes[i] & 15];
  }
  return text;
}

TEST_F(AniIconTest, FormDescriptionStoresEveryOwnPropertyAndTheRawFile) {
  TIconForm form(nullptr);
  const AnsiString text =
      "object IconForm: TIconForm\n"
      "  Left = 100\n  Top = 100\n  ClientWidth = 120\n  ClientHeight = 90\n"
      "  object AniIcon1: TAniIcon\n"
      "    Left = 3\n    Top = 2\n    Width = 32\n    Height = 32\n"
      "    AniFile.Data = {" +
      HexLines(ani_) +
      "}\n"
      "    Animated = True\n    AnimateOnEnter = False\n"
      "    Cursor = crHandPoint\n    DragCursor = crCross\n    DragMode = dmAutomatic\n"
      "    Frame = 0\n    OnClick = AniIcon1Click\n    OnDragDrop = AniIcon1DragDrop\n"
      "    OnDragOver = AniIcon1DragOver\n    OnEndDrag = AniIcon1EndDrag\n"
      "    Transparent = True\n    Center = False\n    ButtonStyle = False\n"
      "  end\nend\n";
  form.LoadFromText(text);
  ASSERT_NE(form.AniIcon1, nullptr);
  TAniIcon& icon = *form.AniIcon1;
  EXPECT_EQ(icon.AniFile()->PlayableFrames(), 15);
  EXPECT_TRUE(icon.TimerActive()) << "Animated = True starts the timer while loading";
  EXPECT_EQ(TimerCalls::sets, 1);
  EXPECT_TRUE(icon.Transparent());
  EXPECT_EQ(icon.Cursor(), crHandPoint);
  icon.OnClick(&icon);
  EXPECT_EQ(form.clicks, 1);

  // Written back in the same order, with the same bytes and nothing left out.
  const AnsiString written = WriteComponentText(form);
  size_t at = 0;
  for (const char* line : {"AniFile.Data = {", "Animated = True", "AnimateOnEnter = False",
                           "Cursor = crHandPoint", "DragCursor = crCross", "DragMode = dmAutomatic",
                           "Frame = 0", "OnClick = AniIcon1Click", "OnDragDrop = AniIcon1DragDrop",
                           "OnDragOver = AniIcon1DragOver", "OnEndDrag = AniIcon1EndDrag",
                           "Transparent = True", "Center = False", "ButtonStyle = False"}) {
    const size_t found = written.find(line, at);
    ASSERT_NE(found, AnsiString::npos) << line << " missing or out of order in:\n" << written;
    at = found;
  }
  TIconForm copy(nullptr);
  copy.LoadFromText(written);
  EXPECT_EQ(copy.AniIcon1->AniFile()->Bytes(), ani_);
  icon.SetAnimated(false);
  copy.AniIcon1->SetAnimated(false);
}

TEST_F(AniIconTest, ControlWithDefaultsStillStoresFalseAndZero) {
  TIconForm form(nullptr);
  auto* icon = new TAniIcon(&form);
  icon->SetName("AniIcon1");
  icon->SetParent(&form);
  const AnsiString written = WriteComponentText(form);
  for (const char* line :
       {"Animated = False", "AnimateOnEnter = False", "Frame = 0", "Transparent = False",
        "Center = False", "ButtonStyle = False", "AniFile.Data = {"}) {
    EXPECT_NE(written.find(line), AnsiString::npos) << line << " not stored in:\n" << written;
  }
}

TEST_F(AniIconTest, ScreenshotOfTheIconAnimatingOverAPattern) {
  auto* stripes = new TStripes(form_);
  stripes->SetParent(form_);
  stripes->SetBounds(0, 0, 160, 120);
  icon_->SetTransparent(true);
  icon_->SetBounds(40, 30, 48, 48);
  icon_->SetCenter(true);
  icon_->SetButtonStyle(true);
  ShowForm();
  for (int tick = 0; tick < 5 * 6; ++tick) {
    SendMessageA(IconWindow(), WM_TIMER, TAniIcon::AnimationTimerId, 0);
  }
  MouseEnter();
  EXPECT_EQ(icon_->AniFile()->FrameIndex(), 6);
  if (const char* shot = std::getenv("WAKORA_ANIICON_SHOT")) {
    // Left on screen, animating from its own timer, for screenshots taken from outside
    // (tools/wine.sh shot).
    icon_->SetAnimated(true);
    HANDLE ready = CreateFileA(shot, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(ready);
    for (int i = 0; i < 300; ++i) {
      wintest::Pump();
      Sleep(10);
    }
  }
}

}  // namespace
