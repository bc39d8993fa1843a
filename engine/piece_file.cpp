#include "engine/piece_file.h"

#include <memory>

#include "utility/regular_file.h"

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// One buffer kept from piece to piece on each thread: a fresh one for every
// small piece made the heap shrink and grow again each time, which cost more
// than writing the piece.
class CSpareBuffer {
 public:
  static std::unique_ptr<char[]> Take() {
    std::unique_ptr<char[]>& spare = Slot();
    return spare != nullptr ? std::move(spare) : std::unique_ptr<char[]>(new char[kBufferSize]);
  }
  static void Give(std::unique_ptr<char[]> buffer) {
    std::unique_ptr<char[]>& spare = Slot();
    if (spare == nullptr) spare = std::move(buffer);
  }

 private:
  static std::unique_ptr<char[]>& Slot() {
    thread_local std::unique_ptr<char[]> spare;
    return spare;
  }
};

// Writes through a file handle. Blocks as large as its buffer go straight to
// the file, so the transfer's blocks cost one write each.
class CHandleWriteBuffer : public std::streambuf {
 public:
  explicit CHandleWriteBuffer(HANDLE file) : m_file(file), m_buffer(CSpareBuffer::Take()) {
    setp(m_buffer.get(), m_buffer.get() + kBufferSize);
  }
  ~CHandleWriteBuffer() override {
    sync();
    CloseHandle(m_file);
    CSpareBuffer::Give(std::move(m_buffer));
  }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }
  std::streamsize xsputn(const char* data, std::streamsize count) override {
    if (count < epptr() - pptr()) return std::streambuf::xsputn(data, count);
    if (!Drain() || !WriteAll(data, count)) return 0;
    return count;
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool WriteAll(const char* data, std::streamsize count) {
    DWORD written = 0;
    return WriteFile(m_file, data, static_cast<DWORD>(count), &written, nullptr) &&
           written == static_cast<DWORD>(count);
  }
  // Writes out what is buffered; false when the file refused it.
  bool Drain() {
    const std::streamsize pending = pptr() - pbase();
    setp(m_buffer.get(), m_buffer.get() + kBufferSize);
    return pending == 0 || WriteAll(m_buffer.get(), pending);
  }

  HANDLE m_file;
  std::unique_ptr<char[]> m_buffer;
};

}  // namespace

CPieceFile::CPieceFile(const std::string& path) {
  CRegularFile file(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
  if (!file.IsOpen() || !SetEndOfFile(file.Get())) {
    setstate(std::ios_base::failbit);
    return;
  }
  // The buffer owns the handle from here on and closes it.
  m_buffer = std::make_unique<CHandleWriteBuffer>(file.Release());
  std::ios::rdbuf(m_buffer.get());
}

// The stream must let go of the buffer before the buffer goes.
CPieceFile::~CPieceFile() { std::ios::rdbuf(nullptr); }
