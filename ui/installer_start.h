#pragma once
// Starting the downloaded installer. User-interface thread.
//
// A game's installer writes where only an administrator may, so its manifest
// asks for administrator rights; Windows then refuses to start it from a
// program running with the player's own rights (ERROR_ELEVATION_REQUIRED) and
// only the shell, after the consent prompt, will. The player may decline
// that prompt, which loses nothing: the start can be asked for again.

#include <optional>
#include <string>

#include "platform/win32/create_process.h"
#include "platform/win32/shell_execute.h"
#include "utility/sha256_digest.h"

// NotSigned: the file's bytes are not the ones the publisher signed.
enum class InstallerStart { Started, Declined, Failed, NotSigned };

// The system's two ways of starting a program, as parameters so that a test
// can answer in place of the system.
struct StartCalls {
  // The command line is the quoted path, UTF-8.
  BOOL (*createProcess)(const std::string& commandLine, PROCESS_INFORMATION* process);
  BOOL (*shellExecute)(SHELLEXECUTEINFOW* info);
};

StartCalls SystemStartCalls();

// Starts the regular file at `path` with no arguments in this process's
// folder; the shell's consent prompt comes up over `owner`. Failed leaves the
// reason in GetLastError(). With a signed digest, the file is started only
// when its bytes, read through the handle held open until the start, have it.
InstallerStart StartInstaller(const std::string& path, HWND owner, const StartCalls& calls,
                              const std::optional<Sha256Digest>& signedDigest = std::nullopt);
