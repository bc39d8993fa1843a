#pragma once
// A window for tests that records, in order, every message posted to it.
// Posts may come from any thread; the accessors return copies.
//
// On POSIX it is an entry of the layer's window table: a post is recorded at
// once, on the posting thread, and repaint requests are recorded too. On
// Windows it is a hidden window of the thread that made it: the accessors
// take what has arrived in that thread's queue, so only that thread may call
// them, and the system keeps no repaint requests for a hidden window.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/win32/windows_types.h"
#ifndef _WIN32
#include "platform/kernel/window_table.h"
#endif

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

#ifdef _WIN32

class CRecordingWindow {
 public:
  CRecordingWindow();
  ~CRecordingWindow();
  CRecordingWindow(const CRecordingWindow&) = delete;
  CRecordingWindow& operator=(const CRecordingWindow&) = delete;

  HWND m_hWnd;

  std::vector<PostedMessage> Messages() const;
  // True once a message with this number has arrived (before or during the
  // wait).
  bool WaitForMessage(UINT message, std::chrono::milliseconds timeout) const;

 private:
  void TakeArrived() const;
  bool HasMessage(UINT message) const;

  mutable std::vector<PostedMessage> m_messages;
};

#else

class CRecordingWindow : public CMessageTarget {
 public:
  CRecordingWindow();
  ~CRecordingWindow() override;
  CRecordingWindow(const CRecordingWindow&) = delete;
  CRecordingWindow& operator=(const CRecordingWindow&) = delete;

  HWND m_hWnd;

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
};

#endif  // _WIN32
