#pragma once
// Writes blocks to a file on a thread of its own, one block at a time, so the
// transfer receives the next block while the file takes the last one: a
// receiver that waits on its disk lets the socket fill, and the system then
// keeps the connection's window small. The caller keeps each block untouched
// until the next Start or Finish has returned. Errors stick: once a write
// has failed, every later call reports it.
//
// Used by one thread (the one that fills the blocks); the file handle and the
// digest, when there is one, stay the caller's and must outlive the object;
// the digest is the writing thread's from Begin until Finish has returned.
// The two threads meet on a slim lock: a hand-over costs no kernel object
// (no wine-server request).

#include <boost/thread/thread.hpp>
#include <cstddef>
#include <memory>

#include "platform/win32/file_api.h"
#include "platform/win32/slim_lock.h"
#include "utility/sha256_digest.h"

// Writes a buffer's count bytes (under 4 GiB) at the file's position on this
// thread; false when the file refused any of them.
bool WriteWholeBlock(HANDLE file, const char* data, std::size_t count);
// The same, after adding the bytes to the digest when there is one: a signed
// package's SHA-256 is taken as its bytes go to disk, beside the receive.
bool DigestAndWrite(HANDLE file, CSha256* digest, const char* data, std::size_t count);

class CBackgroundWrite {
 public:
  // Null when no thread could be started; the caller then writes itself.
  static std::unique_ptr<CBackgroundWrite> Begin(HANDLE file, CSha256* digest);
  ~CBackgroundWrite();  // waits for the write in flight

  CBackgroundWrite(const CBackgroundWrite&) = delete;
  CBackgroundWrite& operator=(const CBackgroundWrite&) = delete;

  // Waits for the block before to be written, then hands this one over;
  // false (and nothing handed over) when a write has failed.
  bool Start(const char* data, std::size_t count);
  // Waits until every block handed over is written; false when one failed.
  bool Finish();

 private:
  CBackgroundWrite(HANDLE file, CSha256* digest) : m_file(file), m_digest(digest) {}
  void Run();
  void WaitUntilIdle();  // with m_lock held

  const HANDLE m_file;
  CSha256* const m_digest;
  SRWLOCK m_lock = SRWLOCK_INIT;
  CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
  const char* m_block = nullptr;  // in flight while not null
  std::size_t m_count = 0;
  bool m_failed = false;
  bool m_closing = false;
  boost::thread m_thread;
};
