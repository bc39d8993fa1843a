#include "platform/win32/private_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// O_NOFOLLOW looks at the last component only as it is written: "link/"
// would be followed, so the slash goes.
std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

bool CreatePrivateFolder(const std::string& path) {
  return ::mkdir(WithoutTrailingSlash(path).c_str(), 0700) == 0;
}

// Looked at through one descriptor, so what is tested is what was opened.
bool IsPrivateFolder(const std::string& path) {
  if (path.empty()) return false;
  const int folder =
      ::open(WithoutTrailingSlash(path).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder < 0) return false;
  struct stat info {};
  const bool ok = ::fstat(folder, &info) == 0 && S_ISDIR(info.st_mode) &&
                  info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
  ::close(folder);
  return ok;
}
