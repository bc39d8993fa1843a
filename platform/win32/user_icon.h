#pragma once
// Icons from the program's embedded resources (":/icon/ID") and the system's
// icon sizes. User-interface thread only. The application module owns every
// icon loaded and frees them in its Term.

#ifdef _WIN32
#include <windows.h>
#else

#include "platform/win32/ui_types.h"

HICON LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags);
int GetSystemMetrics(int index);

#endif  // _WIN32
