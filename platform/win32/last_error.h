#pragma once
// The calling thread's last error, Windows-style: a failing service says why
// through it, and the caller reads it right after the failure.

#include "platform/win32/windows_types.h"

constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
// The file is a program this machine cannot run.
constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;

DWORD GetLastError();
void SetLastError(DWORD error);
