// A publisher who signs the package, and someone on the way who changes it:
// whoever serves the manifest and the pieces, the program built with the
// publisher's key starts only what the publisher signed. Run on the Linux
// program and on each Windows program under wine; VELTRA_SIGNED_SUITE names
// the suite for each.

#include <sys/stat.h>

#include <boost/filesystem.hpp>
#include <functional>

#include "tests/e2e/e2e_harness.h"
#include "tests/support/forged_crc.h"

namespace e2e {
namespace {

class VELTRA_SIGNED_SUITE : public E2eTest {
 protected:
  VELTRA_SIGNED_SUITE() { m_build = ProgramBuild::Signed; }

  std::vector<Piece> Pieces() const {
    return {DataPiece("Veltra.part1", 300 * 1024, 61), Piece{kInstallerName, InstallerProgram()}};
  }
  // Another program that runs as well as the installer, under its name, with
  // a CRC-32 forged to the manifest's.
  static Piece Forged(const Piece& installer) {
    return Piece{installer.name, test_support::ForgedToCrc(installer.body + "\nanother program\n",
                                                           test_support::Crc32Of(installer.body))};
  }
  bool InstallerRan() const { return FileExists(Work() + kInstallerRanFile); }
};

// An earlier run left a forged installer in the download folder: it is
// fetched again, and the publisher's is the one started.
TEST_F(VELTRA_SIGNED_SUITE, ASignedPackageStartsItsInstallerAndAForgedOneOnDiskIsReplaced) {
  const Piece forged = Forged(Pieces()[1]);
  ASSERT_EQ(forged.Crc(), Pieces()[1].Crc());
  boost::filesystem::create_directories(DownloadFolder());
  chmod(DownloadFolder().c_str(), 0700);
  WriteFile(DownloadFolder() + kInstallerName, forged.body);
  const std::vector<Piece> served = PublishSigned(Pieces());

  ASSERT_TRUE(LaunchToStartButton());
  EXPECT_EQ(PieceRequests(), GetsOf(served)) << "the list first, then every piece";
  EXPECT_TRUE(AllPiecesIntact(served));
  ClickStart();
  EXPECT_EQ(WaitForExit(10), 0) << ProgramStory();
  EXPECT_TRUE(PollUntil(
      30, [&] { return InstallerRan(); }, 100))
      << "the installer did not run";
}

TEST_F(VELTRA_SIGNED_SUITE, AnInstallerWithAForgedCrcIsNeverStarted) {
  const std::vector<Piece> served = PublishSigned(Pieces());
  test_support::Route forged;
  forged.body = Forged(served.back()).body;
  ServePiece(kInstallerName, forged);  // the manifest unchanged

  ASSERT_TRUE(Launch());
  EXPECT_TRUE(BoxThenExit(*this, kPackageDataText));
  SleepMs(500);
  EXPECT_FALSE(InstallerRan()) << "the forged installer was started";
}

// The list missing, changed by one byte (its CRC-32 in the manifest changed
// too), or signed with another key: nothing but the list is fetched.
TEST_F(VELTRA_SIGNED_SUITE, WithoutTheKeysListNoOtherPieceIsFetched) {
  const std::vector<Piece> signed_ = PublishSigned(Pieces());
  Piece changed = signed_[0];
  changed.body[5] = changed.body[5] == 'a' ? 'b' : 'a';
  struct Case {
    const char* what;
    std::function<void()> publish;
  } cases[] = {
      {"no list", [&] { Publish(Pieces()); }},
      {"one byte changed",
       [&] {
         Publish({changed, signed_[1], signed_[2]});
       }},
      {"another key", [&] { PublishSigned(Pieces(), "other_package_key"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    boost::filesystem::remove_all(DownloadFolder());
    const std::size_t asked = PieceRequests().size();
    c.publish();
    ASSERT_TRUE(Launch());
    EXPECT_TRUE(BoxThenExit(*this, kPackageDataText));
    for (const std::string& request : PieceRequests(asked)) {
      EXPECT_EQ(request, GetsOf({signed_[0]}).front());
    }
    EXPECT_FALSE(FileExists(DownloadFolder() + kInstallerName));
    KillProgram();
  }
  EXPECT_FALSE(InstallerRan());
}

}  // namespace
}  // namespace e2e
