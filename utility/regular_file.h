#pragma once
// A file opened only when it is a regular disk file reached without a link
// (a symbolic link or a junction) at its last component, and without waiting.
// The download folder's names are only names: a link planted under a piece's
// name would have the piece written over its target or another file read in
// its place, a FIFO or a device would stall the reader or feed it without
// end. Such a name counts as a file that cannot be opened, and whatever lies
// there is left as it was. Owns its handle; any thread.

#include <cstddef>
#include <functional>
#include <string>

#include "platform/win32/file_api.h"
#include "platform/win32/kernel_handle.h"

class CRegularFile {
 public:
  // access: GENERIC_READ and/or GENERIC_WRITE; disposition: OPEN_EXISTING or
  // OPEN_ALWAYS. Nothing is emptied: a caller that wants an empty file ends
  // it (SetEndOfFile) once it is known to be a regular one.
  CRegularFile(const std::string& path, DWORD access, DWORD shareMode, DWORD disposition);

  bool IsOpen() const { return m_handle.IsValid(); }
  // INVALID_HANDLE_VALUE when the name could not be opened or is no regular
  // file.
  HANDLE Get() const { return m_handle.Get(); }
  // Hands the handle over; the caller closes it.
  HANDLE Release() { return m_handle.Release(); }
  // Nothing of that name was there.
  bool WasMissing() const { return m_missing; }

 private:
  CHandle m_handle;
  bool m_missing = false;
};

// Hands a regular file's bytes to `consume` in order, at most `blockSize` at
// a time, while others may go on reading and writing it. A name that cannot
// be opened, or is no regular file, hands nothing; a failed read ends the
// file. Throws only what allocating the block throws.
void ReadRegularFileBlocks(const std::string& path, std::size_t blockSize,
                           const std::function<void(const char*, std::size_t)>& consume);
