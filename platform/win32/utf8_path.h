#pragma once
// Paths as the program holds them: UTF-8, on every system. Windows' ANSI
// functions would read them in the ANSI code page, which cannot spell every
// user's folder (a Turkish name on an English Windows, a Cyrillic one on a
// Turkish Windows), so on Windows these calls convert to UTF-16 and call the
// wide functions. On POSIX the system takes a path's bytes as they are. Each
// otherwise does what the Windows function of its name without "Utf8" does.
// Any thread.

#include <string>

#include "platform/win32/create_process.h"
#include "platform/win32/file_api.h"
#include "platform/win32/windows_types.h"

// A path as the wide functions take it, and back. A byte that is not UTF-8,
// or a lone surrogate, becomes U+FFFD, which names no file.
std::basic_string<WCHAR> WidePath(const std::string& path);
// Narrow text in that code page as UTF-16; empty when it cannot be read.
std::basic_string<WCHAR> WideText(UINT codePage, const std::string& text);
std::string Utf8Path(LPCWSTR path);

// The user's temporary folder, ending in its separator (see temp_path.h);
// empty when there is none.
std::string GetTempPathUtf8();

// The new process inherits no handles, this process's environment and its
// current folder.
BOOL CreateProcessUtf8(const std::string& commandLine, DWORD creationFlags,
                       PROCESS_INFORMATION* process);

#ifdef _WIN32

HANDLE CreateFileUtf8(const char* path, DWORD access, DWORD shareMode,
                      SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flagsAndAttributes,
                      HANDLE templateFile);
DWORD GetFileAttributesUtf8(const char* path);
BOOL CreateDirectoryUtf8(const char* path, SECURITY_ATTRIBUTES* security);

#else

inline HANDLE CreateFileUtf8(const char* path, DWORD access, DWORD shareMode,
                             SECURITY_ATTRIBUTES* security, DWORD disposition,
                             DWORD flagsAndAttributes, HANDLE templateFile) {
  return CreateFileA(path, access, shareMode, security, disposition, flagsAndAttributes,
                     templateFile);
}
inline DWORD GetFileAttributesUtf8(const char* path) { return GetFileAttributesA(path); }

#endif  // _WIN32
