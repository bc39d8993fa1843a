#include "platform/win32/user_window.h"

// Centred on the work area of the monitor nearest to the window, then pushed
// back inside it where it sticks out: first from the right or bottom edge,
// then from the left or top.
BOOL CenterWindow(HWND window) {
  RECT place{};
  if (!GetWindowRect(window, &place)) return FALSE;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return FALSE;
  const RECT& area = monitor.rcWork;
  const LONG width = place.right - place.left;
  const LONG height = place.bottom - place.top;
  LONG left = (area.left + area.right - width) / 2;
  LONG top = (area.top + area.bottom - height) / 2;
  if (left + width > area.right) left = area.right - width;
  if (top + height > area.bottom) top = area.bottom - height;
  if (left < area.left) left = area.left;
  if (top < area.top) top = area.top;
  return SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
