#pragma once
// The package manifest: a base address, a piece count and one "name;crc" token
// per piece, separated by white space.

#include <cstdint>
#include <list>
#include <optional>
#include <string>

struct PieceEntry {
  std::string name;
  std::string crc;  // decimal text as written in the manifest
  bool complete = false;
};

struct PackageManifest {
  std::string baseUrl;
  std::int32_t totalPieces = 0;
  std::list<PieceEntry> entries;
  std::string installerName;
};

// No value means corrupt package data: fewer than three tokens, a piece token
// without exactly one ";", or a piece name the program will not store
// (IsSafePieceName).
std::optional<PackageManifest> ParseManifest(const std::string& text);

// The checksum text as the piece check compares it: decimal, one optional
// sign ("-" negates modulo 2^32), at most 32 bits. False when it is not one.
bool ParseChecksum(const std::string& text, std::uint32_t& value);
