// The directory outline under Wine: on a real folder tree that each test makes in the
// temporary folder, and on a made-up drive through DirectoryServices() where the case needs
// the file system to answer in a given way.
#include "controls-extra/Cdiroutl.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

#include "framework/core/Filer.h"
#include "framework/win/Locale.h"
#include "framework/win/Platform.h"
#include "tests/framework/win/ExtTest.h"

namespace {

const char* const kForm = R"(object Form1: TForm
  Left = 40
  Top = 40
  BorderStyle = bsDialog
  Caption = 'Folders'
  ClientHeight = 300
  ClientWidth = 240
end
)";

AnsiString CurrentDirectory() {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
  return Utf8Path(buffer, length);
}

// The folder tree: ROOT\one\two\three, ROOT\one\b, ROOT\.hidden, and a file ROOT\one\file.
class DirectoryOutlineTest : public exttest::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    saved_services_ = DirectoryServices();
    saved_directory_ = CurrentDirectory();
    wchar_t temp[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    root_ = Utf8Path(temp, length) + "wakora-outline-" + IntToStr(GetCurrentProcessId());
    for (const char* folder :
         {"", "\\one", "\\one\\two", "\\one\\two\\three", "\\one\\b", "\\.hidden"}) {
      CreateDirectoryW(WidePath(root_ + folder).c_str(), nullptr);
    }
    std::FILE* file = OpenFile(root_ + "\\one\\file", "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    Show(kForm);
  }
  void TearDown() override {
    DirectoryServices() = saved_services_;
    SetCurrentDirectoryW(WidePath(saved_directory_).c_str());
    DeleteFileW(WidePath(root_ + "\\one\\file").c_str());
    for (const char* folder :
         {"\\.hidden", "\\one\\b", "\\one\\two\\three", "\\one\\two", "\\one", ""}) {
      RemoveDirectoryW(WidePath(root_ + folder).c_str());
    }
    FormTest::TearDown();
  }
  // A new outline on the form, created with its window as a form creates it.
  TCDirectoryOutline* NewOutline() {
    auto* outline = new TCDirectoryOutline(form_);
    outline->SetBounds(0, 0, 240, 300);
    outline->OnChange = [this](TObject*) { ++changes_; };
    outline->SetParent(form_);
    return outline;
  }
  std::vector<AnsiString> ChildTexts(TCDirectoryOutline* outline, int item) {
    std::vector<AnsiString> texts;
    const TOutlineNode& node = outline->Items(item);
    for (int i = 0; i < node.ChildCount(); ++i) texts.push_back(node.ChildNode(i).Text());
    return texts;
  }
  AnsiString Lower(const AnsiString& path) { return locale::LowerCaseFileName(path); }

  TDirectoryServices saved_services_;
  AnsiString saved_directory_;
  AnsiString root_;
  int changes_ = 0;
};

TEST_F(DirectoryOutlineTest, NewControlOpensTheLevelsDownToTheCurrentDirectory) {
  ASSERT_TRUE(SetCurrentDirectoryW(WidePath(root_ + "\\one\\two\\three").c_str()));
  TCDirectoryOutline* outline = NewOutline();
  EXPECT_EQ(outline->Items(1).Text(), "c:");
  const TOutlineNode& selected = outline->Items(outline->SelectedItem());
  EXPECT_EQ(selected.Text(), "three");
  EXPECT_EQ(selected.FullPath(), Lower(root_ + "\\one\\two\\three"));
  for (const TOutlineNode* node = selected.ParentNode(); node->Level() > 0;
       node = node->ParentNode()) {
    EXPECT_TRUE(node->Expanded()) << node->Text();
  }
  EXPECT_EQ(outline->Directory(), Lower(root_ + "\\one\\two\\three"));
  EXPECT_FALSE(selected.Expanded()) << "the last level is not read";
  EXPECT_EQ(selected.Data(), nullptr);
  EXPECT_GE(changes_, 1);
}

TEST_F(DirectoryOutlineTest, DirectoryKeepsTheRootsBackslashOnly) {
  TCDirectoryOutline* outline = NewOutline();
  struct Row {
    AnsiString set;
    AnsiString stored;
  };
  const std::vector<Row> rows = {
      {"c:\\windows\\", "c:\\windows"},
      {"C:\\", "c:\\"},
      {root_ + "\\one\\", Lower(root_ + "\\one")},
      {root_ + "\\one\\two\\..\\b", Lower(root_ + "\\one\\b")},
  };
  for (const Row& row : rows) {
    outline->SetDirectory(row.set);
    EXPECT_EQ(outline->Directory(), row.stored) << row.set;
    EXPECT_EQ(Lower(CurrentDirectory()), row.stored) << row.set;
    EXPECT_EQ(
        outline->Items(outline->SelectedItem()).FullPath() + (row.stored.size() == 3 ? "\\" : ""),
        row.stored)
        << row.set;
  }
}

