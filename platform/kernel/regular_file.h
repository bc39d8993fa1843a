#pragma once
// A descriptor on a regular file, opened without following a link at its last
// component and without waiting on a FIFO or a device: whatever someone else
// planted under the name (a link to one of our files, a FIFO, /dev/zero) is
// never opened for reading or writing. Closed on every way out.

#include <sys/types.h>

class CRegularFile {
 public:
  // flags: the access mode and O_CREAT or none; mode: for a created file.
  CRegularFile(const char* path, int flags, mode_t mode = 0);
  ~CRegularFile();
  CRegularFile(const CRegularFile&) = delete;
  CRegularFile& operator=(const CRegularFile&) = delete;

  // The descriptor, or -1 when the name could not be opened or is no regular
  // file.
  int Get() const { return m_fd; }
  // Hands the descriptor over; the caller closes it.
  int Release();
  // Nothing of that name was there.
  bool WasMissing() const { return m_missing; }

 private:
  int m_fd;
  bool m_missing;
};
