#pragma once
// A piece file in the download folder read once: its CRC-32 and, when the
// package is signed, its SHA-256 in the same pass, so a signed package costs
// no second read. Only a regular file reached without a link is read (see
// utility/regular_file.h); any other name, or one that cannot be opened,
// reads as an empty file, as the piece check has always taken it. Any
// thread.

#include <cstdint>
#include <optional>
#include <string>

#include "utility/sha256_digest.h"

struct PieceContent {
  std::uint32_t crc = 0;
  std::optional<Sha256Digest> digest;  // only when asked for
};

PieceContent ReadPieceContent(const std::string& path, bool withDigest);

// The whole file, when it is a regular one of at most `largest` bytes.
std::optional<std::string> ReadSmallPiece(const std::string& path, std::size_t largest);
