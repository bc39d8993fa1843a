#include "engine/piece_content.h"

#include "utility/crc32_fold.h"
#include "utility/crc32_static.h"
#include "utility/regular_file.h"

namespace {

// Others may go on reading and writing a piece meanwhile.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

PieceContent ReadWithDigest(const std::string& path) {
  PieceContent content;
  CSha256 digest;
  ReadRegularFileBlocks(path, CCrc32Static::kStreamBlockSize,
                        [&](const char* bytes, std::size_t length) {
                          content.crc = Crc32Update(content.crc, bytes, length);
                          digest.Update(bytes, length);
                        });
  content.digest = digest.Finish();
  return content;
}

}  // namespace

PieceContent ReadPieceContent(const std::string& path, bool withDigest) {
  if (withDigest) return ReadWithDigest(path);
  DWORD crc = 0;
  CCrc32Static::ComputeFileCrcStream(path.c_str(), crc);
  return PieceContent{crc, std::nullopt};
}

std::optional<std::string> ReadSmallPiece(const std::string& path, std::size_t largest) {
  const CRegularFile file(path, GENERIC_READ, kShareAll, OPEN_EXISTING);
  std::uint64_t size = 0;
  if (!file.IsOpen() || !CCrc32Static::QueryFileSize64(file.Get(), size) || size > largest) {
    return {};
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  DWORD got = 0;
  std::size_t done = 0;
  while (
      done < bytes.size() &&
      ReadFile(file.Get(), &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr) &&
      got > 0) {
    done += got;
  }
  if (done != bytes.size()) return {};
  return bytes;
}
