#include "tests/support/recording_window.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr char kClassName[] = "VeltraRecordingWindow";

ATOM RegisterRecordingClass() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kClassName;
  return RegisterClassA(&windowClass);
}

}  // namespace

CRecordingWindow::CRecordingWindow() {
  static const ATOM registered = RegisterRecordingClass();
  (void)registered;
  m_hWnd = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  // Posts to a null handle would land in the thread's queue and pass for
  // the window's.
  if (m_hWnd == nullptr) throw std::runtime_error("the recording window could not be made");
}

CRecordingWindow::~CRecordingWindow() { DestroyWindow(m_hWnd); }

// Posts from one thread arrive in the order they were made, and a post made
// before this call is already in the queue.
void CRecordingWindow::TakeArrived() const {
  MSG msg{};
  while (PeekMessageA(&msg, m_hWnd, 0, 0, PM_REMOVE)) {
    if (msg.message >= WM_USER) m_messages.push_back({msg.message, msg.wParam, msg.lParam});
  }
}

std::vector<PostedMessage> CRecordingWindow::Messages() const {
  TakeArrived();
  return m_messages;
}

bool CRecordingWindow::HasMessage(UINT message) const {
  return std::any_of(m_messages.begin(), m_messages.end(),
                     [message](const PostedMessage& posted) { return posted.message == message; });
}

bool CRecordingWindow::WaitForMessage(UINT message, std::chrono::milliseconds timeout) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    TakeArrived();
    if (HasMessage(message)) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_POSTMESSAGE);
  }
}
