// Which folders the program may keep its pieces in on Windows: only one of
// its own, reached without a link, that nobody else may write into.

#include "platform/win32/private_folder.h"

#include <aclapi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/support/planted_files.h"
#include "tests/support/scratch_folder.h"

namespace {

// Lets everyone add files to the folder, as a careless setup might.
DWORD OpenToEveryone(const std::string& path) {
  PACL current = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD result = GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                       nullptr, nullptr, &current, nullptr, &descriptor);
  if (result != ERROR_SUCCESS) return result;
  EXPLICIT_ACCESS_A entry{};
  entry.grfAccessPermissions = FILE_ADD_FILE | FILE_GENERIC_READ;
  entry.grfAccessMode = GRANT_ACCESS;
  entry.grfInheritance = NO_INHERITANCE;
  entry.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
  entry.Trustee.ptstrName = const_cast<char*>("Everyone");
  PACL widened = nullptr;
  result = SetEntriesInAclA(1, &entry, current, &widened);
  if (result == ERROR_SUCCESS) {
    result = SetNamedSecurityInfoA(const_cast<char*>(path.c_str()), SE_FILE_OBJECT,
                                   DACL_SECURITY_INFORMATION, nullptr, nullptr, widened, nullptr);
  }
  LocalFree(widened);
  LocalFree(descriptor);
  return result;
}

TEST(PrivateFolder, MadeForThisUserAloneAndNeverOverAnExistingOne) {
  test_support::ScratchFolder folder;
  const std::string path = folder.PathOf("Kelpa");
  ASSERT_TRUE(CreatePrivateFolder(path + "\\"));
  EXPECT_TRUE(IsPrivateFolder(path));
  EXPECT_TRUE(IsPrivateFolder(path + "\\"));
  EXPECT_TRUE(IsPrivateFolder(path + "/"));
  EXPECT_FALSE(CreatePrivateFolder(path));
  EXPECT_FALSE(CreatePrivateFolder(folder.PathOf("missing\\Kelpa")));
}

TEST(PrivateFolder, LinksFilesAndMissingFoldersAreNotUsed) {
  test_support::ScratchFolder folder;
  ASSERT_TRUE(CreatePrivateFolder(folder.PathOf("own")));
  folder.Write("file", "x");
  for (const char* name : {"file", "missing"}) EXPECT_FALSE(IsPrivateFolder(folder.PathOf(name)));
  EXPECT_FALSE(IsPrivateFolder(std::string()));
  const std::string refused =
      test_support::PlantFolderLink(folder.PathOf("own"), folder.PathOf("link"));
  if (!refused.empty()) GTEST_SKIP() << refused;
  EXPECT_FALSE(IsPrivateFolder(folder.PathOf("link")));
  EXPECT_FALSE(IsPrivateFolder(folder.PathOf("link") + "\\"));
}

TEST(PrivateFolder, OneOthersMayWriteIntoIsNotUsed) {
  test_support::ScratchFolder folder;
  const std::string path = folder.PathOf("Kelpa");
  ASSERT_TRUE(CreatePrivateFolder(path));
  ASSERT_EQ(OpenToEveryone(path), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(IsPrivateFolder(path));
}

}  // namespace
