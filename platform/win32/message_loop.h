#pragma once
// The message loop of the user-interface thread: Windows' own loop, or on
// POSIX Qt's event loop. Every posted message and every key press for a
// dialog is offered to the message filters, the one added last first; idle
// handlers run once the queue has run dry after a message that calls for it.
// User-interface thread only.

#include <vector>

#include "platform/win32/ui_types.h"

class CMessageFilter {
 public:
  virtual ~CMessageFilter() = default;
  // TRUE when the message was consumed.
  virtual BOOL PreTranslateMessage(MSG* msg) = 0;
};

class CIdleHandler {
 public:
  virtual ~CIdleHandler() = default;
  virtual BOOL OnIdle() = 0;
};

class CMessageLoop {
 public:
  BOOL AddMessageFilter(CMessageFilter* filter);
  BOOL RemoveMessageFilter(CMessageFilter* filter);
  BOOL AddIdleHandler(CIdleHandler* handler);
  BOOL RemoveIdleHandler(CIdleHandler* handler);

  // Returns the code given to PostQuitMessage; at once when one was posted
  // before the loop started.
  int Run();

  virtual ~CMessageLoop() = default;
  virtual BOOL PreTranslateMessage(MSG* msg);
  // Calls every idle handler once, in the order they were added.
  virtual BOOL OnIdle(int idleCount);

  MSG m_msg{};

 private:
  std::vector<CMessageFilter*> m_filters;
  std::vector<CIdleHandler*> m_idleHandlers;
};

#ifndef _WIN32
// Ends the innermost running message loop of this thread with the code, or
// the next one to run.
void PostQuitMessage(int exitCode);
#endif
