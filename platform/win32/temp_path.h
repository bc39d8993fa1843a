#pragma once
// The user's temporary folder, Windows-style: $TMPDIR when set, non-empty and
// a directory, else /tmp; always ending in "/".

#include "platform/win32/windows_types.h"

// With a buffer too small (or none) returns the length needed including the
// terminating zero; otherwise copies the path and returns its length without
// the zero. Returns 0 when there is no usable temporary folder.
DWORD GetTempPathA(DWORD bufferLength, char* buffer);
