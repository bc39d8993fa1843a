#pragma once
// The program's entry point is Windows' GUI entry, WinMain. On Windows the C
// runtime calls it; on POSIX the platform layer's main does, with the
// command line and the default show command.

#include "platform/win32/ui_types.h"

#ifdef _WIN32
#include <windows.h>
#else

#define WINAPI

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

#endif  // _WIN32
