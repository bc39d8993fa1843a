#pragma once
// The table of live windows. A window handle names one registered target; a
// post or repaint request for a handle that is not (or no longer) in the table
// fails and is lost, as on Windows. Every function here may be called from any
// thread. The table does not own its targets.

#include "platform/win32/windows_types.h"

class CMessageTarget {
 public:
  virtual ~CMessageTarget() = default;
  // Called on the posting thread with the table's read lock held: queue the
  // message for the window's own thread and return at once, keeping order.
  virtual void Post(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Same rules as Post; rect null means the whole window.
  virtual void Invalidate(const RECT* rect, BOOL erase) = 0;
};

// Handles are never reused, so a stale handle keeps failing.
HWND RegisterMessageTarget(CMessageTarget* target);
// When this returns, no call into the target is running or will start.
void UnregisterMessageTarget(HWND window);

BOOL IsWindow(HWND window);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
