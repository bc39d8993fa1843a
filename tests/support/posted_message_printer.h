#pragma once
// Readable failure output for recorded messages: "WM_DOWNLOAD_ERROR(0x170003, 0)".

#include <ostream>

#include "engine/download_messages.h"
#include "tests/support/recording_window.h"

inline const char* MessageName(UINT message) {
  switch (message) {
    case WM_DOWNLOAD_PROGRESS:
      return "WM_DOWNLOAD_PROGRESS";
    case WM_DOWNLOAD_FINISHED:
      return "WM_DOWNLOAD_FINISHED";
    case WM_DOWNLOAD_ERROR:
      return "WM_DOWNLOAD_ERROR";
    case WM_DOWNLOAD_RATE:
      return "WM_DOWNLOAD_RATE";
    default:
      return "message";
  }
}

inline void PrintTo(const PostedMessage& posted, std::ostream* out) {
  *out << MessageName(posted.message) << '(';
  if (posted.message == WM_DOWNLOAD_ERROR) {
    *out << std::hex << "0x" << posted.wParam << std::dec;
  } else {
    *out << posted.wParam;
  }
  *out << ", " << posted.lParam << ')';
}
