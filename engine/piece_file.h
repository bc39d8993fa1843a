#pragma once
// A piece's file in the download folder, opened for writing and emptied. Only
// a regular file is opened, never through a link at its last component, and
// the open never waits: a link planted under a piece's name would have the
// piece written over its target, a FIFO would block the worker for ever.
// Such a name counts as a file that cannot be opened, and is left as it is.
//
// It is the stream the transfer callbacks write to, so it is an std::fstream;
// its bytes go through a buffer on the checked descriptor, not through the
// stream's own file buffer, which can only open a path by itself.

#include <ext/stdio_filebuf.h>

#include <fstream>
#include <memory>
#include <string>

class CPieceFile : public std::fstream {
 public:
  explicit CPieceFile(const std::string& path);

  bool Opened() const { return m_buffer != nullptr; }

 private:
  std::unique_ptr<__gnu_cxx::stdio_filebuf<char>> m_buffer;
};
