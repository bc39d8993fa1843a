#pragma once
// Win32 event objects and waits; on POSIX on our own threads layer. Every
// call may come from any thread. A zero time-out on an unset event never
// blocks, so transfer callbacks can test a stop event on every call.

#ifdef _WIN32
#include <windows.h>
#else

#include "platform/win32/kernel_handle.h"
#include "platform/win32/windows_types.h"

struct SECURITY_ATTRIBUTES;

HANDLE CreateEventA(SECURITY_ATTRIBUTES* attributes, BOOL manualReset, BOOL initialState,
                    const char* name);
BOOL SetEvent(HANDLE event);
// WAIT_OBJECT_0 when the event is (or becomes) signalled within the time-out,
// WAIT_TIMEOUT otherwise, WAIT_FAILED for a null or closed handle or one that
// is not an event.
DWORD WaitForSingleObject(HANDLE event, DWORD milliseconds);

#endif  // _WIN32
