#include "engine/download_globals.h"

#include "veltra_addresses.h"

const char* g_szManifestUrl = kManifestUrl;
std::string g_strTempDir;
std::string g_strInstallerPath;
const RECT g_rcStatus = {165, 563, 458, 589};
