#include "engine/download_globals.h"

#include "res/skin_geometry.h"
#include "veltra_addresses.h"

const char* g_szManifestUrl = kManifestUrl;
std::string g_strTempDir;
std::string g_strInstallerPath;
const RECT g_rcStatus = {skin::kStatus.left, skin::kStatus.top, skin::kStatus.right,
                         skin::kStatus.bottom};
