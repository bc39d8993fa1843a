#pragma once
// The table of live windows of the POSIX layer. A window handle names one
// registered target; a post or repaint request for a handle that is not (or
// no longer) in the table fails and is lost, as on Windows. Every function
// here may be called from any thread. The table does not own its targets.

#include "platform/win32/message_target.h"

class CMessageTarget {
 public:
  virtual ~CMessageTarget() = default;
  // Called on the posting thread with the table's read lock held: queue the
  // message for the window's own thread and return at once, keeping order.
  virtual void Post(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Same rules as Post; rect null means the whole window.
  virtual void Invalidate(const RECT* rect, BOOL erase) = 0;
};

// Handles are never reused, so a stale handle keeps failing. The kind says
// what sort of target the handle holds, so that the layer which made it can
// find it again by handle without guessing its type; 0 is no kind.
HWND RegisterMessageTarget(CMessageTarget* target, int kind = 0);
// The target registered for the handle with this kind, or null. The table
// keeps no hold on it: use it only on a thread that keeps it registered
// meanwhile, such as the one that unregisters it.
CMessageTarget* FindMessageTarget(HWND window, int kind);
// When this returns, no call into the target is running or will start.
void UnregisterMessageTarget(HWND window);
