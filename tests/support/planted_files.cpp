#include "tests/support/planted_files.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <cerrno>
#include <cstring>

namespace test_support {

namespace {

std::string Done(int result) {
  return result == 0 ? std::string() : std::string("failed: ") + std::strerror(errno);
}

}  // namespace

std::string PlantFileLink(const std::string& target, const std::string& at) {
  return Done(symlink(target.c_str(), at.c_str()));
}

std::string PlantFolderLink(const std::string& target, const std::string& at) {
  return Done(symlink(target.c_str(), at.c_str()));
}

std::string PlantEndlessDeviceLink(const std::string& at) {
  return Done(symlink("/dev/zero", at.c_str()));
}

std::string PlantFifo(const std::string& at) { return Done(mkfifo(at.c_str(), 0600)); }

std::string PlantSocket(const std::string& at) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (at.size() >= sizeof address.sun_path) return "the path is too long for a socket";
  at.copy(address.sun_path, at.size());
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  if (listener < 0) return Done(-1);
  return Done(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address));
}

std::string WhatLiesAt(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return "nothing";
  if (S_ISLNK(info.st_mode)) return "link to " + boost::filesystem::read_symlink(path).string();
  if (S_ISFIFO(info.st_mode)) return "fifo";
  if (S_ISSOCK(info.st_mode)) return "socket";
  if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) return "device";
  if (S_ISDIR(info.st_mode)) return "folder";
  return "file of " + std::to_string(info.st_size) + " bytes";
}

bool UnderWine() { return false; }

}  // namespace test_support
