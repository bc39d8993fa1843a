#include "platform/win32/message_loop.h"

namespace {

// Pointer moves, paints and the system timer come too often to be worth an
// idle round each.
bool IsIdleMessage(const MSG& msg) {
  switch (msg.message) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_PAINT:
    case 0x0118:  // WM_SYSTIMER
      return false;
    default:
      return true;
  }
}

}  // namespace

int CMessageLoop::Run() {
  bool idle = true;
  int idleCount = 0;
  for (;;) {
    while (idle && !::PeekMessageA(&m_msg, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idleCount++)) idle = false;
    }
    const BOOL got = ::GetMessageA(&m_msg, nullptr, 0, 0);
    if (got == -1) continue;
    if (!got) break;
    if (!PreTranslateMessage(&m_msg)) {
      ::TranslateMessage(&m_msg);
      ::DispatchMessageA(&m_msg);
    }
    if (IsIdleMessage(m_msg)) {
      idle = true;
      idleCount = 0;
    }
  }
  return static_cast<int>(m_msg.wParam);
}
