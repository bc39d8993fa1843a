// Which folders the program may keep its pieces in: only one of its own that
// nobody else can write into, reached without a link.

#include "platform/win32/private_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "tests/support/scratch_folder.h"

namespace {

unsigned ModeOf(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0u;
}

struct ModeCase {
  unsigned mode;
  bool usable;
};

const ModeCase kModes[] = {
    {0700, true},  {0750, true},  {0755, true},  {0500, true},   {0770, false},
    {0730, false}, {0702, false}, {0777, false}, {01777, false},  // sticky, like /tmp: others still
                                                                  // add files
};

TEST(PrivateFolder, OnlyTheOwnerMayWriteIntoIt) {
  test_support::ScratchFolder folder;
  const std::string path = folder.PathOf("Kelpa");
  ASSERT_TRUE(CreatePrivateFolder(path));
  for (const ModeCase& mode : kModes) {
    ASSERT_EQ(chmod(path.c_str(), mode.mode), 0);
    EXPECT_EQ(IsPrivateFolder(path), mode.usable) << std::oct << mode.mode;
    EXPECT_EQ(IsPrivateFolder(path + "/"), mode.usable) << std::oct << mode.mode;
  }
  chmod(path.c_str(), 0700);
}

TEST(PrivateFolder, LinksFilesAndMissingFoldersAreNotUsed) {
  test_support::ScratchFolder folder;
  ASSERT_TRUE(CreatePrivateFolder(folder.PathOf("own")));
  ASSERT_EQ(symlink(folder.PathOf("own").c_str(), folder.PathOf("link").c_str()), 0);
  folder.Write("file", "x");
  EXPECT_TRUE(IsPrivateFolder(folder.PathOf("own")));
  for (const char* name : {"link", "link/", "link//", "file", "missing", ""}) {
    EXPECT_FALSE(IsPrivateFolder(name[0] == '\0' ? std::string() : folder.PathOf(name))) << name;
  }
}

TEST(PrivateFolder, MadeWithMode0700AndNeverOverAnExistingOne) {
  test_support::ScratchFolder folder;
  const std::string path = folder.PathOf("Kelpa");
  ASSERT_TRUE(CreatePrivateFolder(path + "/"));
  EXPECT_EQ(ModeOf(path), 0700u);
  ASSERT_EQ(chmod(path.c_str(), 0777), 0);
  EXPECT_FALSE(CreatePrivateFolder(path));
  EXPECT_EQ(ModeOf(path), 0777u);  // found as it was, and left so
  EXPECT_FALSE(CreatePrivateFolder(folder.PathOf("missing/Kelpa")));
  chmod(path.c_str(), 0700);
}

// Another user's folder, however its mode reads.
TEST(PrivateFolder, AnotherUsersFolderIsNotUsed) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "needs root to give a folder to another user (chown)";
  }
  test_support::ScratchFolder folder;
  const std::string path = folder.PathOf("Kelpa");
  ASSERT_TRUE(CreatePrivateFolder(path));
  ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
  EXPECT_FALSE(IsPrivateFolder(path));
  ASSERT_EQ(chown(path.c_str(), geteuid(), getegid()), 0);
  EXPECT_TRUE(IsPrivateFolder(path));
}

}  // namespace