TEST_F(DirectoryOutlineTest, ComparisonIsExactSoAsIsSeesAnotherCaseAsAChange) {
  struct Row {
    TTextCase text_case;
    int changes_for_other_case;
  };
  const std::vector<Row> rows = {{TTextCase::tcAsIs, 1}, {TTextCase::tcLowerCase, 0}};
  for (const Row& row : rows) {
    TCDirectoryOutline* outline = NewOutline();
    outline->SetTextCase(row.text_case);
    outline->SetDirectory(root_ + "\\one");
    changes_ = 0;
    outline->SetDirectory(AsciiUpperCase(root_ + "\\one"));
    EXPECT_EQ(changes_, row.changes_for_other_case);
    EXPECT_EQ(outline->Items(outline->SelectedItem()).Text(), "one");
    EXPECT_EQ(outline->Directory(), row.text_case == TTextCase::tcAsIs
                                        ? AsciiUpperCase(root_ + "\\one")
                                        : Lower(root_ + "\\one"));
    TObject::Free(outline);
  }
}

TEST_F(DirectoryOutlineTest, OnlyFoldersShowAndNoneBeginsWithADot) {
  TCDirectoryOutline* outline = NewOutline();
  outline->SetDirectory(root_);
  const int root_item = outline->SelectedItem();
  outline->BuildSubTree(root_item);
  outline->BuildSubTree(root_item);  // a second read adds nothing
  EXPECT_EQ(ChildTexts(outline, root_item), (std::vector<AnsiString>{"one"}));
  const int one = outline->Items(root_item).GetFirstChild();
  EXPECT_EQ(ChildTexts(outline, one), (std::vector<AnsiString>{"b", "two"}));
}

TEST_F(DirectoryOutlineTest, ClickingAFolderMakesItTheCurrentDirectory) {
  TCDirectoryOutline* outline = NewOutline();
  outline->SetDirectory(root_ + "\\one");
  outline->Items(outline->SelectedItem()).Expand();
  const int two = outline->Items(outline->SelectedItem()).GetLastChild();
  outline->SetSelectedItem(two);  // scrolled into view; setting it changes nothing else
  EXPECT_EQ(Lower(CurrentDirectory()), Lower(root_ + "\\one"));
  changes_ = 0;
  const RECT text = outline->ItemTextRect(two);
  wintest::Click(outline->Handle(), text.left + 4, (text.top + text.bottom) / 2);
  EXPECT_EQ(Lower(CurrentDirectory()), Lower(root_ + "\\one\\two"));
  EXPECT_EQ(outline->Directory(), Lower(root_ + "\\one\\two"));
  EXPECT_EQ(changes_, 1);
  // The drive item means its root.
  outline->SetTopRow(0);
  const RECT drive = outline->ItemTextRect(1);
  wintest::Click(outline->Handle(), drive.left + 4, (drive.top + drive.bottom) / 2);
  EXPECT_EQ(Lower(CurrentDirectory()), "c:\\");
  EXPECT_EQ(outline->Directory(), "c:\\");
}

TEST_F(DirectoryOutlineTest, MissingPathsFailWithTheOutlinesErrors) {
  TCDirectoryOutline* outline = NewOutline();
  struct Row {
    const char* tail;
    bool walk;  // walked in the tree alone, else set as the directory
    const char* message;
  };
  const std::vector<Row> rows = {
      {"\\one\\missing", false, "Cannot change to "},  // the folder cannot be made current
      {"\\one\\missing", true, "Ungültige Auswahl"},   // the last name is not found
      {"\\missing\\deeper", true, "Gliederungsindex nicht gefunden"},
      {"\\one\\two\\three\\four", true, "Gliederungsindex nicht gefunden"},  // three has none
  };
  for (const Row& row : rows) {
    outline->SetDirectory(root_);
    changes_ = 0;
    try {
      if (row.walk) {
        outline->WalkTree(root_ + row.tail);
      } else {
        outline->SetDirectory(root_ + row.tail);
      }
      ADD_FAILURE() << row.tail << ": no error";
    } catch (const EOutlineError& error) {
      EXPECT_EQ(error.Message.substr(0, strlen(row.message)), row.message) << row.tail;
    }
    EXPECT_EQ(outline->Directory(), Lower(root_)) << row.tail;
    EXPECT_EQ(Lower(CurrentDirectory()), Lower(root_)) << row.tail;
    EXPECT_EQ(changes_, 0) << row.tail;
  }
}

