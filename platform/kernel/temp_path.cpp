#include "platform/win32/temp_path.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The variable's value; empty when it is not set.
std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path[0] == '/'; }

// Makes each missing folder of an absolute path with mode 0700, as the cache
// folder's rules ask; true when the whole path is a directory afterwards.
bool MakeFolders(const std::string& path) {
  if (IsDirectory(path)) return true;
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string prefix = path.substr(0, end);
    if (!prefix.empty() && prefix.back() != '/' && !IsDirectory(prefix) &&
        mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
      return false;
    }
    if (end == std::string::npos) break;
  }
  return IsDirectory(path);
}

// $TMPDIR is the user's own choice. Otherwise the user's cache folder: it is
// private, on disk and kept over a reboot, where /tmp is shared by everyone,
// often held in memory and emptied at each start of the machine.
std::string TemporaryFolder() {
  std::string folder;
  const std::string tmpdir = Environment("TMPDIR");
  const std::string cache = Environment("XDG_CACHE_HOME");
  const std::string home = Environment("HOME");
  if (!tmpdir.empty() && IsDirectory(tmpdir)) {
    folder = tmpdir;
  } else if (IsAbsolute(cache) && MakeFolders(cache)) {
    folder = cache;
  } else if (IsAbsolute(home) && MakeFolders(home + "/.cache")) {
    folder = home + "/.cache";
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
