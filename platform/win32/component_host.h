#pragma once
// The hosting of components for the whole process: CoInitialize prepares the
// process for the embedded web engine (it must come before the application
// module makes the Qt application), AtlAxWinInit makes the web browser class
// available to dialog templates. Main thread only. Without them, dialogs host
// a blank control in the browser's place.

#include "platform/win32/ui_types.h"

HRESULT CoInitialize(void* reserved);
void CoUninitialize();
// FALSE when the web engine cannot run here (its helper program is missing);
// the browser class then stays a blank host.
BOOL AtlAxWinInit();

// The web browser's class identifier in dialog templates.
extern const char kWebBrowserClassId[];
