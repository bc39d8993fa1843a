#pragma once
// System cursors. User-interface thread only. SetCursor applies to the window
// whose pointer message is being handled; the window puts the arrow back on
// the next pointer move, as the dialog class does.

#ifdef _WIN32
#include <windows.h>
#else

#include "platform/win32/ui_types.h"

// Only system cursors exist: the instance must be null.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);

#endif  // _WIN32
