#include "framework/win/Platform.h"

void RaiseLastOSError(const char* what) {
  const DWORD error = GetLastError();
  AnsiString text;
  if (error != 0) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    if (length && buffer) text.assign(buffer, length);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
      text.pop_back();
    }
    if (text.empty()) text = Format("System error %lu", static_cast<unsigned long>(error));
  } else {
    // GDI often fails without setting an error code.
    text = "Out of system resources";
  }
  throw EOutOfResources(Format("%s: %s", what, text.c_str()));
}

AnsiString ModulePath() {
  // GetModuleFileNameA cuts the path short, without an error on older systems, when the
  // buffer is too small: grow it until the answer leaves room to spare.
  AnsiString path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return AnsiString();
    if (length < path.size() - 1) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}
