#include "utility/sha256_digest.h"

#include <algorithm>
#include <limits>

#include "utility/cng_provider.h"

namespace {

BCRYPT_ALG_HANDLE Sha256Provider() {
  static const BCRYPT_ALG_HANDLE provider = OpenProviderOrNull(BCRYPT_SHA256_ALGORITHM);
  return provider;
}

}  // namespace

CSha256::CSha256() = default;

CSha256::~CSha256() { Discard(); }

bool CSha256::Ready() {
  if (m_hash == nullptr && !m_failed) {
    const BCRYPT_ALG_HANDLE provider = Sha256Provider();
    m_failed = provider == nullptr ||
               !BCRYPT_SUCCESS(BCryptCreateHash(provider, &m_hash, nullptr, 0, nullptr, 0, 0));
    if (m_failed) m_hash = nullptr;
  }
  return !m_failed;
}

void CSha256::Discard() {
  if (m_hash != nullptr) BCryptDestroyHash(m_hash);
  m_hash = nullptr;
  m_failed = false;
}

void CSha256::Update(const void* data, std::size_t length) {
  // BCryptHashData's input is declared writable; it is only read.
  auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
  while (length > 0 && Ready()) {
    const ULONG part =
        static_cast<ULONG>(std::min<std::size_t>(length, std::numeric_limits<ULONG>::max()));
    m_failed = !BCRYPT_SUCCESS(BCryptHashData(m_hash, bytes, part, 0));
    bytes += part;
    length -= part;
  }
}

std::optional<Sha256Digest> CSha256::Finish() {
  std::optional<Sha256Digest> digest;
  Sha256Digest bytes;
  if (Ready() && BCRYPT_SUCCESS(BCryptFinishHash(m_hash, bytes.data(), bytes.size(), 0))) {
    digest = bytes;
  }
  Discard();
  return digest;
}

std::optional<Sha256Digest> Sha256Of(const void* data, std::size_t length) {
  CSha256 hash;
  hash.Update(data, length);
  return hash.Finish();
}
