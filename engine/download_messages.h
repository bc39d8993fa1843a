#pragma once
// The worker's reports to the window: posted, never sent, integers only.

#include <cstdint>

#include "platform/win32/windows_types.h"

// wParam: current piece position, lParam: overall position, both 0..10000.
constexpr UINT WM_DOWNLOAD_PROGRESS = WM_USER + 1;
// wParam and lParam 0: the download has ended.
constexpr UINT WM_DOWNLOAD_FINISHED = WM_USER + 2;
// wParam low word: kind, high word: libcurl code for kind 3; lParam 0.
constexpr UINT WM_DOWNLOAD_ERROR = WM_USER + 3;
// wParam: nominal piece size in bytes (NominalSizeParam), lParam: whole KiB/s
// (0 = not measured).
constexpr UINT WM_DOWNLOAD_RATE = WM_USER + 4;

constexpr WORD DOWNLOAD_ERROR_FILE_WRITE = 1;
constexpr WORD DOWNLOAD_ERROR_PACKAGE_DATA = 2;
constexpr WORD DOWNLOAD_ERROR_CONNECTION = 3;

constexpr WPARAM MakeConnectionError(int curlCode) {
  return (static_cast<WPARAM>(curlCode & 0xFFFF) << 16) | DOWNLOAD_ERROR_CONNECTION;
}

constexpr int kProgressScale = 10000;

// A piece size as wParam carries it: whole where wParam has 64 bits; on a
// 32-bit build a piece of 4 GiB or more reads as 4 GiB - 1, which keeps the
// time left large instead of wrapping to a fraction of it.
constexpr WPARAM NominalSizeParam(std::uint64_t bytes) {
  constexpr std::uint64_t kLargest = static_cast<WPARAM>(-1);
  return static_cast<WPARAM>(bytes < kLargest ? bytes : kLargest);
}
