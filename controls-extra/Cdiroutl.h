// Cdiroutl: TCDirectoryOutline, the folder tree of one drive as an outline. The drive ("c:") is
// the top item and the folders hang below it, each level read from the file system only when
// its item is first expanded, kept sorted ignoring case and shown lower-cased, upper-cased or
// as stored. A click makes the chosen folder the process's current directory; setting Directory
// or Drive walks the tree down to the folder, opening the levels on the way, and selects it.
//
// Folder names are UTF-8 like every file name of the program: the items hold them so, full paths
// are built from them, and the rows show them through the wide calls, in any script.
//
// Only a path that begins with a drive letter (A to Z) has a tree here. While the current
// directory is elsewhere (a network share), Drive is 0 and the outline shows nothing; a drive
// or a directory set then brings the tree back. A drive or folder that cannot be made current
// raises EOutlineError and changes nothing.
//
// The file system is reached through DirectoryServices(), which tests replace member by member.
//
// Ownership: the items belong to the outline; APointer marks a level as read and owns nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/win/Outline.h"

struct TDirectoryEntry {
  AnsiString Name;  // UTF-8
  bool Directory = false;
};

// The file-system calls of the directory outline. Paths are UTF-8.
struct TDirectoryServices {
  // The entries that match a pattern such as "c:\windows\*.*" (FindFirstFileW, FindNextFileW,
  // FindClose); none when the folder cannot be listed.
  std::function<std::vector<TDirectoryEntry>(const AnsiString& pattern)> FindEntries;
  // GetCurrentDirectoryW into a buffer of `size` characters: the length written, or the size
  // needed when it does not fit, or 0 on failure.
  std::function<DWORD(DWORD size, wchar_t* buffer)> GetCurrentDirectory;
  // Changes the current directory, and the drive's own remembered one (_wchdir); false when
  // it cannot.
  std::function<bool(const AnsiString& path)> SetCurrentDirectory;
  // Makes a drive current, at the directory it remembers (_chdrive, A = 1); false when it
  // cannot (no such drive, no medium in it).
  std::function<bool(int drive)> SetCurrentDrive;
  // The fully expanded path (GetFullPathNameW); the path itself when the system cannot expand it.
  std::function<AnsiString(const AnsiString& path)> FullPathName;
};
// The process-wide instance, starting with the real calls.
TDirectoryServices& DirectoryServices();

enum class TTextCase { tcLowerCase, tcUpperCase, tcAsIs };
const TEnumInfo& EnumInfoOf(TTextCase);

// The names of the folders among `entries` that do not begin with ".", cased as the outline
// cases them, each once, sorted ignoring case in the user's locale (equal names but for case
// in one fixed order): one level of the outline.
std::vector<AnsiString> SortedFolderNames(const std::vector<TDirectoryEntry>& entries,
                                          TTextCase text_case);

class TCDirectoryOutline : public TCustomOutline {
  DECLARE_CLASS_INFO()
 public:
  explicit TCDirectoryOutline(TComponent* owner);
  ~TCDirectoryOutline() override;

  void Loaded() override;

  // The process's current directory; empty when the system cannot tell.
  static AnsiString CurDir();
  // The letter's place in the alphabet: A (or a) is 0.
  static int DriveToInt(char drive);
  AnsiString ForceCase(const AnsiString& name) const;

  const AnsiString& Directory() const { return FShownDirectory; }
  // Makes the folder current and walks the tree down to it.
  void SetDirectory(AnsiString new_directory);
  char Drive() const { return FDriveLetter; }
  // Letters outside A to Z and the drive shown already, in either case, change nothing.
  void SetDrive(char drive);
  TTextCase TextCase() const { return FTextCase; }
  void SetTextCase(TTextCase value);

  // Reads the folders below an item into its children, sorted ignoring case. Read again, the
  // level follows the disk: folders that stay keep their state, the others come and go.
  virtual void BuildOneLevel(long item);
  // Empties the outline, adds the drive and walks down to the shown directory.
  virtual void BuildTree();
  // Reads every level below an item at once.
  virtual void BuildSubTree(long item);
  // Opens the item and answers the index of its child of that name (ignoring case), or -1.
  // An open level that lacks the name is read again first: the folder may be new. An item
  // without children raises "Gliederungsindex nicht gefunden".
  long GetChildNamed(const AnsiString& name, long item);
  // Opens the tree down to a path of this drive and selects its last folder.
  void WalkTree(const AnsiString& path);

  TNotifyEvent OnChange;

  // Marks an item whose level has been read; points at itself.
  static void* const APointer;

 protected:
  void CreateWnd() override;
  virtual void Change() { OnChange(this); }
  void Click() override;
  void Expand(int index) override;
  std::wstring DisplayText(const TOutlineNode& node) const override;

 private:
  using TCaseConverter = AnsiString (*)(const AnsiString&);
  void AssignCaseProc();
  // Drive and directory from the process's current directory, when it can tell; no drive
  // when it lies on none.
  void TakeCurrentDirectory();
  // Shows the directory of this drive, read from the process's current directory.
  void ShowDrive(char letter);

  char FDriveLetter = 0;
  AnsiString FShownDirectory;
  TTextCase FTextCase = TTextCase::tcLowerCase;
  TCaseConverter FCaseConverter = nullptr;
};

namespace Cdiroutl {
// Makes TCDirectoryOutline known to form descriptions by its class name.
void Register();
}  // namespace Cdiroutl
