#pragma once
// Handles of kernel objects (events, files, file mappings) and their closing.
// Any thread.

#ifdef _WIN32
#include <windows.h>
#else

#include <cstdint>

#include "platform/win32/windows_types.h"

// What a failed CreateFileA returns; it names no object.
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

// FALSE for a null, invalid or already closed handle.
BOOL CloseHandle(HANDLE object);

#endif  // _WIN32

// Owns one handle and closes it on every way out, as ATL's CHandle does.
class CHandle {
 public:
  explicit CHandle(HANDLE handle) : m_handle(handle) {}
  ~CHandle() {
    if (IsValid()) CloseHandle(m_handle);
  }
  CHandle(const CHandle&) = delete;
  CHandle& operator=(const CHandle&) = delete;
  bool IsValid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return m_handle; }
  // Hands the handle over; the caller closes it.
  HANDLE Release() {
    HANDLE handle = m_handle;
    m_handle = INVALID_HANDLE_VALUE;
    return handle;
  }

 private:
  HANDLE m_handle;
};
