#include "signed_list.h"

#include "package_signing.h"

const char kSignedListName[] = "vlt_package.sig";

namespace {

constexpr char kSignatureLead[] = "signature ";
constexpr std::size_t kSignatureLine = sizeof kSignatureLead - 1 + 128 + 1;

}  // namespace

std::string SignedList(const std::vector<ListedPiece>& pieces, EVP_PKEY* key, std::string& error) {
  std::string list;
  for (const ListedPiece& piece : pieces) list += piece.sha256 + " " + piece.name + "\n";
  if (list.size() + kSignatureLine > kSignedListLargest) {
    error = "the signed list would take " + std::to_string(list.size() + kSignatureLine) +
            " bytes, more than the program reads";
    return {};
  }
  const std::string signature = SignatureHex(key, list, error);
  if (signature.empty()) return {};
  return list + kSignatureLead + signature + "\n";
}
