// Writes COUNT pieces of SIZE random bytes named PREFIXnnnn into FOLDER and
// prints a manifest for them (base address BASE) with their true CRC-32.
//   bench_make_package FOLDER BASE PREFIX COUNT SIZE > manifest

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 6) {
    std::cerr << "usage: bench_make_package FOLDER BASE PREFIX COUNT SIZE\n";
    return 2;
  }
  const std::string folder = argv[1];
  const std::string base = argv[2];
  const std::string prefix = argv[3];
  const long count = std::atol(argv[4]);
  const std::size_t size = std::strtoull(argv[5], nullptr, 10);

  std::mt19937_64 generator(12345);
  std::vector<std::uint64_t> block(1 << 17);
  std::cout << base << "\n" << count << "\n";
  for (long index = 0; index < count; ++index) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%04ld.bin", prefix.c_str(), index);
    std::ofstream file(folder + "/" + name, std::ios::binary | std::ios::trunc);
    uLong crc = crc32(0L, Z_NULL, 0);
    for (std::size_t written = 0; written < size;) {
      for (auto& word : block) word = generator();
      const std::size_t chunk = std::min(size - written, block.size() * sizeof(std::uint64_t));
      const auto* bytes = reinterpret_cast<const char*>(block.data());
      file.write(bytes, static_cast<std::streamsize>(chunk));
      crc = crc32_z(crc, reinterpret_cast<const Bytef*>(bytes), chunk);
      written += chunk;
    }
    if (!file) {
      std::cerr << "cannot write " << name << "\n";
      return 1;
    }
    std::cout << name << ";" << crc << "\n";
  }
  return 0;
}
