#pragma once
// A modal message box with one OK button and no icon, owned by a window.
// User-interface thread only. While it is open, posted messages keep being
// handled; it closes by itself when its owner is destroyed.

#ifdef _WIN32
#include <windows.h>
#else

#include "platform/win32/ui_types.h"

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

#endif  // _WIN32
