#include "engine/download_globals.h"

#ifndef VELTRA_MANIFEST_URL
#error "VELTRA_MANIFEST_URL must be set by the build"
#endif

const char* g_szManifestUrl = VELTRA_MANIFEST_URL;
std::string g_strTempDir;
std::string g_strInstallerPath;
const RECT g_rcStatus = {165, 563, 458, 589};
