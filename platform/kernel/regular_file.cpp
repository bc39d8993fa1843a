#include "platform/kernel/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

CRegularFile::CRegularFile(const char* path, int flags, mode_t mode)
    : m_fd(::open(path, flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode)),
      m_missing(m_fd < 0 && errno == ENOENT) {
  if (m_fd < 0) return;
  struct stat info {};
  if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(m_fd);
    m_fd = -1;
    return;
  }
  // Only the open was not to wait; reads and writes of the file may.
  const int status = ::fcntl(m_fd, F_GETFL);
  if (status != -1) ::fcntl(m_fd, F_SETFL, status & ~O_NONBLOCK);
}

CRegularFile::~CRegularFile() {
  if (m_fd >= 0) ::close(m_fd);
}

int CRegularFile::Release() {
  const int fd = m_fd;
  m_fd = -1;
  return fd;
}
