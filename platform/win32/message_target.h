#pragma once
// Posting to a window and asking it to repaint, from any thread. A post or
// repaint request for a handle that names no live window fails and is lost.

#ifdef _WIN32
#include <windows.h>
#else

#include "platform/win32/windows_types.h"

BOOL IsWindow(HWND window);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// rect null means the whole window.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);

#endif  // _WIN32