TEST_F(DirectoryOutlineTest, FoldersInAnyScriptShowAsTheirNames) {
  TCDirectoryOutline* outline = NewOutline();
  // Two folders of one width in the code page: the Greek one becomes "???" there.
  const AnsiString greek = "ΩΩΩ";
  TScopeExit remove([this, greek] {
    SetCurrentDirectoryW(WidePath(saved_directory_).c_str());  // a current folder stays
    RemoveDirectoryW(WidePath(root_ + "\\" + greek).c_str());
    RemoveDirectoryW(WidePath(root_ + "\\aaa").c_str());
  });
  ASSERT_TRUE(CreateDirectoryW(WidePath(root_ + "\\" + greek).c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(WidePath(root_ + "\\aaa").c_str(), nullptr));
  outline->SetDirectory(root_ + "\\aaa");
  const int aaa = outline->SelectedItem();
  const int omegas = outline->Items(aaa).ParentNode()->GetLastChild();
  ASSERT_EQ(outline->Items(omegas).Text(), locale::LowerCaseFileName(greek));
  outline->SetSelectedItem(outline->Items(aaa).Parent());  // in view, and neither row selected
  outline->SetTopRow(outline->TopRow() + outline->ItemTextRect(aaa).top / outline->ItemHeight());
  wintest::Pump();
  const RECT shown = outline->ItemTextRect(omegas);
  ASSERT_GT(shown.right - shown.left, 4);
  // The Greek row as "???" would be drawn as a row of that text: it must not be.
  outline->Items(aaa).SetText("???");
  const RECT questions = outline->ItemTextRect(aaa);
  std::vector<COLORREF> greek_pixels, question_pixels;
  for (int y = 0; y < shown.bottom - shown.top; ++y) {
    for (int x = 0; x < questions.right - questions.left; ++x) {
      greek_pixels.push_back(wintest::PixelAt(outline->Handle(), shown.left + x, shown.top + y));
      question_pixels.push_back(
          wintest::PixelAt(outline->Handle(), questions.left + x, questions.top + y));
    }
  }
  EXPECT_NE(greek_pixels, question_pixels);
}

// ---------------------------------------------------------------------------------------------
// A made-up drive Q: through the seam.

class MadeUpDriveTest : public DirectoryOutlineTest {
 protected:
  void SetUp() override {
    DirectoryOutlineTest::SetUp();
    DirectoryServices().GetCurrentDirectory = [this](DWORD size, wchar_t* buffer) -> DWORD {
      const std::wstring current = WidePath(current_);
      if (current.size() >= size) return static_cast<DWORD>(current.size() + 1);
      std::copy(current.begin(), current.end(), buffer);
      buffer[current.size()] = L'\0';
      return static_cast<DWORD>(current.size());
    };
    DirectoryServices().SetCurrentDrive = [this](int drive) {
      if (drive == kNoMedium) return false;
      drives_.push_back(drive);
      current_ = AnsiString(1, static_cast<char>('A' + drive - 1)) + ":\\";
      return true;
    };
    DirectoryServices().SetCurrentDirectory = [this](const AnsiString& path) {
      if (closed_.count(path)) return false;
      current_ = path;
      return true;
    };
    DirectoryServices().FullPathName = [](const AnsiString& path) { return path; };
    DirectoryServices().FindEntries = [this](const AnsiString& pattern) {
      patterns_.push_back(pattern);
      return entries_[pattern];
    };
  }

  static constexpr int kNoMedium = 1;  // drive A: cannot be made current
  AnsiString current_ = "Q:\\";
  std::set<AnsiString> closed_;  // folders that cannot be made current
  std::vector<int> drives_;
  std::vector<AnsiString> patterns_;
  std::map<AnsiString, std::vector<TDirectoryEntry>> entries_;
};

TEST_F(MadeUpDriveTest, EachOpeningReadsTheLevelSortedAndKeepsTheFoldersThatStay) {
  entries_["Q:\\*.*"] = {{".", true}, {"..", true}, {"b", true},   {"A", true},
                         {"c", true}, {"d", false}, {".git", true}};
  entries_["Q:\\A\\*.*"] = {{"inner", true}};
  TCDirectoryOutline* outline = NewOutline();
  outline->SetTextCase(TTextCase::tcAsIs);
  EXPECT_EQ(outline->Items(1).Text(), "Q:");
  outline->Items(1).Expand();
  EXPECT_EQ(ChildTexts(outline, 1), (std::vector<AnsiString>{"A", "b", "c"}));
  EXPECT_EQ(outline->Items(1).Data(), TCDirectoryOutline::APointer);
  outline->Items(2).Expand();
  outline->SetSelectedItem(3);  // inner
  outline->Items(1).Collapse();
  entries_["Q:\\*.*"] = {{"new", true}, {"c", true}, {"A", true}, {"new", true}};
  outline->Items(1).Expand();
  EXPECT_EQ(ChildTexts(outline, 1), (std::vector<AnsiString>{"A", "c", "new"}));
  EXPECT_TRUE(outline->Items(2).Expanded()) << "a folder that stays keeps its state";
  EXPECT_EQ(ChildTexts(outline, 2), (std::vector<AnsiString>{"inner"}));
  EXPECT_EQ(outline->Items(outline->SelectedItem()).Text(), "Q:") << "the closing took it up";
  EXPECT_EQ(patterns_, (std::vector<AnsiString>{"Q:\\*.*", "Q:\\A\\*.*", "Q:\\*.*"}));
}

TEST(SortedFolderNames, ALevelIsSortedInTheLocalesOrderAndEqualNamesButForCaseInOneOrder) {
  struct Row {
    std::vector<AnsiString> folders;  // as the disk lists them
    TTextCase text_case;
    std::vector<AnsiString> level;
  };
  const AnsiString a_umlaut = "ä";
  const std::vector<Row> rows = {
      {{"Zebra", a_umlaut + "pfel", "Apfel"},
       TTextCase::tcLowerCase,
       {"apfel", a_umlaut + "pfel", "zebra"}},           // not after z, as the bytes would have it
      {{"b", "B", "b"}, TTextCase::tcAsIs, {"B", "b"}},  // one order for names equal but for case
      {{"B", "b"}, TTextCase::tcAsIs, {"B", "b"}},
  };
  for (const Row& row : rows) {
    std::vector<TDirectoryEntry> entries;
    for (const AnsiString& folder : row.folders) entries.push_back({folder, true});
    EXPECT_EQ(SortedFolderNames(entries, row.text_case), row.level) << row.folders.front();
  }
}

TEST_F(MadeUpDriveTest, ANetworkCurrentDirectoryShowsNothingUntilADriveIsSet) {
  struct Row {
    const char* name;
    std::function<TCDirectoryOutline*()> make;
    std::function<void(TCDirectoryOutline*)> set;
  };
  const std::vector<Row> rows = {
      {"a window, then a drive", [this] { return NewOutline(); },
       [](TCDirectoryOutline* outline) { outline->SetDrive('q'); }},
      {"a stored control, then a directory",
       [this] {
         auto* outline = new TCDirectoryOutline(form_);
         ReadComponentText(*outline, "object Outline1: TCDirectoryOutline\nend\n");
         return outline;
       },
       [](TCDirectoryOutline* outline) { outline->SetDirectory("Q:\\"); }},
  };
  for (const Row& row : rows) {
    current_ = "\\\\server\\share\\folder";
    TCDirectoryOutline* outline = nullptr;
    ASSERT_NO_THROW(outline = row.make()) << row.name;
    EXPECT_EQ(outline->ItemCount(), 0) << row.name;
    EXPECT_EQ(outline->Drive(), 0) << row.name;
    row.set(outline);
    EXPECT_EQ(outline->Drive(), 'Q') << row.name;
    EXPECT_EQ(outline->Directory(), "q:\\") << row.name;
    EXPECT_EQ(outline->Items(1).Text(), "q:") << row.name;
    EXPECT_EQ(outline->SelectedItem(), 1) << row.name;
    TObject::Free(outline);
  }
}

TEST_F(MadeUpDriveTest, ADriveOrFolderThatCannotBeMadeCurrentChangesNothing) {
  entries_["q:\\*.*"] = {{"one", true}, {"gone", true}};
  entries_["q:\\one\\*.*"] = {{"two", true}};
  closed_ = {"a:\\", "q:\\gone"};
  TCDirectoryOutline* outline = NewOutline();
  outline->SetDirectory("Q:\\one");
  const char drive = outline->Drive();
  wintest::ExceptionRecorder recorder;
  struct Row {
    const char* name;
    std::function<void()> action;
    std::vector<AnsiString> children;  // of the drive, after
  };
  const std::vector<Row> rows = {
      {"a drive with no medium", [outline] { outline->SetDrive('a'); }, {"gone", "one"}},
      {"a folder on it", [outline] { outline->SetDirectory("a:\\"); }, {"gone", "one"}},
      {"a folder that cannot be entered",
       [outline] { outline->SetDirectory("q:\\gone"); },
       {"gone", "one"}},
      {"a click on a folder that went since its level was read",
       [this, outline, &recorder] {
         entries_["q:\\*.*"] = {{"one", true}};
         outline->SetTopRow(0);
         const RECT text = outline->ItemTextRect(outline->Items(1).GetFirstChild());
         wintest::Click(outline->Handle(), text.left + 4, (text.top + text.bottom) / 2);
         if (!recorder.messages.empty()) throw EOutlineError(recorder.messages.front());
       },
       {"one"}},
  };
  for (const Row& row : rows) {
    changes_ = 0;
    EXPECT_THROW(row.action(), EOutlineError) << row.name;
    EXPECT_EQ(outline->Drive(), drive) << row.name;
    EXPECT_EQ(outline->Directory(), "q:\\one") << row.name;
    EXPECT_EQ(current_, "q:\\one") << row.name;
    EXPECT_EQ(ChildTexts(outline, 1), row.children) << row.name;
    EXPECT_EQ(outline->Items(outline->SelectedItem()).FullPath(), "q:\\one") << row.name;
    EXPECT_EQ(changes_, 0) << row.name;
  }
}

TEST_F(MadeUpDriveTest, SetDriveIgnoresNonLettersAndTheDriveShown) {
  TCDirectoryOutline* outline = NewOutline();
  struct Row {
    char drive;
    std::vector<int> drives;  // made current so far
    const char* top;
  };
  const std::vector<Row> rows = {
      {'1', {}, "q:"}, {'q', {}, "q:"},   {'Q', {}, "q:"},
      {'[', {}, "q:"}, {'r', {18}, "r:"}, {'Q', {18, 17}, "q:"},
  };
  for (const Row& row : rows) {
    outline->SetDrive(row.drive);
    EXPECT_EQ(drives_, row.drives) << row.drive;
    EXPECT_EQ(outline->Items(1).Text(), row.top) << row.drive;
  }
  EXPECT_EQ(TCDirectoryOutline::DriveToInt('c'), 2);
}

TEST_F(MadeUpDriveTest, CurDirGrowsItsBufferForALongPath) {
  current_ = "Q:\\" + AnsiString(300, 'x');
  EXPECT_EQ(TCDirectoryOutline::CurDir(), current_);
  DirectoryServices().GetCurrentDirectory = [](DWORD, wchar_t*) -> DWORD { return 0; };
  EXPECT_EQ(TCDirectoryOutline::CurDir(), "");
}

TEST_F(MadeUpDriveTest, StoredOptionsReadBackAsTheyWereWritten) {
  struct Row {
    TOutlineOptions options;
    bool written;
  };
  const std::vector<Row> rows = {{ooDrawFocusRect | ooStretchBitmaps, false},
                                 {ooDrawTreeRoot | ooDrawFocusRect, true}};
  for (const Row& row : rows) {
    TComponent owner(nullptr);
    auto* outline = new TCDirectoryOutline(&owner);
    outline->SetName("Outline1");
    outline->SetOptions(row.options);
    outline->SetAnchors(akLeft | akBottom);
    outline->SetDragMode(TDragMode::dmAutomatic);
    const AnsiString text = WriteComponentText(*outline);
    EXPECT_EQ(text.find("Options") != AnsiString::npos, row.written) << text;
    TComponent reader_owner(nullptr);
    auto* read = new TCDirectoryOutline(&reader_owner);
    ReadComponentText(*read, text);
    EXPECT_EQ(read->Options(), row.options) << text;
    EXPECT_EQ(read->Anchors(), TAnchors(akLeft | akBottom)) << text;
    EXPECT_EQ(read->DragMode(), TDragMode::dmAutomatic) << text;
  }
}

}  // namespace
