#include <gtest/gtest.h>

#include <string>

#include "engine/piece_file.h"
#include "tests/support/scratch_folder.h"

namespace {

// A signed piece's digest is taken as its blocks go to disk, on the file's
// own thread for most of a large piece: it must see every byte once, in
// order, whatever size the transfer's blocks are.
TEST(PieceFile, DigestSeesEveryByteWrittenInOrder) {
  test_support::ScratchFolder folder;
  std::string body(5 * 1024 * 1024 + 12345, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7 + i / 4093);
  for (const std::size_t block : {std::size_t{1}, std::size_t{16384}, std::size_t{700001}}) {
    SCOPED_TRACE(block);
    const std::size_t size = block == 1 ? 100000 : body.size();
    CSha256 digest;
    {
      CPieceFile file(folder.PathOf("piece"), &digest);
      ASSERT_TRUE(file.Opened());
      for (std::size_t at = 0; at < size; at += block) {
        file.write(body.data() + at, static_cast<std::streamsize>(std::min(block, size - at)));
      }
      ASSERT_TRUE(file.flush());
    }
    EXPECT_EQ(digest.Finish(), Sha256Of(body.data(), size));
    EXPECT_EQ(folder.Read("piece"), body.substr(0, size));
  }
}

}  // namespace
