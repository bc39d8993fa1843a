#pragma once
// The user's temporary folder, and the character that ends it and separates
// the names of a path: a backslash on Windows, a slash elsewhere.
//
// On POSIX the folder is where Windows has one per user, private and on disk.
// In this order: $TMPDIR when it names a directory; $XDG_CACHE_HOME when it is
// an absolute path; $HOME/.cache; /tmp only when none of these can be had. A
// missing cache folder is made (mode 0700, with its missing parents).

#ifdef _WIN32
#include <windows.h>

constexpr char kPathSeparator = '\\';

#else

#include "platform/win32/windows_types.h"

constexpr char kPathSeparator = '/';

// With a buffer too small (or none) returns the length needed including the
// terminating zero; otherwise copies the path and returns its length without
// the zero. Returns 0 when there is no usable temporary folder. The path
// always ends in kPathSeparator.
DWORD GetTempPathA(DWORD bufferLength, char* buffer);

#endif  // _WIN32
