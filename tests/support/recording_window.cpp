#include "tests/support/recording_window.h"

#include <algorithm>

CRecordingWindow::CRecordingWindow() : m_hWnd(RegisterMessageTarget(this)) {}

CRecordingWindow::~CRecordingWindow() { UnregisterMessageTarget(m_hWnd); }

std::vector<PostedMessage> CRecordingWindow::Messages() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_messages;
}

std::vector<InvalidatedRect> CRecordingWindow::Invalidations() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_invalidations;
}

bool CRecordingWindow::HasMessage(UINT message) const {
  return std::any_of(m_messages.begin(), m_messages.end(),
                     [message](const PostedMessage& posted) { return posted.message == message; });
}

bool CRecordingWindow::WaitForMessage(UINT message, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(m_lock);
  return m_arrived.wait_for(lock, timeout, [&] { return HasMessage(message); });
}

void CRecordingWindow::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    m_messages.push_back(PostedMessage{message, wParam, lParam});
  }
  m_arrived.notify_all();
}

void CRecordingWindow::Invalidate(const RECT* rect, BOOL erase) {
  std::lock_guard<std::mutex> lock(m_lock);
  m_invalidations.push_back({rect == nullptr, rect ? *rect : RECT{0, 0, 0, 0}, erase});
}
