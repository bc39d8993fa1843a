#include "engine/piece_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

// A descriptor on the emptied file, or -1. Nothing is truncated before the
// file is known to be a regular one.
int OpenRegularFileForWriting(const std::string& path) {
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags != -1) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

}  // namespace

CPieceFile::CPieceFile(const std::string& path) {
  const int fd = OpenRegularFileForWriting(path);
  if (fd < 0) {
    setstate(std::ios_base::failbit);
    return;
  }
  // The buffer owns the descriptor from here on and closes it.
  m_buffer = std::make_unique<__gnu_cxx::stdio_filebuf<char>>(
      fd, std::ios_base::out | std::ios_base::binary, static_cast<std::size_t>(BUFSIZ));
  std::ios::rdbuf(m_buffer.get());
}
