#pragma once
// Which piece counts as done; the worker asks here and nowhere else.
//
// Without the publisher's key, a piece whose bytes have the manifest's
// CRC-32, as the program has always taken it. With the key, nothing counts
// until the publisher's signed list does (engine/signed_piece_list.h): it
// must be the manifest's first piece, signed with the key and naming
// exactly the manifest's other pieces; after it, a piece counts only when
// its CRC-32 is the manifest's and its SHA-256 the one the list names.
// Worker thread; the window reads only what the worker hands it.

#include <list>
#include <optional>
#include <string>

#include "engine/package_manifest.h"
#include "engine/signed_piece_list.h"

class CPieceAcceptance {
 public:
  // The CRC-32 alone.
  CPieceAcceptance() = default;
  // The list first, then both checksums, for these entries of the manifest.
  CPieceAcceptance(const P256PublicKey& key, const std::list<PieceEntry>& entries);

  // A key and no list taken yet: only the list may be fetched or checked.
  bool AwaitsList() const { return m_key.has_value() && !m_list.has_value(); }
  // Every piece's SHA-256 is needed.
  bool WantsDigest() const { return m_list.has_value(); }
  // Whether the manifest can be the package the key signs: the list is its
  // first piece.
  bool ListComesFirst() const;

  // Takes the bytes as the package's list when they are the manifest's
  // first piece by its CRC-32, parse, carry the key's signature and name
  // exactly the manifest's other pieces.
  bool TakeList(const std::string& bytes);
  // A piece other than the list, by the checksums of its bytes (the digest
  // needed only when WantsDigest()).
  bool Counts(const PieceEntry& entry, std::uint32_t crc,
              const std::optional<Sha256Digest>& digest) const;
  // The SHA-256 the list names for a piece; none without a list.
  std::optional<Sha256Digest> SignedDigestOf(const std::string& name) const;

 private:
  std::optional<P256PublicKey> m_key;
  std::list<PieceEntry> m_entries;
  std::optional<SignedPieceList> m_list;
};
