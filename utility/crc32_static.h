#pragma once
// CRC-32 (IEEE 802.3, as zlib and ZIP) of files and strings. Stateless; every
// operation may run on any thread. Result codes are Win32 numbers: 0, 23 after
// a caught exception, 24 when a file size cannot be read, or GetLastError()
// after a failed system call.

#include <cstddef>
#include <cstdint>

#include "platform/win32/file_api.h"

class CCrc32Static {
 public:
  virtual ~CCrc32Static() = default;

  static void UpdateCrc(unsigned char byte, DWORD& running);

  // A file that cannot be opened gives checksum 0 and code 0, like an empty
  // one; so does a link, a FIFO, a socket or a device, of which nothing is read.
  static DWORD ComputeFileCrcStream(const char* path, DWORD& checksum);
  // Its read size. Over 1 GiB of pieces in the page cache, 64 KiB to 4 MiB
  // blocks all ran about twice as fast as 4 KiB ones; 1 MiB was as fast as any.
  static constexpr std::size_t kStreamBlockSize = 1024 * 1024;
  static DWORD ComputeStringCrc(const char* text, DWORD& checksum);
  static DWORD ComputeFileCrcRead(const char* path, DWORD& checksum);
  static DWORD ComputeFileCrcReadInline(const char* path, DWORD& checksum);
  static DWORD ComputeFileCrcMapped(const char* path, DWORD& checksum);
  static bool QueryFileSize64(HANDLE file, std::uint64_t& size);

  static const DWORD s_crcTable[256];

 private:
  CCrc32Static() = default;
};
