#pragma once
// A message-only window for tests: it records, in order, every message posted
// to it and every rectangle invalidated on it. Posts may come from any thread;
// the accessors return copies. Unregisters itself when destroyed.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/win32/message_target.h"

struct PostedMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const PostedMessage& other) const {
    return message == other.message && wParam == other.wParam && lParam == other.lParam;
  }
};

struct InvalidatedRect {
  bool whole;  // a null rectangle: the whole window
  RECT rect;
  BOOL erase;
};

class CRecordingWindow : public CMessageTarget {
 public:
  CRecordingWindow();
  ~CRecordingWindow() override;
  CRecordingWindow(const CRecordingWindow&) = delete;
  CRecordingWindow& operator=(const CRecordingWindow&) = delete;

  HWND m_hWnd;

  // Runs on the posting thread after the message is recorded.
  void SetOnPost(std::function<void(const PostedMessage&)> onPost);

  std::vector<PostedMessage> Messages() const;
  std::vector<InvalidatedRect> Invalidations() const;
  // True once a message with this number has been recorded (before or during
  // the wait).
  bool WaitForMessage(UINT message, std::chrono::milliseconds timeout) const;

  void Post(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Invalidate(const RECT* rect, BOOL erase) override;

 private:
  bool HasMessage(UINT message) const;

  mutable std::mutex m_lock;
  mutable std::condition_variable m_arrived;
  std::vector<PostedMessage> m_messages;
  std::vector<InvalidatedRect> m_invalidations;
  std::function<void(const PostedMessage&)> m_onPost;
};
