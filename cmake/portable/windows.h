// Found instead of the system's <windows.h> by the portable code, which must build without it
// (natively, under the sanitizers and the fuzzer).
#error "Portable code does not include <windows.h>: move this to the unit's Win32 half"
