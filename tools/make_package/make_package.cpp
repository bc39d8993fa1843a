// Writes the pieces of a package into a folder and prints its manifest, each
// piece with its true CRC-32. The demo and the benchmarks serve what it makes.
//
//   make_package FOLDER BASE ITEM... > FOLDER/vlt_package.txt
//
//   NAME=SIZE                  a piece of SIZE random bytes, FOLDER/NAME
//   --series PREFIX COUNT SIZE COUNT such pieces, PREFIX0000.bin, PREFIX0001.bin, ...
//   NAME                       FOLDER/NAME as it already is (the installer, say)
//
// SIZE is in bytes, or with K, M or G for binary multiples. The random bytes
// come from a fixed seed, so the same command makes the same files, and a
// piece downloaded from an earlier package stays a good copy.

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr char kUsage[] =
    "usage: make_package FOLDER BASE ITEM... > manifest\n"
    "  NAME=SIZE                   SIZE random bytes into FOLDER/NAME (SIZE may end in K, M, G)\n"
    "  --series PREFIX COUNT SIZE  COUNT such pieces, PREFIX0000.bin, PREFIX0001.bin, ...\n"
    "  NAME                        FOLDER/NAME as it already is\n";

struct Piece {
  std::string name;
  std::optional<std::uint64_t> size;  // none: take the file that is there
};

std::optional<std::uint64_t> SizeOf(const std::string& text) {
  const std::size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
  if (digits == 0 || digits > 15) return {};
  const std::uint64_t number = std::stoull(text.substr(0, digits));
  const std::string unit = text.substr(digits);
  if (unit.empty()) return number;
  if (unit == "K") return number << 10;
  if (unit == "M") return number << 20;
  if (unit == "G") return number << 30;
  return {};
}

// A manifest token holds no white space, and the separator only once.
bool UsableName(const std::string& name) {
  return !name.empty() && name.find_first_of(" \t\r\n\v\f;/") == std::string::npos;
}

std::optional<std::vector<Piece>> PiecesOf(const std::vector<std::string>& items) {
  std::vector<Piece> pieces;
  for (std::size_t at = 0; at < items.size(); ++at) {
    const std::string& item = items[at];
    if (item == "--series") {
      if (at + 3 >= items.size()) return {};
      const std::string& prefix = items[at + 1];
      const std::optional<std::uint64_t> count = SizeOf(items[at + 2]);
      const std::optional<std::uint64_t> size = SizeOf(items[at + 3]);
      if (!UsableName(prefix) || !count || !size) return {};
      for (std::uint64_t index = 0; index < *count; ++index) {
        char number[24];
        std::snprintf(number, sizeof number, "%04llu", static_cast<unsigned long long>(index));
        pieces.push_back({prefix + number + ".bin", size});
      }
      at += 3;
      continue;
    }
    const std::size_t equals = item.find('=');
    Piece piece{item.substr(0, equals), std::nullopt};
    if (equals != std::string::npos) {
      piece.size = SizeOf(item.substr(equals + 1));
      if (!piece.size) return {};
    }
    if (!UsableName(piece.name)) return {};
    pieces.push_back(piece);
  }
  return pieces;
}

class CRandomBytes {
 public:
  CRandomBytes() : m_generator(12345), m_block(1 << 17) {}
  // The next block of random bytes, at most `wanted` long.
  std::pair<const char*, std::size_t> Next(std::uint64_t wanted) {
    for (auto& word : m_block) word = m_generator();
    const std::uint64_t whole = m_block.size() * sizeof(std::uint64_t);
    return {reinterpret_cast<const char*>(m_block.data()),
            static_cast<std::size_t>(std::min(wanted, whole))};
  }

 private:
  std::mt19937_64 m_generator;
  std::vector<std::uint64_t> m_block;
};

std::optional<uLong> WritePiece(const std::string& path, std::uint64_t size, CRandomBytes& random) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  uLong crc = crc32(0L, Z_NULL, 0);
  for (std::uint64_t written = 0; written < size && file;) {
    const auto [bytes, length] = random.Next(size - written);
    file.write(bytes, static_cast<std::streamsize>(length));
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(bytes), length);
    written += length;
  }
  file.close();
  if (!file) return {};
  return crc;
}

std::optional<uLong> ChecksumOf(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  std::vector<char> block(1 << 20);
  uLong crc = crc32(0L, Z_NULL, 0);
  while (file.read(block.data(), static_cast<std::streamsize>(block.size())) || file.gcount() > 0) {
    crc = crc32_z(crc, reinterpret_cast<const Bytef*>(block.data()),
                  static_cast<std::size_t>(file.gcount()));
  }
  if (file.bad()) return {};
  return crc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string folder = argv[1];
  const std::string base = argv[2];
  const std::optional<std::vector<Piece>> pieces =
      PiecesOf(std::vector<std::string>(argv + 3, argv + argc));
  if (!pieces) {
    std::cerr << kUsage;
    return 2;
  }

  CRandomBytes random;
  std::string manifest = base + "\r\n" + std::to_string(pieces->size()) + "\r\n";
  for (const Piece& piece : *pieces) {
    const std::string path = folder + "/" + piece.name;
    const std::optional<uLong> crc =
        piece.size ? WritePiece(path, *piece.size, random) : ChecksumOf(path);
    if (!crc) {
      std::cerr << "make_package: cannot " << (piece.size ? "write " : "read ") << path << "\n";
      return 1;
    }
    manifest += piece.name + ";" + std::to_string(*crc) + "\r\n";
  }
  std::cout << manifest;
  return std::cout.flush() ? 0 : 1;
}
