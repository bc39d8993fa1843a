#include "platform/win32/common_controls.h"

// The layer's controls are Qt widgets, ready as soon as Qt is.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
  return controls != nullptr && controls->dwSize == sizeof *controls ? TRUE : FALSE;
}
