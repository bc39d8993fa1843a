#pragma once
// A piece's CRC-32, and for a signed package its SHA-256 too, taken as its
// bytes go by, so that a large piece is written or read only once.

#include <openssl/evp.h>
#include <zlib.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

class CPieceChecksums {
 public:
  explicit CPieceChecksums(bool withSha256);
  void Add(const char* bytes, std::size_t length);
  uLong Crc32() const { return m_crc; }
  // Once, after the last Add: 64 lowercase hex digits; an empty text when
  // made without SHA-256, and no value when the digest failed.
  std::optional<std::string> Sha256Hex();

 private:
  struct MdContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
  };
  uLong m_crc;
  std::unique_ptr<EVP_MD_CTX, MdContextFree> m_sha256;
  bool m_failed = false;
};
