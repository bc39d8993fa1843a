#pragma once
// Starting a program through the shell, which on Windows asks for the user's
// consent first when the program needs administrator rights (a declined
// prompt fails with ERROR_CANCELLED). Any thread.
//
// On POSIX no program asks for those rights: the file is started as
// CreateProcessA starts it (see create_process.h), with the same checks and
// errors; its name is converted from UTF-16 to UTF-8, the form the program
// holds paths in, and no process handle is returned.

#include "platform/win32/last_error.h"
#include "platform/win32/windows_types.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h.
#include <shellapi.h>
#ifndef ERROR_ELEVATION_REQUIRED
// Missing from mingw-w64's error list.
constexpr DWORD ERROR_ELEVATION_REQUIRED = 740;
#endif
#else

constexpr DWORD ERROR_CANCELLED = 1223;
constexpr DWORD ERROR_ELEVATION_REQUIRED = 740;

constexpr ULONG SEE_MASK_NOASYNC = 0x00000100;
constexpr ULONG SEE_MASK_FLAG_NO_UI = 0x00000400;

struct SHELLEXECUTEINFOW {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  LPCWSTR lpVerb;
  LPCWSTR lpFile;
  LPCWSTR lpParameters;
  LPCWSTR lpDirectory;
  int nShow;
  void* hInstApp;
  void* lpIDList;
  LPCWSTR lpClass;
  void* hkeyClass;
  DWORD dwHotKey;
  HANDLE hIconOrMonitor;
  HANDLE hProcess;
};

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info);

#endif  // _WIN32
