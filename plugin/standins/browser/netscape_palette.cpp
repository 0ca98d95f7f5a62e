// Stands in for the browser's own module "NETSCAPE.EXE" in the tests: a
// library of that name with the optional export GetApplicationPalette.
#include <windows.h>

extern "C" DWORD WINAPI GetApplicationPalette() { return 0x00C0FFEE; }
