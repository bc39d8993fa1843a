// Where the pieces go: a "Kelpa" folder in the temporary folder, or the
// temporary folder itself when that name is taken by a file.

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <cstdlib>

#include "tests/support/scratch_folder.h"
#include "ui/download_folder.h"

namespace {

class DownloadFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_saved = std::getenv("TMPDIR");
    setenv("TMPDIR", m_temp.Folder().c_str(), 1);
  }
  void TearDown() override { setenv("TMPDIR", m_saved.c_str(), 1); }

  test_support::ScratchFolder m_temp;
  std::string m_saved;
};

TEST_F(DownloadFolderTest, MakesKelpaInTheTemporaryFolderAndReusesIt) {
  EXPECT_EQ(PrepareDownloadFolder(), m_temp.Folder() + "Kelpa/");
  EXPECT_TRUE(boost::filesystem::is_directory(m_temp.PathOf("Kelpa")));
  m_temp.Write("Kelpa/piece.bin", "kept");
  EXPECT_EQ(PrepareDownloadFolder(), m_temp.Folder() + "Kelpa/");
  EXPECT_EQ(m_temp.Read("Kelpa/piece.bin"), "kept");
}

TEST_F(DownloadFolderTest, FileNamedKelpaLeavesTheTemporaryFolderItself) {
  m_temp.Write("Kelpa", "not a folder");
  EXPECT_EQ(PrepareDownloadFolder(), m_temp.Folder());
  EXPECT_EQ(m_temp.Read("Kelpa"), "not a folder");
}

}  // namespace
