#include "framework/win/Dialogs.h"

#include <gtest/gtest.h>

#include <cderr.h>

#include <cstring>

#include "framework/core/Filer.h"
#include "framework/win/Platform.h"
#include "tests/Widefolder.h"
#include "tests/framework/win/ExtTest.h"

namespace {

// The sound dialog of the program's window, as its form description gives it.
const char* const kForm = R"(object Form1: TForm
  Left = 40
  Top = 40
  Caption = 'Dialogs'
  object OpenDialog1: TOpenDialog
    DefaultExt = '*.mp3'
    Filter = 'WAV-Audio-Dateien (.wav)|*.wav|MP3-Audio (.mp3)|*.mp3|MIDI-Dateien (.mid)|*.mid|VideoDateien (.avi)|*.AVI|MPEG-Video (.mpg)|*.MPG|AlleDateien (*.*)|*.*'
    Options = [ofHideReadOnly, ofFileMustExist, ofEnableSizing]
  end
end
)";

// What the dialog was given, copied out while the call lasts, and what it answers.
struct FakeDialog {
  // Given.
  int Calls = 0;
  DWORD StructSize = 0;
  DWORD Flags = 0;
  AnsiString Filter;  // the whole double-NUL list, as texts of the program
  DWORD FilterIndex = 0;
  AnsiString DefExt, Title;          // texts of the program
  AnsiString InitialDir, StartFile;  // UTF-8 names
  bool DefExtNull = false, TitleNull = false, InitialDirNull = false;
  DWORD MaxFile = 0;
  // Answered.
  BOOL Result = FALSE;
  DWORD Error = 0;
  AnsiString Answer;  // UTF-8 names written to the file buffer, NULs included
  WORD FileOffset = 0;
  DWORD AnswerFilterIndex = 1;
  DWORD AnswerFlags = 0;
};

FakeDialog* fake = nullptr;

// A wide text of the dialog as the program's 8-bit text.
AnsiString Narrow(const wchar_t* text, size_t length) {
  return TextOf(text, length);
}

AnsiString TextOrEmpty(const wchar_t* text, bool& was_null) {
  was_null = text == nullptr;
  return text ? Narrow(text, wcslen(text)) : AnsiString();
}

AnsiString NameOrEmpty(const wchar_t* name, bool& was_null) {
  was_null = name == nullptr;
  return name ? Utf8Path(name, wcslen(name)) : AnsiString();
}

BOOL WINAPI FakeRun(OPENFILENAMEW* dialog) {
  FakeDialog& f = *fake;
  ++f.Calls;
  f.StructSize = dialog->lStructSize;
  f.Flags = dialog->Flags;
  f.Filter.clear();
  if (dialog->lpstrFilter) {
    const wchar_t* p = dialog->lpstrFilter;
    while (*p) p += wcslen(p) + 1;
    f.Filter = Narrow(dialog->lpstrFilter, p + 1 - dialog->lpstrFilter);
  }
  f.FilterIndex = dialog->nFilterIndex;
  f.DefExt = TextOrEmpty(dialog->lpstrDefExt, f.DefExtNull);
  f.Title = TextOrEmpty(dialog->lpstrTitle, f.TitleNull);
  f.InitialDir = NameOrEmpty(dialog->lpstrInitialDir, f.InitialDirNull);
  bool unused;
  f.StartFile = NameOrEmpty(dialog->lpstrFile, unused);
  f.MaxFile = dialog->nMaxFile;
  if (f.Result) {
    const std::wstring answer = WidePath(f.Answer);
    std::memcpy(dialog->lpstrFile, answer.data(), answer.size() * sizeof(wchar_t));
    dialog->nFileOffset = f.FileOffset;
    dialog->nFilterIndex = f.AnswerFilterIndex;
    // The system reports the read-only box and a different extension in these two flags.
    dialog->Flags = (dialog->Flags & ~(OFN_READONLY | OFN_EXTENSIONDIFFERENT)) | f.AnswerFlags;
  }
  return f.Result;
}

DWORD WINAPI FakeError() {
  return fake->Error;
}

class OpenDialogTest : public exttest::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form_ = new TForm(Application);
    form_->LoadFromText(kForm);
    dialog_ = Find<TOpenDialog>("OpenDialog1");
    fake = &fake_;
    system_ = DialogServices();
    DialogServices() = {FakeRun, FakeError};
  }
  void TearDown() override {
    DialogServices() = system_;
    fake = nullptr;
    FormTest::TearDown();
  }
  TDialogServices system_;
  void Accept(const AnsiString& answer, WORD file_offset = 0) {
    fake_.Result = TRUE;
    fake_.Answer = answer;
    fake_.FileOffset = file_offset;
  }

  TOpenDialog* dialog_ = nullptr;
  FakeDialog fake_;
};

