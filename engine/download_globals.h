#pragma once
// Process-wide values of the download. g_strTempDir is written once by the
// window before the worker starts; g_strInstallerPath once by the worker,
// read by the window only after WM_DOWNLOAD_FINISHED.

#include <string>

// Address of the package manifest, fixed when the program is built. The worker
// reads it through this one variable (tests point it at their own server).
extern const char* g_szManifestUrl;

// The download folder, ending in "/".
extern std::string g_strTempDir;
// The download folder followed by the installer's name; empty without one.
extern std::string g_strInstallerPath;

#include "platform/win32/windows_types.h"

// Where the window draws the status line (window pixels); the piece check
// asks for it to be repainted.
extern const RECT g_rcStatus;
