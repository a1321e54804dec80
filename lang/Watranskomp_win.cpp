// Win32 side of the catalogue's system services. Paths are UTF-8 and go to the wide calls.
#include <windows.h>

#include "framework/win/Platform.h"
#include "lang/Watranskomp.h"

namespace {

bool CopyOver(const AnsiString& source, const AnsiString& destination) {
  const std::wstring target = WidePath(destination);
  // The copy takes over the source's attributes, so a read-only language file would leave a
  // read-only "def" behind that no later copy could replace.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  return CopyFileW(WidePath(source).c_str(), target.c_str(), FALSE) != 0;
}

}  // namespace

TLanguageServices& LanguageServices() {
  static TLanguageServices services{
      ModulePath,
      CopyOver,
      [] { PostQuitMessage(0); },
  };
  return services;
}
