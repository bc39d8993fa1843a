#pragma once
// The hosting of components for the whole process. CoInitialize readies the
// thread for them (on POSIX it prepares the embedded web engine, before the
// application module makes the Qt application); AtlAxWinInit makes the
// framework's host window class available to dialog templates, whose items
// of a class-identifier class it then hosts. Main thread only. Without them,
// dialogs host a blank control in the browser's place.

#include "platform/win32/ui_types.h"

#ifdef _WIN32
#include <objbase.h>
#else

HRESULT CoInitialize(void* reserved);
void CoUninitialize();

#endif  // _WIN32

// FALSE when no web browser can be hosted here (on POSIX, the web engine's
// helper program is missing); the browser's item then stays a blank host.
BOOL AtlAxWinInit();

// The web browser's class identifier in dialog templates.
inline constexpr char kWebBrowserClassId[] = "{8856F961-340A-11D0-A96B-00C04FD705A2}";
