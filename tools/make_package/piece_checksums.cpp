#include "piece_checksums.h"

#include "utility/hex_text.h"

CPieceChecksums::CPieceChecksums(bool withSha256) : m_crc(crc32(0L, Z_NULL, 0)) {
  if (!withSha256) return;
  m_sha256.reset(EVP_MD_CTX_new());
  m_failed = !m_sha256 || EVP_DigestInit_ex2(m_sha256.get(), EVP_sha256(), nullptr) != 1;
}

void CPieceChecksums::Add(const char* bytes, std::size_t length) {
  m_crc = crc32_z(m_crc, reinterpret_cast<const Bytef*>(bytes), length);
  if (m_sha256 && !m_failed) m_failed = EVP_DigestUpdate(m_sha256.get(), bytes, length) != 1;
}

std::optional<std::string> CPieceChecksums::Sha256Hex() {
  if (m_failed) return {};
  if (!m_sha256) return std::string();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(m_sha256.get(), digest, &length) != 1 || length != 32) return {};
  return HexText(digest, length);
}
