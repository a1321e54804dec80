// Win32 side of the catalogue's system services.
#include <windows.h>

#include "lang/Platform.h"

namespace {

AnsiString ModuleFileName() {
  // GetModuleFileNameA truncates silently when the buffer is too small; grow until it fits.
  AnsiString path(MAX_PATH, '\0');
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return AnsiString();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

TLanguagePlatform& SystemLanguagePlatform() {
  static TLanguagePlatform platform{
      ModuleFileName,
      [](const AnsiString& source, const AnsiString& destination) {
        return CopyFileA(source.c_str(), destination.c_str(), FALSE) != 0;
      },
      [] { PostQuitMessage(0); },
  };
  return platform;
}
