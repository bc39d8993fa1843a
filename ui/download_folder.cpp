#include "ui/download_folder.h"

#include <vector>

#include "platform/win32/private_folder.h"
#include "platform/win32/temp_path.h"

namespace {

constexpr char kFolderName[] = "Kelpa";

// Another user's folder, or one others may write into, is never used: a file
// in it could be theirs whatever its checksum says. Nothing in it is changed.
std::string UsableOrNone(const std::string& folder) {
  return IsPrivateFolder(folder) ? folder : std::string();
}

}  // namespace

std::string PrepareDownloadFolder() {
  const DWORD length = GetTempPathA(0, nullptr);
  if (length == 0) return UsableOrNone(std::string(".") + kPathSeparator);
  std::vector<char> buffer(length + 1, '\0');
  GetTempPathA(length, buffer.data());
  const std::string temporary(buffer.data());
  const std::string subfolder = temporary + kFolderName;
  // Made here, or made by an earlier run: either way it is tested as found,
  // since someone may have made it first.
  CreatePrivateFolder(subfolder);
  if (IsPrivateFolder(subfolder)) return subfolder + kPathSeparator;
  return UsableOrNone(temporary);
}
