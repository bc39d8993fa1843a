#pragma once
// Win32-style event objects on POSIX threads. Every call may come from any
// thread. A zero time-out on an unset event costs one atomic load and never
// blocks, so transfer callbacks can test a stop event on every call.

#include "platform/win32/windows_types.h"

struct SECURITY_ATTRIBUTES;

HANDLE CreateEventA(SECURITY_ATTRIBUTES* attributes, BOOL manualReset, BOOL initialState,
                    const char* name);
BOOL SetEvent(HANDLE event);
// WAIT_OBJECT_0 when the event is (or becomes) signalled within the time-out,
// WAIT_TIMEOUT otherwise, WAIT_FAILED for a null or closed handle.
DWORD WaitForSingleObject(HANDLE event, DWORD milliseconds);
BOOL CloseHandle(HANDLE event);
