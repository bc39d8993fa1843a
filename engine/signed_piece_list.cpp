#include "engine/signed_piece_list.h"

#include <set>

#include "utility/hex_text.h"

const char kSignedListName[] = "vlt_package.sig";

namespace {

const char kSignatureTag[] = "signature ";
constexpr std::size_t kDigestDigits = 2 * sizeof(Sha256Digest);

// "<digest> <name>": the name as the manifest may spell it, one token.
bool ReadPieceLine(const std::string& line, SignedPieceList& list) {
  if (line.size() < kDigestDigits + 2 || line[kDigestDigits] != ' ') return false;
  Sha256Digest digest{};
  if (!ParseHex(line.substr(0, kDigestDigits), digest.data(), digest.size())) return false;
  const std::string name = line.substr(kDigestDigits + 1);
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || byte == 0x7F || c == ';') return false;
  }
  if (name == kSignedListName) return false;
  return list.digests.emplace(name, digest).second;
}

bool ReadSignatureLine(const std::string& line, SignedPieceList& list) {
  const std::size_t tag = sizeof kSignatureTag - 1;
  return line.compare(0, tag, kSignatureTag) == 0 &&
         ParseHex(line.substr(tag), list.signature.data(), list.signature.size());
}

}  // namespace

std::optional<SignedPieceList> ParseSignedPieceList(const std::string& text) {
  if (text.size() > kSignedListLargest || text.find('\r') != std::string::npos) return {};
  SignedPieceList list;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) return {};
    const std::string line = text.substr(start, end - start);
    if (end + 1 == text.size()) {
      if (!ReadSignatureLine(line, list)) return {};
      list.signedPart = text.substr(0, start);
      return list;
    }
    if (!ReadPieceLine(line, list)) return {};
    start = end + 1;
  }
  return {};
}

bool SignedBy(const SignedPieceList& list, const P256PublicKey& key) {
  return VerifyP256Signature(key, list.signedPart.data(), list.signedPart.size(), list.signature);
}

bool CoversExactly(const SignedPieceList& list, const std::list<PieceEntry>& entries) {
  if (entries.empty()) return false;
  std::set<std::string> listed;
  for (auto entry = std::next(entries.begin()); entry != entries.end(); ++entry) {
    if (list.digests.count(entry->name) == 0) return false;
    listed.insert(entry->name);
  }
  return listed.size() == list.digests.size();
}
