// Writes the pieces of a package into a folder and prints its manifest, each
// piece with its true CRC-32. The demo and the benchmarks serve what it makes.
//
//   make_package [--sign KEY.pem] FOLDER BASE ITEM... > FOLDER/vlt_package.txt
//   make_package --new-key KEY.pem
//   make_package --public-key KEY.pem
//
//   NAME=SIZE                  a piece of SIZE random bytes, FOLDER/NAME
//   --series PREFIX COUNT SIZE COUNT such pieces, PREFIX0000.bin, PREFIX0001.bin, ...
//   NAME                       FOLDER/NAME as it already is (the installer, say)
//
// SIZE is in bytes, or with K, M or G for binary multiples. The random bytes
// come from a fixed seed, so the same command makes the same files, and a
// piece downloaded from an earlier package stays a good copy.
//
// With --sign the package gets one more piece, FOLDER/vlt_package.sig, listed
// first: every other piece's SHA-256, signed with the publisher's P-256 key.
// --new-key makes such a key and --public-key prints its public half in the
// form the program is built with (-DPACKAGE_PUBLIC_KEY).

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "package_signing.h"
#include "piece_checksums.h"
#include "signed_list.h"

namespace {

constexpr char kUsage[] =
    "usage: make_package [--sign KEY.pem] FOLDER BASE ITEM... > manifest\n"
    "       make_package --new-key KEY.pem     a new P-256 key in a new file, mode 0600\n"
    "       make_package --public-key KEY.pem  its public key as the build takes it\n"
    "  NAME=SIZE                   SIZE random bytes into FOLDER/NAME (SIZE may end in K, M, G)\n"
    "  --series PREFIX COUNT SIZE  COUNT such pieces, PREFIX0000.bin, PREFIX0001.bin, ...\n"
    "  NAME                        FOLDER/NAME as it already is\n"
    "  --sign KEY.pem              also FOLDER/vlt_package.sig, the pieces' SHA-256 signed\n"
    "                              with KEY.pem, listed first\n";

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

bool WritePiece(const std::string& path, std::uint64_t size, CRandomBytes& random,
                CPieceChecksums& checksums) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  for (std::uint64_t written = 0; written < size && file;) {
    const auto [bytes, length] = random.Next(size - written);
    file.write(bytes, static_cast<std::streamsize>(length));
    checksums.Add(bytes, length);
    written += length;
  }
  file.close();
  return static_cast<bool>(file);
}

bool ReadPiece(const std::string& path, CPieceChecksums& checksums) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::vector<char> block(1 << 20);
  while (file.read(block.data(), static_cast<std::streamsize>(block.size())) || file.gcount() > 0) {
    checksums.Add(block.data(), static_cast<std::size_t>(file.gcount()));
  }
  return !file.bad();
}

struct MadePiece {
  std::string name;
  uLong crc;
  std::string sha256;  // empty unless signing
};

std::optional<std::vector<MadePiece>> MakePieces(const std::string& folder,
                                                 const std::vector<Piece>& pieces,
                                                 bool withSha256) {
  CRandomBytes random;
  std::vector<MadePiece> made;
  for (const Piece& piece : pieces) {
    const std::string path = folder + "/" + piece.name;
    CPieceChecksums checksums(withSha256);
    const bool done =
        piece.size ? WritePiece(path, *piece.size, random, checksums) : ReadPiece(path, checksums);
    const std::optional<std::string> sha256 = checksums.Sha256Hex();
    if (!done || !sha256) {
      std::cerr << "make_package: cannot " << (piece.size ? "write " : "read ") << path << "\n";
      return {};
    }
    made.push_back({piece.name, checksums.Crc32(), *sha256});
  }
  return made;
}

// The signed list names each piece once, and never itself.
bool ListableNames(const std::vector<Piece>& pieces) {
  std::set<std::string> names;
  for (const Piece& piece : pieces) {
    if (piece.name == kSignedListName || !names.insert(piece.name).second) {
      std::cerr << "make_package: a signed package cannot list " << piece.name
                << (piece.name == kSignedListName ? " as a piece of its own\n" : " twice\n");
      return false;
    }
  }
  return true;
}

// Writes FOLDER/vlt_package.sig and gives its CRC-32; a list that cannot
// be written whole is not left behind.
std::optional<uLong> WriteSignedList(const std::string& folder,
                                     const std::vector<MadePiece>& pieces, EVP_PKEY* key) {
  std::vector<ListedPiece> listed;
  for (const MadePiece& piece : pieces) listed.push_back({piece.name, piece.sha256});
  std::string error;
  const std::string list = SignedList(listed, key, error);
  if (list.empty()) {
    std::cerr << "make_package: " << error << "\n";
    return {};
  }
  const std::string path = folder + "/" + kSignedListName;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(list.data(), static_cast<std::streamsize>(list.size()));
  file.close();
  if (!file) {
    std::cerr << "make_package: cannot write " << path << "\n";
    std::remove(path.c_str());
    return {};
  }
  CPieceChecksums checksums(false);
  checksums.Add(list.data(), list.size());
  return checksums.Crc32();
}

int Usage() {
  std::cerr << kUsage;
  return 2;
}

int Failure(const std::string& error) {
  std::cerr << "make_package: " << error << "\n";
  return 1;
}

int NewKey(const std::string& path) {
  std::string error;
  return WriteNewKey(path, error) ? 0 : Failure(error);
}

int PrintPublicKey(const std::string& path) {
  std::string error;
  const PackageKey key = ReadKey(path, error);
  const std::string hex = key ? PublicKeyHex(key.get(), error) : std::string();
  if (hex.empty()) return Failure(error);
  std::cout << hex << "\n";
  return std::cout.flush() ? 0 : 1;
}

// The key is read before any piece is written, so a bad key leaves the
// folder as it was.
int MakePackage(const std::vector<std::string>& args, const std::optional<std::string>& keyPath) {
  if (args.size() < 3) return Usage();
  const std::string& folder = args[0];
  const std::string& base = args[1];
  const std::optional<std::vector<Piece>> pieces =
      PiecesOf(std::vector<std::string>(args.begin() + 2, args.end()));
  if (!pieces) return Usage();
  PackageKey key;
  if (keyPath) {
    if (!ListableNames(*pieces)) return 2;
    std::string error;
    key = ReadKey(*keyPath, error);
    if (!key) return Failure(error);
  }

  const std::optional<std::vector<MadePiece>> made = MakePieces(folder, *pieces, key != nullptr);
  if (!made) return 1;
  std::string manifest = base + "\r\n" + std::to_string(made->size() + (key ? 1 : 0)) + "\r\n";
  if (key) {
    const std::optional<uLong> listCrc = WriteSignedList(folder, *made, key.get());
    if (!listCrc) return 1;
    manifest += std::string(kSignedListName) + ";" + std::to_string(*listCrc) + "\r\n";
  }
  for (const MadePiece& piece : *made) {
    manifest += piece.name + ";" + std::to_string(piece.crc) + "\r\n";
  }
  std::cout << manifest;
  return std::cout.flush() ? 0 : 1;
}

}  // namespace

// A first argument that starts with "--" names a mode, never a folder.
int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string mode = args.empty() ? std::string() : args[0];
  if (mode == "--new-key" && args.size() == 2) return NewKey(args[1]);
  if (mode == "--public-key" && args.size() == 2) return PrintPublicKey(args[1]);
  if (mode == "--sign" && args.size() >= 2) {
    return MakePackage(std::vector<std::string>(args.begin() + 2, args.end()), args[1]);
  }
  if (mode.rfind("--", 0) == 0) return Usage();
  return MakePackage(args, std::nullopt);
}
