#include "package_signing.h"

#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/objects.h>
#include <openssl/pem.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "utility/hex_text.h"

namespace {

constexpr int kCoordinate = 32;  // bytes in X, Y, r and s on P-256

struct BioFree {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
struct MdContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct SignatureFree {
  void operator()(ECDSA_SIG* signature) const { ECDSA_SIG_free(signature); }
};

// The PEM text of `key`, in memory that is wiped when it is freed.
std::unique_ptr<BIO, BioFree> PemOf(EVP_PKEY* key) {
  std::unique_ptr<BIO, BioFree> pem(BIO_new(BIO_s_secmem()));
  if (pem && PEM_write_bio_PrivateKey(pem.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1) {
    pem.reset();
  }
  return pem;
}

bool WriteAll(int file, const char* bytes, std::size_t length) {
  while (length > 0) {
    const ssize_t written = write(file, bytes, length);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    length -= static_cast<std::size_t>(written);
  }
  return true;
}

// O_EXCL so that an existing key, perhaps the only copy of one, is never
// replaced.
bool WriteNewFile(const std::string& path, const char* bytes, std::size_t length,
                  std::string& error) {
  const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (file < 0) {
    error = errno == EEXIST ? path + " is already there; a key is never written over a file"
                            : "cannot make " + path + ": " + std::strerror(errno);
    return false;
  }
  const bool written = WriteAll(file, bytes, length) && fsync(file) == 0;
  if (close(file) != 0 || !written) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    unlink(path.c_str());
    return false;
  }
  return true;
}

// No prompt for a password: a tool run from scripts must not wait on a
// terminal, so a protected key simply fails to load.
int NoPassword(char*, int, int, void*) { return -1; }

// Empty when the key is on P-256, else why it is not taken.
std::string CurveProblem(EVP_PKEY* key) {
  const char* type = EVP_PKEY_get0_type_name(key);
  if (!EVP_PKEY_is_a(key, "EC")) return std::string("an ") + (type ? type : "unknown") + " key";
  char curve[80] = "";
  std::size_t length = 0;
  if (EVP_PKEY_get_utf8_string_param(key, OSSL_PKEY_PARAM_GROUP_NAME, curve, sizeof curve,
                                     &length) != 1) {
    return "an EC key on no named curve";
  }
  if (OBJ_txt2nid(curve) != NID_X9_62_prime256v1) return std::string("an EC key on ") + curve;
  return {};
}

}  // namespace

bool WriteNewKey(const std::string& path, std::string& error) {
  const PackageKey key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  const std::unique_ptr<BIO, BioFree> pem = key ? PemOf(key.get()) : nullptr;
  char* text = nullptr;
  const long length = pem ? BIO_get_mem_data(pem.get(), &text) : 0;
  if (length <= 0) {
    error = "cannot make a P-256 key";
    return false;
  }
  return WriteNewFile(path, text, static_cast<std::size_t>(length), error);
}

PackageKey ReadKey(const std::string& path, std::string& error) {
  const std::unique_ptr<BIO, BioFree> file(BIO_new_file(path.c_str(), "rb"));
  if (!file) {
    error = "cannot read " + path;
    return nullptr;
  }
  PackageKey key(PEM_read_bio_PrivateKey(file.get(), nullptr, NoPassword, nullptr));
  if (!key) {
    error = path + " holds no PEM private key (one kept under a password is not taken)";
    return nullptr;
  }
  const std::string problem = CurveProblem(key.get());
  if (!problem.empty()) {
    error = path + " holds " + problem + "; the package key must be on P-256";
    return nullptr;
  }
  return key;
}

std::string PublicKeyHex(EVP_PKEY* key, std::string& error) {
  // A key file may keep its point compressed; the build takes both halves.
  unsigned char point[1 + 2 * kCoordinate];
  std::size_t length = 0;
  if (EVP_PKEY_set_utf8_string_param(key, OSSL_PKEY_PARAM_EC_POINT_CONVERSION_FORMAT,
                                     OSSL_PKEY_EC_POINT_CONVERSION_FORMAT_UNCOMPRESSED) != 1 ||
      EVP_PKEY_get_octet_string_param(key, OSSL_PKEY_PARAM_PUB_KEY, point, sizeof point, &length) !=
          1 ||
      length != sizeof point || point[0] != POINT_CONVERSION_UNCOMPRESSED) {
    error = "cannot read the key's public point";
    return {};
  }
  return HexText(point + 1, 2 * kCoordinate);
}

std::string SignatureHex(EVP_PKEY* key, const std::string& message, std::string& error) {
  error = "cannot sign the list";
  const std::unique_ptr<EVP_MD_CTX, MdContextFree> context(EVP_MD_CTX_new());
  const auto* bytes = reinterpret_cast<const unsigned char*>(message.data());
  std::size_t length = 0;
  if (!context ||
      EVP_DigestSignInit_ex(context.get(), nullptr, "SHA256", nullptr, nullptr, key, nullptr) !=
          1 ||
      EVP_DigestSign(context.get(), nullptr, &length, bytes, message.size()) != 1) {
    return {};
  }
  std::vector<unsigned char> der(length);
  if (EVP_DigestSign(context.get(), der.data(), &length, bytes, message.size()) != 1) return {};
  // OpenSSL gives the DER form; the list holds r and s as fixed-size numbers.
  const unsigned char* at = der.data();
  const std::unique_ptr<ECDSA_SIG, SignatureFree> signature(
      d2i_ECDSA_SIG(nullptr, &at, static_cast<long>(length)));
  if (!signature) return {};
  unsigned char rs[2 * kCoordinate];
  if (BN_bn2binpad(ECDSA_SIG_get0_r(signature.get()), rs, kCoordinate) != kCoordinate ||
      BN_bn2binpad(ECDSA_SIG_get0_s(signature.get()), rs + kCoordinate, kCoordinate) !=
          kCoordinate) {
    return {};
  }
  error.clear();
  return HexText(rs, sizeof rs);
}
