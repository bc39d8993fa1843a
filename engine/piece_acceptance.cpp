#include "engine/piece_acceptance.h"

#include "utility/crc32_fold.h"

namespace {

bool CrcMatches(const PieceEntry& entry, std::uint32_t crc) {
  std::uint32_t expected = 0;
  return ParseChecksum(entry.crc, expected) && expected == crc;
}

}  // namespace

CPieceAcceptance::CPieceAcceptance(const P256PublicKey& key, const std::list<PieceEntry>& entries)
    : m_key(key), m_entries(entries) {}

bool CPieceAcceptance::ListComesFirst() const {
  return !m_key || (!m_entries.empty() && m_entries.front().name == kSignedListName);
}

bool CPieceAcceptance::TakeList(const std::string& bytes) {
  if (!AwaitsList() || !ListComesFirst()) return false;
  if (!CrcMatches(m_entries.front(), Crc32Update(0, bytes.data(), bytes.size()))) return false;
  std::optional<SignedPieceList> list = ParseSignedPieceList(bytes);
  if (!list || !SignedBy(*list, *m_key) || !CoversExactly(*list, m_entries)) return false;
  m_list = std::move(list);
  return true;
}

bool CPieceAcceptance::Counts(const PieceEntry& entry, std::uint32_t crc,
                              const std::optional<Sha256Digest>& digest) const {
  if (AwaitsList() || !CrcMatches(entry, crc)) return false;
  if (!m_list) return true;
  const auto signed_ = m_list->digests.find(entry.name);
  return signed_ != m_list->digests.end() && digest && *digest == signed_->second;
}

std::optional<Sha256Digest> CPieceAcceptance::SignedDigestOf(const std::string& name) const {
  if (!m_list) return {};
  const auto found = m_list->digests.find(name);
  if (found == m_list->digests.end()) return {};
  return found->second;
}
