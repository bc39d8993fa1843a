#pragma once
// What a HANDLE of the POSIX layer points at: one object per event, open
// file or file mapping. Private to platform/kernel.

#include "platform/win32/kernel_handle.h"

struct KernelObject {
  virtual ~KernelObject() = default;
  // Releases what the object holds; FALSE when it was closed before.
  virtual BOOL Close() = 0;
};

// The object behind a handle when it is of that kind, or null for a null,
// invalid or other handle.
template <class Object>
Object* ObjectOf(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  return dynamic_cast<Object*>(handle);
}
