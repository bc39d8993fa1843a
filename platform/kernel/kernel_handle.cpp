#include "platform/win32/kernel_handle.h"

#include "platform/kernel/kernel_object.h"

BOOL CloseHandle(HANDLE object) {
  if (object == nullptr || object == INVALID_HANDLE_VALUE) return FALSE;
  return object->Close();
}
