#include "utility/signature_check.h"

#include <cstring>
#include <optional>

#include "platform/win32/bcrypt_api.h"
#include "utility/cng_provider.h"
#include "utility/sha256_digest.h"

namespace {

BCRYPT_ALG_HANDLE EcdsaP256Provider() {
  static const BCRYPT_ALG_HANDLE provider = OpenProviderOrNull(BCRYPT_ECDSA_P256_ALGORITHM);
  return provider;
}

// The key as a BCRYPT_ECCPUBLIC_BLOB: the header, then X and Y.
using PublicBlob = std::array<UCHAR, sizeof(BCRYPT_ECCKEY_BLOB) + sizeof(P256PublicKey)>;

PublicBlob BlobOf(const P256PublicKey& key) {
  const BCRYPT_ECCKEY_BLOB header = {BCRYPT_ECDSA_PUBLIC_P256_MAGIC, sizeof key / 2};
  PublicBlob blob;
  std::memcpy(blob.data(), &header, sizeof header);
  std::memcpy(blob.data() + sizeof header, key.data(), key.size());
  return blob;
}

BCRYPT_KEY_HANDLE ImportKey(const P256PublicKey& key) {
  const BCRYPT_ALG_HANDLE provider = EcdsaP256Provider();
  if (provider == nullptr) return nullptr;
  PublicBlob blob = BlobOf(key);
  BCRYPT_KEY_HANDLE imported = nullptr;
  const NTSTATUS status = BCryptImportKeyPair(provider, nullptr, BCRYPT_ECCPUBLIC_BLOB, &imported,
                                              blob.data(), blob.size(), 0);
  return BCRYPT_SUCCESS(status) ? imported : nullptr;
}

}  // namespace

bool VerifyP256Signature(const P256PublicKey& key, const void* message, std::size_t length,
                         const P256Signature& signature) {
  std::optional<Sha256Digest> digest = Sha256Of(message, length);
  if (!digest) return false;
  const BCRYPT_KEY_HANDLE imported = ImportKey(key);
  if (imported == nullptr) return false;
  P256Signature rs = signature;
  const NTSTATUS status = BCryptVerifySignature(imported, nullptr, digest->data(), digest->size(),
                                                rs.data(), rs.size(), 0);
  BCryptDestroyKey(imported);
  return BCRYPT_SUCCESS(status);
}
