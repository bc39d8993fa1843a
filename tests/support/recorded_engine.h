#pragma once
// A download engine as the window would run it, reporting to a recording
// window and stopped through an event of its own. Shared by the tests and the
// benchmarks.

#include "engine/download_engine.h"
#include "engine/download_messages.h"
#include "platform/win32/kernel_event.h"
#include "tests/support/recording_window.h"

namespace test_support {

struct RecordedEngine {
  RecordedEngine() {
    engine.m_hWnd = window.m_hWnd;
    engine.m_hStopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  }

  // True once a transfer has reported progress within a piece.
  bool PieceUnderWay() const {
    for (const PostedMessage& posted : window.Messages()) {
      if (posted.message == WM_DOWNLOAD_PROGRESS && posted.wParam < 10000) return true;
    }
    return false;
  }

  CRecordingWindow window;
  CDownloadEngine engine;
};

}  // namespace test_support
