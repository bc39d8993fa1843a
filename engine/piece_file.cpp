#include "engine/piece_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "engine/background_write.h"
#include "utility/regular_file.h"

namespace {

// Large enough that handing a block to the writing thread is rare beside
// writing it; small enough that what arrived is soon on disk and a full disk
// is noticed while the piece still arrives.
constexpr std::size_t kBufferSize = 512 * 1024;

// Buffers kept from piece to piece on each thread: fresh ones for every small
// piece made the heap shrink and grow again each time, which cost more than
// writing the piece. Two, as a large piece fills one while the other is
// being written.
class CSpareBuffers {
 public:
  static std::unique_ptr<char[]> Take() {
    for (std::unique_ptr<char[]>& spare : Slots()) {
      if (spare != nullptr) return std::move(spare);
    }
    return std::unique_ptr<char[]>(new char[kBufferSize]);
  }
  static void Give(std::unique_ptr<char[]> buffer) {  // null gives nothing
    for (std::unique_ptr<char[]>& spare : Slots()) {
      if (spare == nullptr) {
        spare = std::move(buffer);
        return;
      }
    }
  }

 private:
  static std::array<std::unique_ptr<char[]>, 2>& Slots() {
    thread_local std::array<std::unique_ptr<char[]>, 2> spares;
    return spares;
  }
};

// Writes through a file handle. A full buffer goes to a writing thread, made
// at the first one, and the transfer fills the other meanwhile; what is left
// at the end is written by the caller once the thread has done. A piece
// smaller than one buffer never starts the thread.
class CHandleWriteBuffer : public std::streambuf {
 public:
  CHandleWriteBuffer(HANDLE file, CSha256* digest)
      : m_file(file), m_digest(digest), m_filling(CSpareBuffers::Take()) {
    Refill();
  }
  ~CHandleWriteBuffer() override {
    sync();
    m_writer.reset();
    CloseHandle(m_file);
    CSpareBuffers::Give(std::move(m_filling));
    CSpareBuffers::Give(std::move(m_written));
  }

 protected:
  int_type overflow(int_type c) override {
    if (!HandOver()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }
  std::streamsize xsputn(const char* data, std::streamsize count) override {
    std::streamsize done = 0;
    while (done < count) {
      if (pptr() == epptr() && !HandOver()) return done;
      const std::streamsize part = std::min(count - done, epptr() - pptr());
      std::memcpy(pptr(), data + done, static_cast<std::size_t>(part));
      pbump(static_cast<int>(part));
      done += part;
    }
    return done;
  }
  int sync() override {
    const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
    Refill();
    if (m_writer != nullptr && !m_writer->Finish()) return -1;
    return pending == 0 || DigestAndWrite(m_file, m_digest, m_filling.get(), pending) ? 0 : -1;
  }

 private:
  void Refill() { setp(m_filling.get(), m_filling.get() + kBufferSize); }

  // Sends the full buffer off and starts on the other; false when the file
  // refused this block or one before it.
  bool HandOver() {
    const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
    if (m_writer == nullptr && !m_alone) {
      m_writer = CBackgroundWrite::Begin(m_file, m_digest);
      m_alone = m_writer == nullptr;
    }
    if (m_alone) {
      Refill();
      return DigestAndWrite(m_file, m_digest, m_filling.get(), pending);
    }
    if (!m_writer->Start(m_filling.get(), pending)) return false;
    if (m_written == nullptr) m_written = CSpareBuffers::Take();
    std::swap(m_filling, m_written);
    Refill();
    return true;
  }

  HANDLE m_file;
  CSha256* m_digest;
  std::unique_ptr<char[]> m_filling;
  std::unique_ptr<char[]> m_written;  // the block the thread was last given
  std::unique_ptr<CBackgroundWrite> m_writer;
  bool m_alone = false;  // no thread could be started: the caller writes
};

}  // namespace

CPieceFile::CPieceFile(const std::string& path, CSha256* digest) {
  CRegularFile file(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
  if (!file.IsOpen() || !SetEndOfFile(file.Get())) {
    setstate(std::ios_base::failbit);
    return;
  }
  // The buffer owns the handle from here on and closes it.
  m_buffer = std::make_unique<CHandleWriteBuffer>(file.Release(), digest);
  std::ios::rdbuf(m_buffer.get());
}

// The stream must let go of the buffer before the buffer goes.
CPieceFile::~CPieceFile() { std::ios::rdbuf(nullptr); }
