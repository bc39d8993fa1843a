#pragma once
// The tests' signed package (tests/data/signed_package/, made by
// make_package --sign with the tests' throwaway key) and the keys, as the
// engine takes them.

#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"
#include "utility/hex_text.h"
#include "utility/signature_check.h"

namespace test_support {

struct SignedPiece {
  std::string name;
  std::string body;
};

// The list first, then the pieces it names, in manifest order.
inline std::vector<SignedPiece> SignedPackagePieces() {
  const std::string folder = std::string(VELTRA_TEST_DATA) + "/signed_package/";
  std::vector<SignedPiece> pieces;
  for (const char* name : {"vlt_package.sig", "Veltra.cab", "VeltraSetup.exe"}) {
    pieces.push_back({name, ReadFile(folder + name)});
  }
  return pieces;
}

// "package_key" signed the package; "other_package_key" did not.
inline P256PublicKey TestPackageKey(const std::string& name = "package_key") {
  std::string hex = ReadFile(std::string(VELTRA_TEST_DATA) + "/" + name + ".hex");
  while (!hex.empty() && (hex.back() == '\n' || hex.back() == '\r')) hex.pop_back();
  P256PublicKey key{};
  ParseHex(hex, key.data(), key.size());
  return key;
}

}  // namespace test_support
