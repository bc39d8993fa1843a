// The piece check over present pieces against zlib's crc32() over the same
// files read the same way (std::ifstream, 4096-byte blocks). The files must
// be in the page cache; each side runs ROUNDS times and the best is kept.
//   bench_check FOLDER/ MANIFEST ROUNDS

#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "engine/package_manifest.h"
#include "tests/support/recorded_engine.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::uint64_t ZlibOverFiles(const std::string& folder, const std::list<PieceEntry>& entries,
                            std::uint32_t& combined) {
  std::uint64_t bytes = 0;
  char block[4096];
  for (const PieceEntry& entry : entries) {
    std::ifstream file(folder + entry.name, std::ios::binary);
    uLong crc = crc32(0L, Z_NULL, 0);
    file.read(block, sizeof block);
    for (std::streamsize got = file.gcount(); got != 0; got = file.gcount()) {
      crc = crc32_z(crc, reinterpret_cast<const Bytef*>(block), static_cast<size_t>(got));
      bytes += static_cast<std::uint64_t>(got);
      file.read(block, sizeof block);
    }
    combined ^= static_cast<std::uint32_t>(crc);
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: bench_check FOLDER/ MANIFEST ROUNDS\n";
    return 2;
  }
  const std::string folder = argv[1];
  std::ifstream manifestFile(argv[2]);
  std::stringstream text;
  text << manifestFile.rdbuf();
  const auto plan = ParseManifest(text.str());
  if (!plan) return 1;
  const int rounds = std::atoi(argv[3]);

  test_support::RecordedEngine run;

  double bestCheck = 1e9;
  double bestZlib = 1e9;
  std::uint64_t bytes = 0;
  for (int round = 0; round < rounds; ++round) {
    std::list<PieceEntry> entries = plan->entries;
    auto start = std::chrono::steady_clock::now();
    run.engine.CheckExistingPieces(folder.c_str(), entries);
    bestCheck = std::min(bestCheck, Seconds(start));
    for (const PieceEntry& entry : entries) {
      if (!entry.complete) {
        std::cerr << entry.name << " did not match\n";
        return 1;
      }
    }
    std::uint32_t combined = 0;
    start = std::chrono::steady_clock::now();
    bytes = ZlibOverFiles(folder, entries, combined);
    bestZlib = std::min(bestZlib, Seconds(start));
  }
  const double gib = static_cast<double>(bytes) / 1e9;
  std::printf(
      "check %zu files %.2f GB: CheckExistingPieces %.2f GB/s, zlib crc32() %.2f GB/s, ratio "
      "%.2f\n",
      plan->entries.size(), gib, gib / bestCheck, gib / bestZlib, bestZlib / bestCheck);
  return 0;
}
