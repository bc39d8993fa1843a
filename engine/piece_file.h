#pragma once
// A piece's file in the download folder, opened for writing and emptied. Only
// a regular file reached without a link is opened, and nothing is emptied
// before that is known (see utility/regular_file.h); any other name counts as
// a file that cannot be opened, and is left as it is.
//
// It is the stream the transfer callbacks write to, so it is an std::fstream;
// its bytes go through a buffer of its own on the checked handle, since the
// stream's own file buffer can only open a path by itself. Used by the worker
// thread; a large piece's full buffers are written on a thread of the file's
// own (engine/background_write.h), and flush() returns once all of them are
// written, false when the file refused any. With a digest, every byte
// written is added to it in order, on whichever thread writes it; the
// caller reads it only after flush() and keeps it until the file is gone.

#include <fstream>
#include <memory>
#include <string>

#include "utility/sha256_digest.h"

class CPieceFile : public std::fstream {
 public:
  explicit CPieceFile(const std::string& path, CSha256* digest = nullptr);
  ~CPieceFile() override;

  bool Opened() const { return m_buffer != nullptr; }

 private:
  std::unique_ptr<std::streambuf> m_buffer;
};
