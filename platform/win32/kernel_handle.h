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
