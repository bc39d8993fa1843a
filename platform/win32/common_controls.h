#pragma once
// The common controls' classes, made ready for the process's windows. On
// POSIX the controls need no set-up and this does nothing.

#include "platform/win32/ui_types.h"

#ifdef _WIN32
#include <commctrl.h>
#else

constexpr DWORD ICC_WIN95_CLASSES = 0x000000FF;
constexpr DWORD ICC_STANDARD_CLASSES = 0x00004000;

struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);

#endif  // _WIN32
