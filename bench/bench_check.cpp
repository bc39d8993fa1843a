// One pass of the piece check over present pieces, or of zlib's crc32() over
// the same files read through std::ifstream in blocks of BLOCK bytes (by
// default the check's own block size). check-signed runs the check as a
// program built with the key in KEY.hex does: the signed list first, then
// every piece's CRC-32 and SHA-256. Prints the seconds it took and the
// bytes; `bench_check --block-size` prints that default.
// The files should be in the page cache.
//   bench_check FOLDER/ MANIFEST check|zlib [BLOCK]
//   bench_check FOLDER/ MANIFEST check-signed KEY.hex

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

#include "bench/package_key_file.h"
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

// The engine's check over the entries, as the worker runs it. With a key
// the list is one of the entries and must count too.
void EngineCheck(const std::string& folder, std::list<PieceEntry>& entries,
                 const std::optional<P256PublicKey>& key) {
  test_support::RecordedEngine run;
  run.engine.m_packageKey = key;
  // The worker makes this from the key before its check; the check alone
  // needs it made here.
  if (key) run.engine.m_acceptance = CPieceAcceptance(*key, entries);
  run.engine.CheckExistingPieces(folder.c_str(), entries);
}

// The bytes of the checked pieces, or nothing when one did not count.
std::optional<std::uint64_t> CheckedBytes(const std::string& folder,
                                          const std::list<PieceEntry>& entries) {
  std::uint64_t bytes = 0;
  for (const PieceEntry& entry : entries) {
    if (!entry.complete) {
      std::cerr << entry.name << " did not match\n";
      return std::nullopt;
    }
    bytes += std::filesystem::file_size(folder + entry.name);
  }
  return bytes;
}

int Usage() {
  std::cerr << "usage: bench_check FOLDER/ MANIFEST check|zlib [BLOCK]\n"
               "       bench_check FOLDER/ MANIFEST check-signed KEY.hex\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--block-size") == 0) {
    std::printf("%zu\n", CCrc32Static::kStreamBlockSize);
    return 0;
  }
  if (argc != 4 && argc != 5) return Usage();
  const std::string folder = argv[1];
  std::ifstream manifestFile(argv[2]);
  std::stringstream text;
  text << manifestFile.rdbuf();
  const auto plan = ParseManifest(text.str());
  if (!plan) return 1;
  const std::string mode = argv[3];
  const bool zlib = mode == "zlib";
  const bool signedCheck = mode == "check-signed";
  if (!zlib && !signedCheck && mode != "check") return Usage();
  if (signedCheck && argc != 5) return Usage();
  const std::optional<P256PublicKey> key =
      signedCheck ? ReadPackageKey(argv[4]) : std::optional<P256PublicKey>();
  if (signedCheck && !key) {
    std::cerr << argv[4] << " holds no package key\n";
    return 2;
  }
  const std::size_t blockSize =
      argc == 5 && zlib ? std::strtoull(argv[4], nullptr, 10) : CCrc32Static::kStreamBlockSize;
  if (blockSize == 0) return 2;

  std::list<PieceEntry> entries = plan->entries;
  std::optional<std::uint64_t> bytes;
  const auto start = std::chrono::steady_clock::now();
  if (zlib) {
    bytes = ZlibOverFiles(folder, entries, blockSize);
  } else {
    EngineCheck(folder, entries, key);
  }
  const double seconds = Seconds(start);
  if (!zlib) bytes = CheckedBytes(folder, entries);
  if (!bytes) return 1;
  std::printf("%.4f %llu\n", seconds, static_cast<unsigned long long>(*bytes));
  return 0;
}
