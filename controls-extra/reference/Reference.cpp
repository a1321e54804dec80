// Writes the reference of the controls from their type information, or checks that the
// committed pages are what it would write. Run under the cross build's emulator:
//
//   Reference.exe SOURCE_DIR OUT_DIR                         writes every page into OUT_DIR
//   Reference.exe SOURCE_DIR OUT_DIR --compare COMMITTED_DIR writes, then names each page of
//                                                            COMMITTED_DIR that differs
//
// The headers' opening comments are read from SOURCE_DIR; the classes are this program's own.
#include <windows.h>

#include <cstdio>
#include <map>

#include "controls-extra/Ccalendr.h"
#include "controls-extra/Cdiroutl.h"
#include "controls-extra/Cgauges.h"
#include "controls-extra/Cgrid.h"
#include "controls-extra/Perfgrap.h"
#include "controls-extra/Tflatcomboboxunit.h"
#include "controls-extra/reference/Refpages.h"
#include "framework/core/Streams.h"
#include "framework/win/Buttons.h"
#include "framework/win/ComCtrls.h"
#include "framework/win/Dialogs.h"
#include "framework/win/ExtCtrls.h"
#include "framework/win/Forms.h"
#include "framework/win/Grids.h"
#include "framework/win/Menus.h"
#include "framework/win/Platform.h"
#include "framework/win/StdCtrls.h"
#include "framework/win/Timer.h"

namespace {

// The folders whose headers declare the documented classes.
const char* const kHeaderFolders[] = {"controls-extra", "framework/win"};
const char* const kRegenerate = "cmake --build build/win32 --target reference";

std::vector<TReferenceGroup> Groups() {
  return {
      {"The library",
       {{&TPerformanceGraph::StaticClassInfo()},
        {&TCGauge::StaticClassInfo()},
        {&TCColorGrid::StaticClassInfo()},
        {&TCCalendar::StaticClassInfo()},
        {&TFlatComboBox::StaticClassInfo()},
        {&TCDirectoryOutline::StaticClassInfo()}}},
      {"The framework's standard controls",
       {{&TForm::StaticClassInfo()},
        {&TLabel::StaticClassInfo()},
        {&TButton::StaticClassInfo()},
        {&TCheckBox::StaticClassInfo()},
        {&TRadioButton::StaticClassInfo()},
        {&TEdit::StaticClassInfo()},
        {&TComboBox::StaticClassInfo()},
        {&TSpeedButton::StaticClassInfo()},
        {&TBevel::StaticClassInfo()},
        {&TImage::StaticClassInfo()},
        {&TPanel::StaticClassInfo()},
        {&TDrawGrid::StaticClassInfo()},
        {&TDateTimePicker::StaticClassInfo()},
        {&TTimer::StaticClassInfo()},
        {&TPopupMenu::StaticClassInfo()},
        {&TMenuItem::StaticClassInfo()},
        {&TOpenDialog::StaticClassInfo()}}},
  };
}

// The file's bytes; nothing where there is no such file.
std::optional<AnsiString> FileText(const AnsiString& path) {
  if (!FileExists(path)) return std::nullopt;
  TMemoryStream stream;
  stream.LoadFromFile(path);
  return AnsiString(reinterpret_cast<const char*>(stream.Memory()), stream.Bytes().size());
}

// The names of the files in `folder` that end with `suffix`.
std::vector<AnsiString> FilesIn(const AnsiString& folder, const AnsiString& suffix) {
  std::vector<AnsiString> names;
  for (const TDirectoryEntry& entry : DirectoryServices().FindEntries(folder + "/*" + suffix)) {
    if (!entry.Directory) names.push_back(entry.Name);
  }
  return names;
}

// Fills in each class's header and its opening comment.
void FindHeaders(const AnsiString& source, std::vector<TReferenceGroup>& groups) {
  std::vector<std::pair<AnsiString, AnsiString>> headers;  // tree path, text
  for (const char* folder : kHeaderFolders) {
    for (const AnsiString& name : FilesIn(source + "/" + folder, ".h")) {
      const AnsiString path = AnsiString(folder) + "/" + name;
      if (auto text = FileText(source + "/" + path)) headers.emplace_back(path, *text);
    }
  }
  for (TReferenceGroup& group : groups) {
    for (TReferenceClass& page : group.Classes) {
      for (const auto& [path, text] : headers) {
        if (DeclaresClass(text, page.Info->Name)) {
          page.Header = path;
          page.Opening = OpeningComment(text);
          break;
        }
      }
      if (page.Header.empty()) {
        throw Exception(
            Format("No header under %s declares %s", source.c_str(), page.Info->Name.c_str()));
      }
    }
  }
}

std::map<AnsiString, AnsiString> MakePages(const AnsiString& source) {
  std::vector<TReferenceGroup> groups = Groups();
  FindHeaders(source, groups);
  std::map<AnsiString, AnsiString> pages;
  auto documented = [&](const AnsiString& name) {
    for (const TReferenceGroup& group : groups) {
      for (const TReferenceClass& page : group.Classes) {
        if (page.Info->Name == name) return true;
      }
    }
    return false;
  };
  for (const TReferenceGroup& group : groups) {
    for (const TReferenceClass& page : group.Classes) {
      pages[page.Info->Name + ".md"] = ClassPage(page, documented);
    }
  }
  pages["index.md"] = IndexPage(groups);
  return pages;
}

void WritePages(const std::map<AnsiString, AnsiString>& pages, const AnsiString& folder) {
  CreateDirectoryW(WidePath(folder).c_str(), nullptr);
  for (const auto& [name, text] : pages) {
    std::FILE* file = OpenFile(folder + "/" + name, "wb");
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file && std::fclose(file) != 0) throw EWriteError("Cannot write " + folder + "/" + name);
    if (!written) throw EWriteError("Cannot write " + folder + "/" + name);
  }
}

