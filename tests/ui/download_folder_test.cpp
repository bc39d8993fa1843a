// Where the pieces go: a private "Kelpa" folder in the temporary folder, or
// the temporary folder itself when "Kelpa" cannot be made or is not private;
// and nothing at all when no private folder remains.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <cstdlib>
#include <functional>

#include "engine/download_globals.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_http_server.h"
#include "tests/ui/box_dismisser.h"
#include "tests/ui/dialog_fixture.h"
#include "ui/download_folder.h"
#include "ui/screen_text.h"
#include "ui/ui_texts.h"

namespace {

unsigned ModeOf(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0u;
}

class DownloadFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_saved = std::getenv("TMPDIR");
    // Private whatever the umask, as a user's own temporary folder is.
    chmod(m_temp.Folder().c_str(), 0700);
    setenv("TMPDIR", m_temp.Folder().c_str(), 1);
  }
  void TearDown() override {
    setenv("TMPDIR", m_saved.c_str(), 1);
    chmod(m_temp.PathOf("Kelpa").c_str(), 0700);
  }
  void MakeKelpa(unsigned mode) {
    ASSERT_EQ(mkdir(m_temp.PathOf("Kelpa").c_str(), 0700), 0);
    m_temp.Write("Kelpa/VeltraSetup.exe", "planted");
    ASSERT_EQ(chmod(m_temp.PathOf("Kelpa").c_str(), mode), 0);
  }

  test_support::ScratchFolder m_temp;
  std::string m_saved;
};

TEST_F(DownloadFolderTest, MakesAPrivateKelpaAndReusesIt) {
  EXPECT_EQ(PrepareDownloadFolder(), m_temp.Folder() + "Kelpa/");
  EXPECT_EQ(ModeOf(m_temp.PathOf("Kelpa")), 0700u);
  m_temp.Write("Kelpa/piece.bin", "kept");
  EXPECT_EQ(PrepareDownloadFolder(), m_temp.Folder() + "Kelpa/");
  EXPECT_EQ(m_temp.Read("Kelpa/piece.bin"), "kept");
}

// In a folder every user shares, as /tmp is, our own "Kelpa" is still ours.
TEST_F(DownloadFolderTest, OwnKelpaInASharedFolderIsUsed) {
  ASSERT_EQ(chmod(m_temp.Folder().c_str(), 01777), 0);
  EXPECT_EQ(PrepareDownloadFolder(), m_temp.Folder() + "Kelpa/");
  EXPECT_EQ(ModeOf(m_temp.PathOf("Kelpa")), 0700u);
  chmod(m_temp.Folder().c_str(), 0700);
}

// A "Kelpa" that is not private is left exactly as found, and never used:
// the pieces go to the temporary folder itself while that one is private, and
// nowhere when it is shared.
TEST_F(DownloadFolderTest, KelpaThatIsNotPrivateIsNeverUsedNorChanged) {
  struct Case {
    const char* what;
    std::function<void()> plant;
    unsigned foundMode;
  } cases[] = {
      {"a file", [&] { m_temp.Write("Kelpa", "not a folder"); }, 0},
      {"world-writable", [&] { MakeKelpa(0777); }, 0777},
      {"sticky and world-writable", [&] { MakeKelpa(01777); }, 01777},
      {"group-writable", [&] { MakeKelpa(0770); }, 0770},
      {"a link to a private folder",
       [&] {
         ASSERT_EQ(mkdir(m_temp.PathOf("elsewhere").c_str(), 0700), 0);
         m_temp.Write("elsewhere/VeltraSetup.exe", "planted");
         ASSERT_EQ(symlink(m_temp.PathOf("elsewhere").c_str(), m_temp.PathOf("Kelpa").c_str()), 0);
       },
       0},
  };
  for (const Case& c : cases) {
    boost::filesystem::remove_all(m_temp.PathOf("Kelpa"));
    boost::filesystem::remove_all(m_temp.PathOf("elsewhere"));
    c.plant();
    const unsigned before = ModeOf(m_temp.PathOf("Kelpa"));

    ASSERT_EQ(chmod(m_temp.Folder().c_str(), 0700), 0);
    EXPECT_EQ(PrepareDownloadFolder(), m_temp.Folder()) << c.what;
    ASSERT_EQ(chmod(m_temp.Folder().c_str(), 01777), 0);
    EXPECT_EQ(PrepareDownloadFolder(), "") << c.what;
    ASSERT_EQ(chmod(m_temp.Folder().c_str(), 0700), 0);

    EXPECT_EQ(ModeOf(m_temp.PathOf("Kelpa")), before) << c.what;
    if (c.foundMode != 0) {
      EXPECT_EQ(before, c.foundMode) << c.what;
      EXPECT_EQ(m_temp.Read("Kelpa/VeltraSetup.exe"), "planted") << c.what;
    }
  }
}

TEST_F(DownloadFolderTest, AnotherUsersKelpaIsNeverUsed) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user (chown)";
  MakeKelpa(0755);
  ASSERT_EQ(chown(m_temp.PathOf("Kelpa").c_str(), 65534, 65534), 0);
  EXPECT_EQ(PrepareDownloadFolder(), m_temp.Folder());
  ASSERT_EQ(chmod(m_temp.Folder().c_str(), 01777), 0);
  EXPECT_EQ(PrepareDownloadFolder(), "");
  chmod(m_temp.Folder().c_str(), 0700);
  struct stat info {};
  ASSERT_EQ(lstat(m_temp.PathOf("Kelpa").c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(m_temp.Read("Kelpa/VeltraSetup.exe"), "planted");
  ASSERT_EQ(chown(m_temp.PathOf("Kelpa").c_str(), geteuid(), getegid()), 0);
}

// With no private folder left the program fetches nothing, reads and writes
// nothing in the folder, shows the file-write box and ends with -1.
TEST_F(DownloadFolderTest, NoPrivateFolderShowsTheFileWriteBoxAndEndsWithMinusOne) {
  MakeKelpa(0777);
  ASSERT_EQ(chmod(m_temp.Folder().c_str(), 01777), 0);
  test_support::TestHttpServer server;
  test_support::Route manifest;
  manifest.body = server.Url("/pieces") + "\r\n1\r\nVeltraSetup.exe;0\r\n";
  server.SetRoute("/vltsetup_palamut/vlt_package.txt", manifest);
  const std::string url = server.Url("/vltsetup_palamut/vlt_package.txt");
  g_szManifestUrl = url.c_str();

  CMainDlg dialog;
  ASSERT_NE(dialog.Create(nullptr, 0), nullptr);
  ui_test::BoxDismisser dismisser;
  CMessageLoop loop;
  EXPECT_EQ(loop.Run(), -1);
  chmod(m_temp.Folder().c_str(), 0700);

  ASSERT_EQ(dismisser.Seen().size(), 1u);
  EXPECT_EQ(dismisser.Seen()[0].caption, "Hata");
  EXPECT_EQ(dismisser.Seen()[0].text,
            QString::fromStdU16String(ScreenText(kFileWriteErrorText)).toStdString());
  EXPECT_EQ(server.RequestCount("/vltsetup_palamut/vlt_package.txt"), 0);
  EXPECT_EQ(m_temp.Read("Kelpa/VeltraSetup.exe"), "planted");
  EXPECT_EQ(ModeOf(m_temp.PathOf("Kelpa")), 0777u);
  EXPECT_TRUE(g_strTempDir.empty());
}

}  // namespace
