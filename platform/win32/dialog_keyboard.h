#pragma once
// The dialog keyboard rules: Enter becomes the IDOK command and Escape the
// IDCANCEL command of the dialog. User-interface thread only.

#ifdef _WIN32
#include <windows.h>
#else

#include "platform/win32/ui_types.h"

// TRUE when the message was a dialog key of this dialog and has been handled;
// keys inside a hosted component stay with the component.
BOOL IsDialogMessageA(HWND dialog, MSG* msg);

#endif  // _WIN32
