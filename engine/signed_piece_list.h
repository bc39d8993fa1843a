#pragma once
// The publisher's signed list of the package's pieces: a piece of its own,
// listed first in the manifest, holding the SHA-256 of every other piece.
//
//   <64 lowercase hex digits> <name>\n    one line per other piece
//   ...
//   signature <128 lowercase hex digits>\n
//
// The signature is ECDSA on P-256 over the SHA-256 of every byte before the
// signature line, r then s, 32 bytes each. A CRC-32 says nothing about who
// made a file (four chosen bytes give any file any CRC-32); the signature
// does, whoever serves the files. Values; any thread.

#include <list>
#include <map>
#include <optional>
#include <string>

#include "engine/package_manifest.h"
#include "utility/sha256_digest.h"
#include "utility/signature_check.h"

// The list's name in the manifest. It holds no ".exe", so it is never taken
// for the installer.
extern const char kSignedListName[];

// Large enough for many thousands of pieces; anything larger is no list of
// ours and is not read whole into memory.
constexpr std::size_t kSignedListLargest = 4 * 1024 * 1024;

struct SignedPieceList {
  std::map<std::string, Sha256Digest> digests;  // by piece name
  std::string signedPart;                       // the bytes the signature covers
  P256Signature signature{};
};

// No value when the text is not such a list: a line of another form, a
// name twice, the list's own name, a "\r" anywhere, no signature line or
// anything after it. The signature is not checked here.
std::optional<SignedPieceList> ParseSignedPieceList(const std::string& text);

// Whether the key signed the list.
bool SignedBy(const SignedPieceList& list, const P256PublicKey& key);

// Whether the list names exactly the manifest's pieces: every entry after
// the list's own (the first) has a line, and every line names an entry.
bool CoversExactly(const SignedPieceList& list, const std::list<PieceEntry>& entries);
