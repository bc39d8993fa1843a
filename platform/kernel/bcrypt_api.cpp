#include "platform/win32/bcrypt_api.h"

#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

namespace {

constexpr ULONG kP256Bytes = 32;

// What a handle is, first in every object behind one, so that a handle of
// the wrong kind is refused as Windows refuses it.
enum class Kind : ULONG {
  kSha256 = 0x32414853,     // "SHA2"
  kEcdsaP256 = 0x32353650,  // "P256"
  kHash = 0x48534148,       // "HASH"
  kKey = 0x5945594B,        // "KEY "
};

struct CngObject {
  Kind kind;
};

// An algorithm provider. SHA-256's holds its digest, fetched once, so that a
// hash need not look it up again.
struct Provider : CngObject {
  EVP_MD* digest;
};

struct Hash : CngObject {
  EVP_MD_CTX* context;
  bool finished;
};

struct Key : CngObject {
  EVP_PKEY* key;
};

template <typename Object>
Object* As(void* handle, Kind kind) {
  auto* object = static_cast<Object*>(handle);
  return object != nullptr && object->kind == kind ? object : nullptr;
}

template <auto Free>
struct Freer {
  template <typename T>
  void operator()(T* pointer) const {
    Free(pointer);
  }
};
using KeyContext = std::unique_ptr<EVP_PKEY_CTX, Freer<EVP_PKEY_CTX_free>>;
using PublicKey = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY_free>>;
using Signature = std::unique_ptr<ECDSA_SIG, Freer<ECDSA_SIG_free>>;
using Number = std::unique_ptr<BIGNUM, Freer<BN_free>>;

// libcrypto queues its errors on the thread; left there they would be taken
// for the next TLS call's (libcurl reads the queue), so a refusal clears them.
NTSTATUS Refuse(NTSTATUS status) {
  ERR_clear_error();
  return status;
}

bool IsName(LPCWSTR given, LPCWSTR name) { return std::u16string_view(given) == name; }

NTSTATUS OpenProvider(BCRYPT_ALG_HANDLE* algorithm, Kind kind, EVP_MD* digest) {
  auto* provider = new (std::nothrow) Provider{{kind}, digest};
  if (provider == nullptr) {
    EVP_MD_free(digest);
    return STATUS_NO_MEMORY;
  }
  *algorithm = provider;
  return STATUS_SUCCESS;
}

NTSTATUS OpenSha256(BCRYPT_ALG_HANDLE* algorithm) {
  EVP_MD* digest = EVP_MD_fetch(nullptr, "SHA256", nullptr);
  if (digest == nullptr) return Refuse(STATUS_NOT_SUPPORTED);
  return OpenProvider(algorithm, Kind::kSha256, digest);
}

// The key of the uncompressed point 0x04 || X || Y on P-256, or null. The
// check refuses a point off the curve or a coordinate past the field.
PublicKey ImportP256Point(const UCHAR* xy) {
  std::array<unsigned char, 1 + 2 * kP256Bytes> point{0x04};
  std::memcpy(point.data() + 1, xy, 2 * kP256Bytes);
  char group[] = "prime256v1";
  OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_PKEY_PARAM_GROUP_NAME, group, 0),
      OSSL_PARAM_construct_octet_string(OSSL_PKEY_PARAM_PUB_KEY, point.data(), point.size()),
      OSSL_PARAM_construct_end()};
  KeyContext context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  EVP_PKEY* made = nullptr;
  if (!context || EVP_PKEY_fromdata_init(context.get()) <= 0 ||
      EVP_PKEY_fromdata(context.get(), &made, EVP_PKEY_PUBLIC_KEY, params) <= 0) {
    return nullptr;
  }
  PublicKey key(made);
  KeyContext check(EVP_PKEY_CTX_new_from_pkey(nullptr, key.get(), nullptr));
  if (!check || EVP_PKEY_public_check(check.get()) != 1) return nullptr;
  return key;
}

