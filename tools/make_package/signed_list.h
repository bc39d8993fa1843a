#pragma once
// The signed list: a piece of the package, listed first in its manifest,
// holding the SHA-256 of every other piece and the publisher's signature
// over those lines.
//
//   <64 lowercase hex digits> <name>\n    one line per other piece, in order
//   ...
//   signature <128 lowercase hex digits>\n
//
// The signature covers every byte before its own line.

#include <openssl/evp.h>

#include <cstddef>
#include <string>
#include <vector>

extern const char kSignedListName[];

// The program reads no larger list, so none is made.
constexpr std::size_t kSignedListLargest = 4 * 1024 * 1024;

struct ListedPiece {
  std::string name;
  std::string sha256;  // 64 lowercase hex digits
};

// The whole list, signed with `key`; empty, with `error` set, on failure.
std::string SignedList(const std::vector<ListedPiece>& pieces, EVP_PKEY* key, std::string& error);
