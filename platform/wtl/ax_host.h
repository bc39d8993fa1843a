#pragma once
// The framework's ActiveX host window class, registered by AtlAxWinInit. A
// host window makes the control named by the class identifier in its text,
// hands it its persisted state, activates it in place and keeps it the size
// of the window; its site answers what a web browser control asks of it: the
// client site, the in-place site and frame, and IDocHostUIHandler, no more. A
// control that cannot be made leaves the window blank. User-interface thread
// only.

#include <windows.h>

#include <cstddef>

constexpr wchar_t kAxHostClassNameW[] = L"AtlAxWin";

// What a host window is made with (CreateWindowEx's last argument): the
// control's persisted state, or none.
struct CAxHostCreateData {
  const BYTE* state;
  std::size_t size;
};