// r || s, 32 bytes each, as the DER record libcrypto verifies; empty when it
// cannot be made.
std::vector<unsigned char> DerSignature(const UCHAR* rs) {
  Signature signature(ECDSA_SIG_new());
  Number r(BN_bin2bn(rs, kP256Bytes, nullptr));
  Number s(BN_bin2bn(rs + kP256Bytes, kP256Bytes, nullptr));
  if (!signature || !r || !s || ECDSA_SIG_set0(signature.get(), r.get(), s.get()) != 1) return {};
  // The record owns them now.
  r.release();
  s.release();
  unsigned char* der = nullptr;
  const int length = i2d_ECDSA_SIG(signature.get(), &der);
  if (length <= 0) return {};
  std::vector<unsigned char> bytes(der, der + length);
  OPENSSL_free(der);
  return bytes;
}

}  // namespace

NTSTATUS BCryptOpenAlgorithmProvider(BCRYPT_ALG_HANDLE* algorithm, LPCWSTR algorithmId,
                                     LPCWSTR implementation, ULONG flags) {
  if (algorithm == nullptr || algorithmId == nullptr) return STATUS_INVALID_PARAMETER;
  *algorithm = nullptr;
  if (implementation != nullptr || flags != 0) return STATUS_NOT_SUPPORTED;
  if (IsName(algorithmId, BCRYPT_SHA256_ALGORITHM)) return OpenSha256(algorithm);
  if (IsName(algorithmId, BCRYPT_ECDSA_P256_ALGORITHM)) {
    return OpenProvider(algorithm, Kind::kEcdsaP256, nullptr);
  }
  return STATUS_NOT_SUPPORTED;
}

NTSTATUS BCryptCloseAlgorithmProvider(BCRYPT_ALG_HANDLE algorithm, ULONG) {
  Provider* provider = As<Provider>(algorithm, Kind::kSha256);
  if (provider == nullptr) provider = As<Provider>(algorithm, Kind::kEcdsaP256);
  if (provider == nullptr) return STATUS_INVALID_HANDLE;
  EVP_MD_free(provider->digest);
  delete provider;
  return STATUS_SUCCESS;
}

NTSTATUS BCryptCreateHash(BCRYPT_ALG_HANDLE algorithm, BCRYPT_HASH_HANDLE* hash, PUCHAR hashObject,
                          ULONG hashObjectLength, PUCHAR secret, ULONG secretLength, ULONG flags) {
  const Provider* provider = As<Provider>(algorithm, Kind::kSha256);
  if (provider == nullptr) {
    return As<Provider>(algorithm, Kind::kEcdsaP256) ? STATUS_NOT_SUPPORTED : STATUS_INVALID_HANDLE;
  }
  if (hash == nullptr) return STATUS_INVALID_PARAMETER;
  if (hashObject || hashObjectLength || secret || secretLength || flags) {
    return STATUS_NOT_SUPPORTED;
  }
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  if (context == nullptr || EVP_DigestInit_ex2(context, provider->digest, nullptr) != 1) {
    EVP_MD_CTX_free(context);
    return Refuse(STATUS_NO_MEMORY);
  }
  auto* made = new (std::nothrow) Hash{{Kind::kHash}, context, false};
  if (made == nullptr) {
    EVP_MD_CTX_free(context);
    return STATUS_NO_MEMORY;
  }
  *hash = made;
  return STATUS_SUCCESS;
}

NTSTATUS BCryptHashData(BCRYPT_HASH_HANDLE hash, PUCHAR input, ULONG inputLength, ULONG flags) {
  Hash* object = As<Hash>(hash, Kind::kHash);
  if (object == nullptr || object->finished) return STATUS_INVALID_HANDLE;
  if (flags != 0 || (input == nullptr && inputLength != 0)) return STATUS_INVALID_PARAMETER;
  if (EVP_DigestUpdate(object->context, input, inputLength) != 1) {
    return Refuse(STATUS_NO_MEMORY);
  }
  return STATUS_SUCCESS;
}

