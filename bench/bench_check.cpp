// One pass of the piece check over present pieces, or of zlib's crc32() over
// the same files read through std::ifstream in blocks of BLOCK bytes (by
// default the check's own block size). Prints the seconds it took and the
// bytes; `bench_check --block-size` prints that default.
// The files should be in the page cache.
//   bench_check FOLDER/ MANIFEST check|zlib [BLOCK]

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/package_manifest.h"
#include "tests/support/recorded_engine.h"
#include "utility/crc32_static.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The bytes read, or nothing when a piece's CRC-32 differs from the manifest's,
// so this side does the check's whole work.
std::optional<std::uint64_t> ZlibOverFiles(const std::string& folder,
                                           const std::list<PieceEntry>& entries,
                                           std::size_t blockSize) {
  std::uint64_t bytes = 0;
  std::vector<char> buffer(blockSize);
  char* block = buffer.data();
  const std::streamsize size = static_cast<std::streamsize>(blockSize);
  for (const PieceEntry& entry : entries) {
    std::ifstream file(folder + entry.name, std::ios::binary);
    uLong crc = crc32(0L, Z_NULL, 0);
    file.read(block, size);
    for (std::streamsize got = file.gcount(); got != 0; got = file.gcount()) {
      crc = crc32_z(crc, reinterpret_cast<const Bytef*>(block), static_cast<size_t>(got));
      bytes += static_cast<std::uint64_t>(got);
      file.read(block, size);
    }
    if (std::to_string(crc) != entry.crc) {
      std::cerr << entry.name << " did not match\n";
      return std::nullopt;
    }
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--block-size") == 0) {
    std::printf("%zu\n", CCrc32Static::kStreamBlockSize);
    return 0;
  }
  if (argc != 4 && argc != 5) {
    std::cerr << "usage: bench_check FOLDER/ MANIFEST check|zlib [BLOCK]\n";
    return 2;
  }
  const std::string folder = argv[1];
  std::ifstream manifestFile(argv[2]);
  std::stringstream text;
  text << manifestFile.rdbuf();
  const auto plan = ParseManifest(text.str());
  if (!plan) return 1;
  const bool zlib = std::strcmp(argv[3], "zlib") == 0;
  const std::size_t blockSize =
      argc == 5 ? std::strtoull(argv[4], nullptr, 10) : CCrc32Static::kStreamBlockSize;
  if (blockSize == 0) return 2;

  std::list<PieceEntry> entries = plan->entries;
  std::uint64_t bytes = 0;
  const auto start = std::chrono::steady_clock::now();
  if (zlib) {
    const std::optional<std::uint64_t> read = ZlibOverFiles(folder, entries, blockSize);
    if (!read) return 1;
    bytes = *read;
  } else {
    test_support::RecordedEngine run;
    run.engine.CheckExistingPieces(folder.c_str(), entries);
  }
  const double seconds = Seconds(start);
  if (!zlib) {
    for (const PieceEntry& entry : entries) {
      if (!entry.complete) {
        std::cerr << entry.name << " did not match\n";
        return 1;
      }
      bytes += std::filesystem::file_size(folder + entry.name);
    }
  }
  std::printf("%.4f %llu\n", seconds, static_cast<unsigned long long>(bytes));
  return 0;
}
