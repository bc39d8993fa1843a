#include "platform/win32/temp_path.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string TemporaryFolder() {
  const char* fromEnvironment = std::getenv("TMPDIR");
  std::string folder;
  if (fromEnvironment != nullptr && *fromEnvironment != '\0' && IsDirectory(fromEnvironment)) {
    folder = fromEnvironment;
  } else if (IsDirectory("/tmp")) {
    folder = "/tmp";
  } else {
    return std::string();
  }
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

DWORD GetTempPathA(DWORD bufferLength, char* buffer) {
  const std::string folder = TemporaryFolder();
  if (folder.empty()) return 0;
  const DWORD length = static_cast<DWORD>(folder.size());
  if (buffer == nullptr || bufferLength < length + 1) return length + 1;
  std::memcpy(buffer, folder.c_str(), length + 1);
  return length;
}
