// Win32 side of the catalogue's system services. Paths are UTF-8 and go to the wide calls.
#include <windows.h>

#include "framework/win/Platform.h"
#include "lang/Platform.h"

namespace {

bool CopyOver(const AnsiString& source, const AnsiString& destination) {
  return CopyFileW(WidePath(source).c_str(), WidePath(destination).c_str(), FALSE) != 0;
}

}  // namespace

TLanguagePlatform& SystemLanguagePlatform() {
  static TLanguagePlatform platform{
      ModulePath,
      CopyOver,
      [] { PostQuitMessage(0); },
  };
  return platform;
}
