#pragma once
// Narrow text to UTF-16 by code page. The program's own texts are
// Windows-1254; the screen takes UTF-16, whatever the system's ANSI code page.
// Any thread.

#include "platform/win32/windows_types.h"

// The code page of the program's texts.
constexpr UINT kTextCodePage = 1254;

#ifdef _WIN32
#include <windows.h>
#else

// The ANSI code page; on POSIX it is the program's own, 1254.
constexpr UINT CP_ACP = 0;

// As on Windows: a length of -1 converts up to and with the terminating zero;
// with wideLength 0 only the length needed is returned. Returns 0 for a code
// page other than 1254 or CP_ACP. Bytes with no character become U+FFFD.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide,
                        int wideLength);

#endif  // _WIN32
