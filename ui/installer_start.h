#pragma once
// Starting the downloaded installer. User-interface thread.
//
// A game's installer writes where only an administrator may, so its manifest
// asks for administrator rights; Windows then refuses to start it from a
// program running with the player's own rights (ERROR_ELEVATION_REQUIRED) and
// only the shell, after the consent prompt, will. The player may decline
// that prompt, which loses nothing: the start can be asked for again.

#include <string>

#include "platform/win32/create_process.h"
#include "platform/win32/shell_execute.h"

enum class InstallerStart { Started, Declined, Failed };

// The system's two ways of starting a program, as parameters so that a test
// can answer in place of the system.
struct StartCalls {
  BOOL (*createProcess)(LPSTR commandLine, PROCESS_INFORMATION* process);
  BOOL (*shellExecute)(SHELLEXECUTEINFOW* info);
};

StartCalls SystemStartCalls();

// Starts the regular file at `path` with no arguments in this process's
// folder; the shell's consent prompt comes up over `owner`. Failed leaves the
// reason in GetLastError().
InstallerStart StartInstaller(const std::string& path, HWND owner, const StartCalls& calls);