TEST_F(OpenDialogTest, SoundDialogReachesTheSystemAsTheFormDescribesIt) {
  EXPECT_FALSE(dialog_->Execute());
  ASSERT_EQ(fake_.Calls, 1);
  EXPECT_EQ(fake_.StructSize, sizeof(OPENFILENAMEW));
  EXPECT_EQ(fake_.Flags,
            DWORD{OFN_EXPLORER | OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_ENABLESIZING});
  const char expected_filter[] =
      "WAV-Audio-Dateien (.wav)\0*.wav\0MP3-Audio (.mp3)\0*.mp3\0MIDI-Dateien (.mid)\0*.mid\0"
      "VideoDateien (.avi)\0*.AVI\0MPEG-Video (.mpg)\0*.MPG\0AlleDateien (*.*)\0*.*\0\0";
  EXPECT_EQ(fake_.Filter, AnsiString(expected_filter, sizeof(expected_filter) - 1));
  EXPECT_EQ(fake_.FilterIndex, 1u) << "the first filter is selected";
  EXPECT_EQ(fake_.DefExt, "mp3") << "the system wants the extension without '*.'";
  EXPECT_TRUE(fake_.TitleNull) << "no title: the system's own";
  EXPECT_TRUE(fake_.InitialDirNull) << "no start folder: the system's choice";
  EXPECT_EQ(fake_.StartFile, "");
  EXPECT_GE(fake_.MaxFile, DWORD{MAX_PATH});
}

struct OptionCase {
  TOpenOptions Options;
  DWORD Flags;
};

TEST_F(OpenDialogTest, EveryOptionSetsItsFlag) {
  const OptionCase cases[] = {
      {OpenOptions({}), OFN_EXPLORER},
      {OpenOptions({ofAllowMultiSelect}), OFN_EXPLORER | OFN_ALLOWMULTISELECT},
      {OpenOptions({ofPathMustExist, ofNoChangeDir}),
       OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR},
      {OpenOptions({ofOverwritePrompt, ofCreatePrompt, ofReadOnly}),
       OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT | OFN_READONLY},
      {OpenOptions({ofOldStyleDialog, ofFileMustExist}), OFN_FILEMUSTEXIST},
      {OpenOptions({ofNoValidate, ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate}),
       OFN_EXPLORER | OFN_NOVALIDATE | OFN_SHAREAWARE | OFN_NOREADONLYRETURN |
           OFN_NOTESTFILECREATE},
      {OpenOptions({ofNoNetworkButton, ofNoLongNames, ofNoDereferenceLinks, ofShowHelp}),
       OFN_EXPLORER | OFN_NONETWORKBUTTON | OFN_NOLONGNAMES | OFN_NODEREFERENCELINKS |
           OFN_SHOWHELP},
  };
  for (const OptionCase& c : cases) {
    dialog_->SetOptions(c.Options);
    dialog_->Execute();
    EXPECT_EQ(fake_.Flags, c.Flags) << "options 0x" << std::hex << c.Options;
  }
}

TEST_F(OpenDialogTest, TitleFolderAndStartNameArePassedOn) {
  dialog_->SetTitle("Klang wählen");
  dialog_->SetInitialDir("C:\\" + widefolder::Name());
  dialog_->SetFileName(widefolder::Name() + ".wav");
  dialog_->SetFilterIndex(2);
  dialog_->Execute();
  EXPECT_EQ(fake_.Title, "Klang wählen");
  EXPECT_EQ(fake_.InitialDir, "C:\\" + widefolder::Name());
  EXPECT_EQ(fake_.StartFile, widefolder::Name() + ".wav");
  EXPECT_EQ(fake_.FilterIndex, 2u);
}

TEST_F(OpenDialogTest, AcceptedFileBecomesTheFileNameCancelKeepsIt) {
  dialog_->SetFileName("before.wav");
  EXPECT_FALSE(dialog_->Execute()) << "cancelled";
  EXPECT_EQ(dialog_->FileName(), "before.wav");

  using namespace std::string_literals;
  Accept("C:\\music\\wake.mp3\0"s, 9);
  fake_.AnswerFilterIndex = 2;
  EXPECT_TRUE(dialog_->Execute());
  EXPECT_EQ(dialog_->FileName(), "C:\\music\\wake.mp3");
  ASSERT_EQ(dialog_->Files()->Count(), 1);
  EXPECT_EQ((*dialog_->Files())[0], "C:\\music\\wake.mp3");
  EXPECT_EQ(dialog_->FilterIndex(), 2) << "the filter the user left chosen";
}