// The first line where two texts part, for the message.
AnsiString FirstDifference(const AnsiString& made, const AnsiString& committed) {
  size_t start = 0;
  int line = 1;
  for (;;) {
    const size_t made_end = std::min(made.find('\n', start), made.size());
    const size_t committed_end = std::min(committed.find('\n', start), committed.size());
    const AnsiString a = made.substr(start, made_end - start);
    const AnsiString b =
        start < committed.size() ? committed.substr(start, committed_end - start) : AnsiString();
    if (a != b || made_end != committed_end) {
      return Format("line %d is now\n    %s\n  but the committed page has\n    %s", line, a.c_str(),
                    b.c_str());
    }
    if (made_end >= made.size()) return Format("the committed page goes on after line %d", line);
    start = made_end + 1;
    ++line;
  }
}

// Prints what differs; true when nothing does.
bool Compare(const std::map<AnsiString, AnsiString>& pages, const AnsiString& committed) {
  bool same = true;
  for (const auto& [name, text] : pages) {
    const std::optional<AnsiString> old = FileText(committed + "/" + name);
    if (!old) {
      std::printf("%s is missing from %s\n", name.c_str(), committed.c_str());
      same = false;
    } else if (*old != text) {
      std::printf("%s differs from the classes: %s\n", name.c_str(),
                  FirstDifference(text, *old).c_str());
      same = false;
    }
  }
  for (const AnsiString& name : FilesIn(committed, ".md")) {
    if (!pages.count(name)) {
      std::printf("%s documents no class any more\n", name.c_str());
      same = false;
    }
  }
  if (!same) std::printf("The reference is out of date. Regenerate it with: %s\n", kRegenerate);
  return same;
}

}  // namespace

int main(int argc, char** argv) {
  const bool compare = argc == 5 && AnsiString(argv[3]) == "--compare";
  if (argc != 3 && !compare) {
    std::fprintf(stderr, "usage: Reference SOURCE_DIR OUT_DIR [--compare COMMITTED_DIR]\n");
    return 2;
  }
  try {
    const std::map<AnsiString, AnsiString> pages = MakePages(argv[1]);
    WritePages(pages, argv[2]);
    if (compare) return Compare(pages, argv[4]) ? 0 : 1;
    std::printf("%u pages written to %s\n", static_cast<unsigned>(pages.size()), argv[2]);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Reference: %s\n", error.what());
    return 1;
  }
}
