#pragma once
// The publisher's public key from a file as `make_package --public-key`
// writes it (128 hex digits and a line end), so a benchmark runs the signed
// package's checks with the key a build would carry.

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "utility/hex_text.h"
#include "utility/signature_check.h"

inline std::optional<P256PublicKey> ReadPackageKey(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string hex((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  while (!hex.empty() && (hex.back() == '\n' || hex.back() == '\r')) hex.pop_back();
  P256PublicKey key{};
  if (!file.is_open() || !ParseHex(hex, key.data(), key.size())) return std::nullopt;
  return key;
}