TEST_F(OpenDialogTest, TailOfALongerStartNameIsNoSecondFile) {
  using namespace std::string_literals;
  dialog_->SetOptions(OpenOptions({ofAllowMultiSelect}));
  dialog_->SetFileName("a-rather-long-start-name.wav");
  Accept("C:\\x.wav\0"s, 3);
  ASSERT_TRUE(dialog_->Execute());
  EXPECT_EQ(dialog_->FileName(), "C:\\x.wav");
  EXPECT_EQ(dialog_->Files()->Count(), 1);
}

TEST_F(OpenDialogTest, MultiSelectionGivesEveryFileWithItsFolder) {
  using namespace std::string_literals;
  dialog_->SetOptions(OpenOptions({ofAllowMultiSelect, ofFileMustExist}));
  const AnsiString name = widefolder::Name();  // seven characters, in more UTF-8 bytes
  Accept("C:\\" + name + "\0a.wav\0"s + name + ".mp3\0\0"s, 11);
  ASSERT_TRUE(dialog_->Execute());
  ASSERT_EQ(dialog_->Files()->Count(), 2);
  EXPECT_EQ((*dialog_->Files())[0], "C:\\" + name + "\\a.wav");
  EXPECT_EQ((*dialog_->Files())[1], "C:\\" + name + "\\" + name + ".mp3");
  EXPECT_EQ(dialog_->FileName(), "C:\\" + name + "\\a.wav");
}

TEST_F(OpenDialogTest, ReadOnlyAnswerIsKept) {
  using namespace std::string_literals;
  dialog_->SetOptions(OpenOptions({ofReadOnly, ofFileMustExist}));
  Accept("C:\\a.wav\0"s, 3);
  ASSERT_TRUE(dialog_->Execute());
  EXPECT_FALSE(dialog_->Options() & (1u << ofReadOnly)) << "the user cleared the box";
  fake_.AnswerFlags = OFN_READONLY | OFN_EXTENSIONDIFFERENT;
  ASSERT_TRUE(dialog_->Execute());
  EXPECT_TRUE(dialog_->Options() & (1u << ofReadOnly));
  EXPECT_TRUE(dialog_->Options() & (1u << ofExtensionDifferent));
  EXPECT_TRUE(dialog_->Options() & (1u << ofFileMustExist)) << "other options stay";
}

TEST_F(OpenDialogTest, FailureIsAnErrorNotACancel) {
  fake_.Error = CDERR_INITIALIZATION;
  EXPECT_THROW(dialog_->Execute(), EOutOfResources);
  fake_.Error = FNERR_BUFFERTOOSMALL;
  try {
    dialog_->Execute();
    FAIL() << "too many files must raise";
  } catch (const EOutOfResources& e) {
    EXPECT_NE(AnsiString(e.what()).find("Too many files"), AnsiString::npos) << e.what();
  }
}

TEST_F(OpenDialogTest, PropertiesRoundTripThroughTheFormText) {
  const AnsiString text = WriteComponentText(*form_);
  EXPECT_NE(text.find("Options = [ofHideReadOnly, ofFileMustExist, ofEnableSizing]"),
            AnsiString::npos)
      << text;
  EXPECT_NE(text.find("DefaultExt = '*.mp3'"), AnsiString::npos);
  EXPECT_EQ(text.find("FilterIndex"), AnsiString::npos) << "the default is not stored";
  TForm copy(nullptr);
  copy.LoadFromText(text);
  EXPECT_EQ(WriteComponentText(copy), text);
}

// ---------------------------------------------------------------------------------------------
// The real dialogs under Wine, driven from a timer while their modal loops run.

// Every child window's text.
std::vector<AnsiString> ChildTexts(HWND window) {
  std::vector<AnsiString> texts;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char text[256] = {};
    GetWindowTextA(child, text, sizeof(text));
    texts.emplace_back(text);
  }
  return texts;
}

bool HasVisibleIcon(HWND window) {
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char name[32] = {};
    GetClassNameA(child, name, sizeof(name));
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(name, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
        IsWindowVisible(child) && SendMessageA(child, STM_GETICON, 0, 0)) {
      return true;
    }
  }
  return false;
}

