// The three system services the language catalogue needs, behind one small seam.
//
// The catalogue itself stays free of <windows.h>: it asks this interface for the executable's
// full path, for whole-file copies that overwrite, and for the request to end the program.
// SystemLanguagePlatform() holds the real calls of the system the program was built for
// (Platform_win.cpp or Platform_posix.cpp); a test builds its own instance, usually from the
// system one with some members replaced, to choose the executable's path or count calls.
#pragma once

#include <functional>

#include "framework/core/Sysutils.h"

struct TLanguagePlatform {
  // Full path of the running executable.
  std::function<AnsiString()> ExecutablePath;
  // Copies the whole file, replacing an existing destination. Answers whether it worked;
  // the catalogue does not look at the answer.
  std::function<bool(const AnsiString& source, const AnsiString& destination)> CopyFileOver;
  // Asks the application to end once its message loop runs; returns at once.
  std::function<void()> RequestTermination;
};

// The process-wide instance with the real system calls. The application replaces
// RequestTermination with its own before it creates the catalogue; the catalogue keeps a copy
// of the instance it was given.
TLanguagePlatform& SystemLanguagePlatform();
