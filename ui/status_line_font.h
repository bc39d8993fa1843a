#pragma once
// The font of the status line: the dialog's own, the one its template names.
// A paint context starts with the system font, which is too wide for the
// status rectangle. User-interface thread.

#include "platform/win32/gdi.h"

// Selects the dialog's font into the context and returns the font it replaced,
// for SelectObject to put back; null when nothing was selected. The dialog
// keeps owning the font.
HGDIOBJ SelectStatusLineFont(HDC hdc, HWND dialog);