void CancelDialog() {
  if (HWND box = exttest::FindThreadWindow("#32770")) {
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
  }
}

TEST(MessageBoxTest, ItsModalLoopKeepsRunningTheProgramsTimers) {
  wintest::EnsureApplication();
  TTimer timer(nullptr);
  timer.SetInterval(10);
  int ticks = 0;
  AnsiString caption;
  std::vector<AnsiString> texts;
  bool icon = true;
  // The program's own timer handler closes the box, from inside the box's modal loop.
  timer.OnTimer = [&](TObject*) {
    ++ticks;
    HWND box = exttest::FindThreadWindow("#32770");
    if (!box || ticks < 3) return;
    char text[256] = {};
    GetWindowTextA(box, text, sizeof(text));
    caption = text;
    texts = ChildTexts(box);
    icon = HasVisibleIcon(box);
    timer.SetEnabled(false);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  };
  exttest::ModalWatcher watcher([] { return false; }, CancelDialog);
  const int answer = Application->MessageBox("Wakora: Aufstehen!");
  EXPECT_FALSE(watcher.GaveUp()) << "the timer never closed the box";
  EXPECT_EQ(answer, IDOK);
  EXPECT_GE(ticks, 3);
  EXPECT_EQ(caption, Application->Title()) << "captioned with the application's title";
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Wakora: Aufstehen!"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "OK"), texts.end());
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Cancel"), 0) << "a single OK button";
  EXPECT_FALSE(icon) << "no icon";
}

TEST(OpenDialogLive, TheSystemDialogReturnsTheChosenFilesFullPath) {
  wintest::EnsureApplication();
  // A name outside the ANSI code page, as the user may pick one.
  wchar_t full[MAX_PATH] = {};
  GetFullPathNameW(WidePath("wakora_dialog_" + widefolder::Name() + ".wav").c_str(), MAX_PATH, full,
                   nullptr);
  HANDLE file = CreateFileW(full, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);

  TOpenDialog dialog(nullptr);
  dialog.SetFilter("WAV-Audio-Dateien (.wav)|*.wav|AlleDateien (*.*)|*.*");
  dialog.SetDefaultExt("*.mp3");
  dialog.SetOptions(OpenOptions({ofHideReadOnly, ofFileMustExist, ofEnableSizing}));
  TTimer timer(nullptr);
  timer.SetInterval(10);
  int ticks = 0;
  timer.OnTimer = [&ticks](TObject*) { ++ticks; };
  exttest::ModalWatcher watcher(
      [&] {
        HWND box = exttest::FindThreadWindow("#32770");
        if (!box || ticks < 3) return false;
        HWND name = GetDlgItem(box, 0x47C);        // cmb13: the file name box
        if (!name) name = GetDlgItem(box, 0x480);  // edt1, in older dialogs
        if (!name) return false;
        SetWindowTextW(name, full);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        return true;
      },
      CancelDialog);
  const bool accepted = dialog.Execute();
  DeleteFileW(full);
  EXPECT_FALSE(watcher.GaveUp());
  EXPECT_TRUE(accepted);
  EXPECT_EQ(lstrcmpiW(WidePath(dialog.FileName()).c_str(), full), 0) << dialog.FileName();
  EXPECT_GE(ticks, 3) << "the program's timer ran while the dialog was open";
}

TEST(OpenDialogLive, CancelAnswersFalse) {
  wintest::EnsureApplication();
  TOpenDialog dialog(nullptr);
  dialog.SetFileName("kept.wav");
  exttest::ModalWatcher watcher(
      [] {
        HWND box = exttest::FindThreadWindow("#32770");
        if (!box) return false;
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        return true;
      },
      CancelDialog);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_FALSE(watcher.GaveUp());
  EXPECT_EQ(dialog.FileName(), "kept.wav");
}

TEST(SystemFunctions, ComeFromTheSystemFolderOrNotAtAll) {
  const FARPROC error = SystemProcedure(L"comdlg32.dll", "CommDlgExtendedError");
  EXPECT_NE(error, nullptr);
  EXPECT_EQ(error, GetProcAddress(GetModuleHandleW(L"comdlg32.dll"), "CommDlgExtendedError"));
  EXPECT_EQ(SystemProcedure(L"comdlg32.dll", "NoSuchFunction"), nullptr);
  EXPECT_EQ(SystemProcedure(L"no-such-library.dll", "CommDlgExtendedError"), nullptr);
}

}  // namespace
