#include "ui/download_folder.h"

#include "platform/win32/private_folder.h"
#include "platform/win32/temp_path.h"
#include "platform/win32/utf8_path.h"

namespace {

constexpr char kFolderName[] = "Kelpa";

// Another user's folder, or one others may write into, is never used: a file
// in it could be theirs whatever its checksum says. Nothing in it is changed.
std::string UsableOrNone(const std::string& folder) {
  return IsPrivateFolder(folder) ? folder : std::string();
}

}  // namespace

std::string PrepareDownloadFolder() {
  const std::string temporary = GetTempPathUtf8();
  if (temporary.empty()) return UsableOrNone(std::string(".") + kPathSeparator);
  const std::string subfolder = temporary + kFolderName;
  // Made here, or made by an earlier run: either way it is tested as found,
  // since someone may have made it first.
  CreatePrivateFolder(subfolder);
  if (IsPrivateFolder(subfolder)) return subfolder + kPathSeparator;
  return UsableOrNone(temporary);
}
