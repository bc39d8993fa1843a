#include "engine/piece_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "platform/kernel/regular_file.h"

CPieceFile::CPieceFile(const std::string& path) {
  // Nothing is emptied before the file is known to be a regular one.
  CRegularFile file(path.c_str(), O_WRONLY | O_CREAT, 0600);
  if (file.Get() < 0 || ::ftruncate(file.Get(), 0) != 0) {
    setstate(std::ios_base::failbit);
    return;
  }
  const int fd = file.Release();
  // The buffer owns the descriptor from here on and closes it.
  m_buffer = std::make_unique<__gnu_cxx::stdio_filebuf<char>>(
      fd, std::ios_base::out | std::ios_base::binary, static_cast<std::size_t>(BUFSIZ));
  std::ios::rdbuf(m_buffer.get());
}
