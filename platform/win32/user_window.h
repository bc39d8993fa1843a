#pragma once
// Window services by handle. User-interface thread only; a handle that names
// no live window makes each call fail without effect.

#include "platform/win32/ui_types.h"

#ifndef _WIN32

// Returns whether the window was visible before.
BOOL ShowWindow(HWND window, int command);
BOOL DestroyWindow(HWND window);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
// Screen coordinates.
BOOL GetWindowRect(HWND window, RECT* rect);
// GWL_STYLE and GWL_EXSTYLE; returns the previous value.
LONG SetWindowLongA(HWND window, int index, LONG value);
LONG GetWindowLongA(HWND window, int index);
BOOL SetWindowTextW(HWND window, LPCWSTR text);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HWND GetDlgItem(HWND dialog, int id);
// The window takes the region over: the caller must not use or delete it.
int SetWindowRgn(HWND window, HRGN region, BOOL redraw);

#endif  // _WIN32

// The framework's, on Windows too: centres a top-level window on the work area of the screen
// nearest to it and keeps it inside that area; size and stacking stay.
BOOL CenterWindow(HWND window);
