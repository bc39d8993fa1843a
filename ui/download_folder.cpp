#include "ui/download_folder.h"

#include <boost/filesystem/operations.hpp>
#include <exception>
#include <vector>

#include "platform/win32/temp_path.h"

namespace {

constexpr char kFolderName[] = "Kelpa";

}  // namespace

std::string PrepareDownloadFolder() {
  const DWORD length = GetTempPathA(0, nullptr);
  if (length == 0) return "./";
  std::vector<char> buffer(length + 1, '\0');
  GetTempPathA(length, buffer.data());
  std::string folder(buffer.data());
  try {
    const boost::filesystem::path subfolder(folder + kFolderName);
    if (!boost::filesystem::is_directory(boost::filesystem::status(subfolder))) {
      boost::filesystem::create_directory(subfolder);
    }
    folder += std::string(kFolderName) + "/";
  } catch (const std::exception&) {
    // The pieces then lie in the temporary folder itself.
  }
  return folder;
}