NTSTATUS BCryptFinishHash(BCRYPT_HASH_HANDLE hash, PUCHAR output, ULONG outputLength, ULONG flags) {
  Hash* object = As<Hash>(hash, Kind::kHash);
  if (object == nullptr || object->finished) return STATUS_INVALID_HANDLE;
  const int size = EVP_MD_CTX_get_size(object->context);
  if (flags != 0 || output == nullptr || size <= 0 || outputLength != static_cast<ULONG>(size)) {
    return STATUS_INVALID_PARAMETER;
  }
  object->finished = true;
  if (EVP_DigestFinal_ex(object->context, output, nullptr) != 1) return Refuse(STATUS_NO_MEMORY);
  return STATUS_SUCCESS;
}

NTSTATUS BCryptDestroyHash(BCRYPT_HASH_HANDLE hash) {
  Hash* object = As<Hash>(hash, Kind::kHash);
  if (object == nullptr) return STATUS_INVALID_HANDLE;
  EVP_MD_CTX_free(object->context);
  delete object;
  return STATUS_SUCCESS;
}

NTSTATUS BCryptImportKeyPair(BCRYPT_ALG_HANDLE algorithm, BCRYPT_KEY_HANDLE importKey,
                             LPCWSTR blobType, BCRYPT_KEY_HANDLE* key, PUCHAR input,
                             ULONG inputLength, ULONG flags) {
  if (As<Provider>(algorithm, Kind::kEcdsaP256) == nullptr) {
    return As<Provider>(algorithm, Kind::kSha256) ? STATUS_NOT_SUPPORTED : STATUS_INVALID_HANDLE;
  }
  if (importKey != nullptr || blobType == nullptr || key == nullptr || input == nullptr ||
      flags != 0) {
    return STATUS_INVALID_PARAMETER;
  }
  if (!IsName(blobType, BCRYPT_ECCPUBLIC_BLOB)) return STATUS_NOT_SUPPORTED;
  BCRYPT_ECCKEY_BLOB header;
  if (inputLength != sizeof header + 2 * kP256Bytes) return STATUS_INVALID_PARAMETER;
  std::memcpy(&header, input, sizeof header);
  if (header.dwMagic != BCRYPT_ECDSA_PUBLIC_P256_MAGIC || header.cbKey != kP256Bytes) {
    return STATUS_INVALID_PARAMETER;
  }
  PublicKey point = ImportP256Point(input + sizeof header);
  if (!point) return Refuse(STATUS_INVALID_PARAMETER);
  auto* made = new (std::nothrow) Key{{Kind::kKey}, point.get()};
  if (made == nullptr) return STATUS_NO_MEMORY;
  point.release();
  *key = made;
  return STATUS_SUCCESS;
}

NTSTATUS BCryptVerifySignature(BCRYPT_KEY_HANDLE key, void* paddingInfo, PUCHAR hash,
                               ULONG hashLength, PUCHAR signature, ULONG signatureLength,
                               ULONG flags) {
  const Key* object = As<Key>(key, Kind::kKey);
  if (object == nullptr) return STATUS_INVALID_HANDLE;
  if (paddingInfo != nullptr || flags != 0 || hash == nullptr || hashLength == 0 ||
      signature == nullptr || signatureLength != 2 * kP256Bytes) {
    return STATUS_INVALID_PARAMETER;
  }
  const std::vector<unsigned char> der = DerSignature(signature);
  KeyContext context(EVP_PKEY_CTX_new_from_pkey(nullptr, object->key, nullptr));
  if (der.empty() || !context || EVP_PKEY_verify_init(context.get()) != 1) {
    return Refuse(STATUS_NO_MEMORY);
  }
  if (EVP_PKEY_verify(context.get(), der.data(), der.size(), hash, hashLength) != 1) {
    return Refuse(STATUS_INVALID_SIGNATURE);
  }
  return STATUS_SUCCESS;
}

NTSTATUS BCryptDestroyKey(BCRYPT_KEY_HANDLE key) {
  Key* object = As<Key>(key, Kind::kKey);
  if (object == nullptr) return STATUS_INVALID_HANDLE;
  EVP_PKEY_free(object->key);
  delete object;
  return STATUS_SUCCESS;
}
