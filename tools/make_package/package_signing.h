#pragma once
// The publisher's key, a P-256 private key in a PEM file, and the signature
// it makes over a signed list. The program is built with the public half as
// 128 hex digits and checks r and s as 64 raw bytes, so both leave here in
// those forms rather than OpenSSL's own.

#include <openssl/evp.h>

#include <memory>
#include <string>

struct PackageKeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using PackageKey = std::unique_ptr<EVP_PKEY, PackageKeyFree>;

// Each of these says what went wrong in `error`, one line without the
// program's name, when it fails.

// A new key into a new file at `path`, mode 0600; a file that is already
// there is left as it is and the call fails.
bool WriteNewKey(const std::string& path, std::string& error);

// The key in `path`, or none when it is missing, is no PEM private key, is
// protected by a password (nothing asks for one) or is not on P-256.
PackageKey ReadKey(const std::string& path, std::string& error);

// X then Y of the public point, 32 bytes each, as 128 lowercase hex digits;
// empty on failure.
std::string PublicKeyHex(EVP_PKEY* key, std::string& error);

// ECDSA with SHA-256 over `message`: r then s, 32 bytes each, as 128
// lowercase hex digits; empty on failure. Each call signs afresh, with a
// new random nonce.
std::string SignatureHex(EVP_PKEY* key, const std::string& message, std::string& error);
