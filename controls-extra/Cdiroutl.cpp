#include "controls-extra/Cdiroutl.h"

#include <direct.h>

#include <algorithm>
#include <string_view>

#include "framework/win/Locale.h"
#include "framework/win/Platform.h"

namespace {

std::vector<TDirectoryEntry> FindEntries(const AnsiString& pattern) {
  std::vector<TDirectoryEntry> entries;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(WidePath(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  TScopeExit close([search] { FindClose(search); });
  do {
    entries.push_back({Utf8Path(found.cFileName, wcsnlen(found.cFileName, MAX_PATH)),
                       (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(search, &found));
  return entries;
}

AnsiString FullPathName(const AnsiString& path) {
  const std::wstring wide = WidePath(path);
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    if (length < full.size()) return Utf8Path(full.data(), length);
    full.resize(length);  // the size it needs, with the terminator
  }
}

constexpr size_t kCurDirBuffer = 256;

// The drive letter that a path begins with ("c:..."), upper-cased; 0 for a path on no drive.
char DriveLetterOf(const AnsiString& path) {
  if (path.size() < 2 || path[1] != ':') return 0;
  const char letter = AsciiUpperCase(path.substr(0, 1))[0];
  return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

[[noreturn]] void CannotChangeTo(const AnsiString& path) {
  throw EOutlineError(Format("Cannot change to %s", path.c_str()));
}

// The item's child of that name, ignoring case; -1 when there is none.
long ChildNamed(const TOutlineNode& node, const AnsiString& name) {
  const AnsiString wanted = locale::UpperCaseFileName(name);
  for (int position = 0; position < node.ChildCount(); ++position) {
    const TOutlineNode& child = node.ChildNode(position);
    if (locale::UpperCaseFileName(child.Text()) == wanted) return child.Index();
  }
  return -1;
}

}  // namespace

TDirectoryServices& DirectoryServices() {
  static TDirectoryServices services{
      FindEntries,
      [](DWORD size, wchar_t* buffer) { return GetCurrentDirectoryW(size, buffer); },
      [](const AnsiString& path) { return _wchdir(WidePath(path).c_str()) == 0; },
      [](int drive) { return _chdrive(drive) == 0; },
      FullPathName,
  };
  return services;
}

std::vector<AnsiString> SortedFolderNames(const std::vector<TDirectoryEntry>& entries,
                                          TTextCase text_case) {
  // Every name in one text, each ended by a 0, converted and cased at once, and the sort keys
  // in one more: a level of many thousand folders costs a few large allocations, not several
  // per name.
  AnsiString joined;
  for (const TDirectoryEntry& entry : entries) {
    if (!entry.Directory || entry.Name.empty() || entry.Name[0] == '.') continue;
    joined += entry.Name;
    joined += '\0';
  }
  std::wstring wide = WidePath(joined);
  const DWORD length = static_cast<DWORD>(wide.size());
  if (text_case == TTextCase::tcLowerCase && length) CharLowerBuffW(wide.data(), length);
  if (text_case == TTextCase::tcUpperCase && length) CharUpperBuffW(wide.data(), length);
  const std::u16string cased(wide.begin(), wide.end());

  struct TName {
    size_t At, Length;        // in `wide`
    size_t KeyAt, KeyLength;  // in `keys`
  };
  std::vector<TName> names;
  std::string keys;
  for (size_t at = 0; at < wide.size();) {
    const size_t end = wide.find(L'\0', at);
    const size_t key_at = keys.size();
    locale::AppendFileNameSortKey(std::wstring_view(wide.data() + at, end - at), keys);
    names.push_back({at, end - at, key_at, keys.size() - key_at});
    at = end + 1;
  }
  const auto text_of = [&wide](const TName& name) {
    return std::wstring_view(wide.data() + name.At, name.Length);
  };
  const auto key_of = [&keys](const TName& name) {
    return std::string_view(keys.data() + name.KeyAt, name.KeyLength);
  };
  // Names equal but for case keep one order, whatever order the disk lists them in; the same
  // name twice comes out side by side.
  std::sort(names.begin(), names.end(), [&](const TName& a, const TName& b) {
    const int order = key_of(a).compare(key_of(b));
    return order != 0 ? order < 0 : text_of(a) < text_of(b);
  });
  std::vector<AnsiString> texts;
  texts.reserve(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0 && text_of(names[i]) == text_of(names[i - 1])) continue;
    texts.push_back(Utf16ToUtf8(std::u16string_view(cased.data() + names[i].At, names[i].Length)));
  }
  return texts;
}

const TEnumInfo& EnumInfoOf(TTextCase) {
  static const TEnumInfo info{{"tcLowerCase", "tcUpperCase", "tcAsIs"}};
  return info;
}

void* const TCDirectoryOutline::APointer = const_cast<void**>(&TCDirectoryOutline::APointer);

const TClassInfo& TCDirectoryOutline::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TCDirectoryOutline>("TCDirectoryOutline", &TCustomOutline::StaticClassInfo())
          .Publish(kPublishBounds)
          .Publish({"Align", "Anchors", "BorderStyle", "Color", "Constraints", "Ctl3D",
                    "DragCursor", "DragMode", "Enabled", "Font", "ItemHeight"})
          // Stored against the set that construction makes, so that a stored outline reads
          // back as it was written.
          .Property(
              "Options", &TCustomOutline::Options, &TCustomOutline::SetOptions,
              SetOf(OutlineOptionNames(), ooDrawFocusRect | ooStretchBitmaps, "TOutlineOptions"))
          .Publish({"ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PictureClosed",
                    "PictureLeaf", "PictureOpen", "PopupMenu", "ScrollBars", "Style", "ShowHint"})
          .Publish(kPublishTabStop)
          .Publish({"Visible", "OnClick", "OnCollapse", "OnDblClick"})
          .Publish(kPublishDragEvents)
          .Publish({"OnDrawItem"})
          .Publish(kPublishDockEvents)
          .Publish(kPublishFocusEvents)
          .Publish({"OnExpand"})
          .Publish(kPublishKeyEvents)
          .Publish(kPublishMouseEvents)
          .Publish({"OnStartDock", "OnStartDrag"})
          .Property("TextCase", &TCDirectoryOutline::TextCase, &TCDirectoryOutline::SetTextCase,
                    Default(TTextCase::tcLowerCase))
          .Property("OnChange", &TCDirectoryOutline::OnChange, &TCDirectoryOutline::OnChange)
          .Build();
  return info;
}

TCDirectoryOutline::TCDirectoryOutline(TComponent* owner) : TCustomOutline(owner) {
  SetOutlineStyle(TOutlineStyle::osTreePictureText);
  SetOptions(ooDrawFocusRect | ooStretchBitmaps);
  SetPictureLeaf(PictureClosed());  // folders not yet opened look closed, not like files
  AssignCaseProc();
}

TCDirectoryOutline::~TCDirectoryOutline() = default;

void TCDirectoryOutline::AssignCaseProc() {
  switch (FTextCase) {
    case TTextCase::tcLowerCase:
      FCaseConverter = locale::LowerCaseFileName;
      break;
    case TTextCase::tcUpperCase:
      FCaseConverter = locale::UpperCaseFileName;
      break;
    case TTextCase::tcAsIs:
      FCaseConverter = nullptr;
      break;
  }
}

AnsiString TCDirectoryOutline::ForceCase(const AnsiString& name) const {
  return FCaseConverter ? FCaseConverter(name) : name;
}

AnsiString TCDirectoryOutline::CurDir() {
  const auto& get = DirectoryServices().GetCurrentDirectory;
  std::wstring buffer(kCurDirBuffer, L'\0');
  DWORD length = get(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length >= buffer.size()) {
    // Too long: the answer is the size it needs.
    buffer.resize(length);
    length = get(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) return AnsiString();
  }
  return Utf8Path(buffer.data(), length);
}

int TCDirectoryOutline::DriveToInt(char drive) {
  return static_cast<unsigned char>(AsciiUpperCase(AnsiString(1, drive))[0]) - 'A';
}

void TCDirectoryOutline::TakeCurrentDirectory() {
  const AnsiString current = ForceCase(CurDir());
  if (current.empty()) return;
  // A network share (\\server\share) lies on no drive.
  FDriveLetter = DriveLetterOf(current) ? current[0] : 0;
  FShownDirectory = current;
}

void TCDirectoryOutline::SetDrive(char drive) {
  const char letter = AsciiUpperCase(AnsiString(1, drive))[0];
  if (letter < 'A' || letter > 'Z') return;
  if (letter == AsciiUpperCase(AnsiString(1, FDriveLetter))[0]) return;
  if (!DirectoryServices().SetCurrentDrive(DriveToInt(letter) + 1)) {
    CannotChangeTo(AnsiString(1, letter) + ":");
  }
  ShowDrive(letter);
}

void TCDirectoryOutline::ShowDrive(char letter) {
  FDriveLetter = letter;
  FShownDirectory = ForceCase(CurDir());
  if (!IsLoading()) BuildTree();
}

void TCDirectoryOutline::SetDirectory(AnsiString new_directory) {
  if (new_directory.empty()) return;
  AnsiString path = ForceCase(DirectoryServices().FullPathName(new_directory));
  if (path.size() > 3 && path.back() == '\\') path.pop_back();
  if (path == FShownDirectory) return;
  // Nothing changes before the folder is current: one that is gone or closed to the user
  // must not look chosen.
  if (!DirectoryServices().SetCurrentDirectory(path)) CannotChangeTo(path);
  const char letter = DriveLetterOf(path);
  if (letter == 0) {
    FDriveLetter = 0;
    FShownDirectory = path;
    Clear();
    Change();
  } else if (letter == AsciiUpperCase(AnsiString(1, FDriveLetter))[0]) {
    FShownDirectory = path;
    WalkTree(path);
    Change();
  } else {
    ShowDrive(letter);  // the change made its drive current, at this folder
  }
}

void TCDirectoryOutline::SetTextCase(TTextCase value) {
  if (value == FTextCase) return;
  FTextCase = value;
  AssignCaseProc();
  if (value == TTextCase::tcAsIs) TakeCurrentDirectory();
  if (!IsLoading()) BuildTree();
}

void TCDirectoryOutline::BuildTree() {
  Clear();
  // A drive that nobody has named yet and the system cannot tell: nothing to show.
  if (FDriveLetter == 0) TakeCurrentDirectory();
  if (FDriveLetter == 0) return;
  AddChild(0, ForceCase(AnsiString(1, FDriveLetter) + ":"));
  WalkTree(FShownDirectory);
  Change();
}

void TCDirectoryOutline::BuildOneLevel(long item) {
  AnsiString pattern = Items(item).FullPath();
  if (pattern.empty() || pattern.back() != '\\') pattern += '\\';
  pattern += "*.*";
  const std::vector<AnsiString> names =
      SortedFolderNames(DirectoryServices().FindEntries(pattern), FTextCase);
  Items(item).SetData(APointer);
  SetChildTexts(item, names);
}

void TCDirectoryOutline::BuildSubTree(long item) {
  BuildOneLevel(item);
  const TOutlineNode& node = Items(item);
  for (int position = 0; position < node.ChildCount(); ++position) {
    BuildSubTree(node.ChildNode(position).Index());
  }
}

void TCDirectoryOutline::Expand(int index) {
  // Every opening reads the level: folders made or removed since show as they are now.
  BuildOneLevel(index);
  TCustomOutline::Expand(index);
}

long TCDirectoryOutline::GetChildNamed(const AnsiString& name, long item) {
  TOutlineNode& node = Items(item);
  if (!node.Expanded()) {
    node.Expand();
  } else if (ChildNamed(node, name) == -1) {
    BuildOneLevel(item);
  }
  Items(node.GetFirstChild());  // an item without children fails here
  return ChildNamed(node, name);
}

void TCDirectoryOutline::WalkTree(const AnsiString& path) {
  AnsiString rest = ForceCase(path);
  long current = 1;
  const size_t colon = rest.find(':');
  if (colon != AnsiString::npos) {
    rest.erase(0, colon + 1);
    if (!rest.empty() && rest[0] == '\\') rest.erase(0, 1);
  }
  while (!rest.empty()) {
    const size_t separator = rest.find('\\');
    const AnsiString name = rest.substr(0, separator);
    rest = separator == AnsiString::npos ? AnsiString() : rest.substr(separator + 1);
    current = GetChildNamed(name, current);
  }
  SetSelectedItem(current);
}

void TCDirectoryOutline::Click() {
  TCustomOutline::Click();
  const int clicked = SelectedItem();
  if (clicked <= 0) return;
  AnsiString path = Items(clicked).FullPath();
  // The drive item alone ("c:") would name the drive's current directory, not its root.
  if (!path.empty() && path.back() == ':') path += '\\';
  try {
    SetDirectory(path);
  } catch (const EOutlineError&) {
    // The folder's level is read again (a folder that went, goes) and the selection returns
    // to the directory that is still current.
    try {
      const int parent = Items(clicked).Parent();
      if (parent > 0) BuildOneLevel(parent);
      WalkTree(FShownDirectory);
    } catch (const EOutlineError&) {
    }
    throw;
  }
}

void TCDirectoryOutline::CreateWnd() {
  TCustomOutline::CreateWnd();
  if (FDriveLetter == 0) TakeCurrentDirectory();
  if (!IsLoading()) BuildTree();
}

void TCDirectoryOutline::Loaded() {
  TCustomOutline::Loaded();
  AssignCaseProc();
  BuildTree();
}

std::wstring TCDirectoryOutline::DisplayText(const TOutlineNode& node) const {
  return WidePath(node.Text());
}

namespace Cdiroutl {
void Register() {
  RegisterComponentClass(TCDirectoryOutline::StaticClassInfo());
}
}  // namespace Cdiroutl
