#pragma once
// A modal message box with one OK button and no icon, owned by a window.
// User-interface thread only. While it is open, posted messages keep being
// handled; it closes by itself when its owner is destroyed. Texts are
// Windows-1254.

#include "platform/win32/ui_types.h"

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
