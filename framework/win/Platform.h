// Platform: small services of the system that every layer above needs.
#pragma once

#include <windows.h>

#include "framework/core/Sysutils.h"

// Raises EOutOfResources with the system's text for the last error: "<what>: <system text>".
[[noreturn]] void RaiseLastOSError(const char* what);

// The running program's full path, however long (GetModuleFileNameA, grown until it fits);
// the empty text when the system cannot tell.
AnsiString ModulePath();
