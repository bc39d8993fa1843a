#pragma once
// Narrow text to UTF-16 and back by code page. The program's own texts are
// Windows-1254; the screen takes UTF-16, whatever the system's ANSI code page;
// paths are UTF-8 inside the program (see utf8_path.h). Any thread.

#include "platform/win32/windows_types.h"

// The code page of the program's texts.
constexpr UINT kTextCodePage = 1254;

#ifdef _WIN32
#include <windows.h>
#else

// The ANSI code page; on POSIX it is the program's own, 1254.
constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

// As on Windows: a length of -1 converts up to and with the terminating zero;
// with wideLength 0 only the length needed is returned. Returns 0 for a code
// page other than 1254, CP_ACP or CP_UTF8. A 1254 byte that has no letter
// becomes the control character of its own value, as Windows reads it; a
// byte that is not part of UTF-8 becomes U+FFFD.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR wide,
                        int wideLength);

// UTF-16 to UTF-8 only (any other code page returns 0), with the length
// rules above; a lone surrogate becomes U+FFFD. defaultChar and usedDefault
// must be null, as Windows asks for UTF-8.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR text,
                        int length, LPCSTR defaultChar, BOOL* usedDefault);

#endif  // _WIN32
