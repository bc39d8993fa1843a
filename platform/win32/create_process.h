#pragma once
// Starting a program. On POSIX, Windows-style; any thread. The program is the
// first item of the command line (quoted or up to the first space); the rest
// of the line is not passed on. Only a regular file reached without a link at
// its last component is started. A downloaded file has no execute bit, so the
// owner's is set first; a Windows program (starting with "MZ") is started
// through `wine` on PATH. The new process gets no arguments, this process's
// environment and current directory; nobody waits for it.

#include "platform/win32/last_error.h"
#include "platform/win32/windows_types.h"

// A Windows program that this system cannot start: POSIX without wine. An
// application's own code (bit 29 set), which Windows itself never reports.
constexpr DWORD ERROR_WINE_NEEDED = 0x20000001;

#ifdef _WIN32
#include <windows.h>
#else

#include <string>

#include "platform/win32/ui_types.h"

struct SECURITY_ATTRIBUTES;

constexpr DWORD NORMAL_PRIORITY_CLASS = 0x00000020;

struct STARTUPINFOA {
  DWORD cb;
  DWORD reserved[16];
};

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};

// FALSE when nothing was started, with the reason in GetLastError():
// ERROR_WINE_NEEDED for a Windows program and no `wine` on PATH,
// ERROR_FILE_NOT_FOUND for an empty or missing path, ERROR_ACCESS_DENIED
// otherwise.
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    SECURITY_ATTRIBUTES* processAttributes, SECURITY_ATTRIBUTES* threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, void* environment,
                    LPCSTR currentDirectory, STARTUPINFOA* startupInfo,
                    PROCESS_INFORMATION* processInformation);

// The program named by a command line: the text between the leading quotes,
// or up to the first space.
std::string ProgramOfCommandLine(const std::string& commandLine);

#endif  // _WIN32
