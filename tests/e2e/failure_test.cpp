// What the player sees when the package, the server or the disk fails: one
// box with the right text, Enter, exit status 255, and a download folder
// that holds only what may be used again.

#include <curl/curl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <functional>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

using Failure = E2eTest;
using test_support::Route;

constexpr int kExitAfterBox = 255;

std::vector<Piece> ThreePieces() {
  return {DataPiece("Veltra.part1", 200 * 1024, 11), DataPiece("Veltra.part2", 400 * 1024, 12),
          StandInInstaller()};
}

TEST_F(Failure, UnusablePackageDataEndsWithTheCorruptDataBoxAndWritesNothing) {
  struct Case {
    const char* what;
    std::function<void(E2eTest&)> serve;
  } cases[] = {
      {"malformed manifest",
       [](E2eTest& t) { t.ServeManifest("http://127.0.0.1/ 2 Veltra.part1"); }},
      {"unreachable server", [](E2eTest& t) { t.m_package.reset(); }},
      {"piece name that climbs out",
       [](E2eTest& t) {
         std::vector<Piece> pieces = ThreePieces();
         pieces[1].name = "../x";
         t.Publish(pieces);
       }},
      {"piece name Windows would store as the one before it",
       [](E2eTest& t) {
         std::vector<Piece> pieces = ThreePieces();
         pieces[1].name = pieces[0].name + ".";
         t.Publish(pieces);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.serve(*this);
    ASSERT_TRUE(Launch());
    EXPECT_TRUE(BoxThenExit(*this, kPackageDataText));
    EXPECT_EQ(DownloadFolderListing(), std::vector<std::string>{});
    EXPECT_EQ(FolderNames(Tmp()), std::vector<std::string>{"Kelpa"});
    if (m_package) {
      EXPECT_EQ(PieceRequests(), std::vector<std::string>{});
    }
    EXPECT_TRUE(InstallerRecordText().empty());
    // The next row starts from a clean machine and a fresh server.
    boost::filesystem::remove_all(Tmp() + "Kelpa");
    m_package.reset();
    m_package = std::make_unique<test_support::TestHttpServer>(kPackagePort);
  }
}

TEST_F(Failure, CutPieceShowsTheConnectionBoxKeepsThePartAndIsFetchedAgain) {
  const std::vector<Piece> pieces = ThreePieces();
  Publish(pieces);
  Route cut;
  cut.body = pieces[1].body;
  cut.cutAfter = 100000;
  cut.cutCloses = true;
  ServePiece(pieces[1].name, cut);

  ASSERT_TRUE(Launch());
  EXPECT_TRUE(BoxThenExit(*this, ConnectionText(CURLE_PARTIAL_FILE)));
  EXPECT_EQ(ReadFile(DownloadFolder() + pieces[1].name), pieces[1].body.substr(0, 100000));
  EXPECT_FALSE(FileExists(DownloadFolder() + pieces[2].name));
  EXPECT_TRUE(InstallerRecordText().empty());

  Publish(pieces);
  const std::size_t firstRun = PieceRequests().size();
  ASSERT_TRUE(LaunchToStartButton());
  EXPECT_EQ(PieceRequests(firstRun), GetsOf({pieces[1], pieces[2]}));
  EXPECT_TRUE(AllPiecesIntact(pieces));
  EXPECT_TRUE(StartInstaller());
}

// A piece whose answer is not its bytes is never counted: the box, no start,
// and the next run asks for it again.
TEST_F(Failure, PieceThatIsNotItsBytesIsNeverCountedNorStarted) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 100 * 1024, 21), StandInInstaller()};
  const Piece& installer = pieces[1];
  struct Case {
    const char* what;
    Route route;
    std::string box;
  } cases[] = {
      {"404",
       [] {
         Route route;
         route.status = 404;
         route.body = "<html>404 error page</html>";
         return route;
       }(),
       ConnectionText(CURLE_HTTP_RETURNED_ERROR)},
      {"redirect",
       [] {
         Route route;
         route.redirectTo = "/elsewhere/VeltraSetup.exe";
         route.body = "<html>moved</html>";
         return route;
       }(),
       kPackageDataText},
      {"body failing its checksum",
       [&] {
         Route route;
         route.body = installer.body;
         route.body[5] ^= 0x20;
         return route;
       }(),
       kPackageDataText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Publish(pieces);
    ServePiece(installer.name, c.route);
    ASSERT_TRUE(Launch());
    EXPECT_TRUE(BoxThenExit(*this, c.box));
    EXPECT_TRUE(InstallerRecordText().empty());
    const std::string kept = ReadFile(DownloadFolder() + installer.name);
    EXPECT_NE(kept, installer.body);
    EXPECT_EQ(kept.find("error page"), std::string::npos) << "the error page was saved";

    // Served right, the next run fetches it again: it was not counted.
    Publish(pieces);
    const std::size_t before = PieceRequests().size();
    ASSERT_TRUE(LaunchToStartButton());
    EXPECT_EQ(PieceRequests(before), GetsOf({installer}));
    EXPECT_TRUE(AllPiecesIntact(pieces));
    ClickClose();
    EXPECT_EQ(WaitForExit(10), 0);
    EXPECT_TRUE(InstallerRecordText().empty());
    boost::filesystem::remove_all(DownloadFolder());
  }
  EXPECT_EQ(m_package->RequestCount("/elsewhere/VeltraSetup.exe"), 0);
}

// A download folder on a small tmpfs fills mid-piece.
TEST_F(Failure, FullDiskShowsTheWriteBoxThenTheConnectionBox) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  const std::string tmp = Tmp().substr(0, Tmp().size() - 1);
  if (RunTool({"mount", "-t", "tmpfs", "-o", "size=2m", "tmpfs", tmp}, EnvironmentWith({}))
          .status != 0) {
    GTEST_SKIP() << "mounting a tmpfs is not allowed here (a container without CAP_SYS_ADMIN?)";
  }
  struct Unmount {
    std::string folder;
    ~Unmount() { RunTool({"umount", "-l", folder}, EnvironmentWith({})); }
  } unmount{tmp};

  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 4 * 1024 * 1024, 31),
                                     StandInInstaller()};
  Publish(pieces);
  ASSERT_TRUE(Launch());
  ASSERT_TRUE(WaitForBox(40));
  // The write box comes first; the connection box follows on top of it.
  PollUntil(5, [&] { return Boxes().size() >= 2; });
  const std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  std::string top, below;
  for (const std::string& box : boxes) {
    (BoxSays(box, ConnectionText(CURLE_WRITE_ERROR)) ? top : below) = box;
  }
  ASSERT_FALSE(top.empty()) << "no box says " << ConnectionText(CURLE_WRITE_ERROR);
  ASSERT_FALSE(below.empty());
  // The write box is partly hidden under the other; its size tells its text.
  const std::optional<Image> writeBox = ReferenceBox(kFileWriteText);
  const std::optional<WindowPlace> place = Display().PlaceOf(below);
  ASSERT_TRUE(writeBox && place);
  EXPECT_EQ(place->width, writeBox->Width());
  EXPECT_EQ(place->height, writeBox->Height());

  PressEnterOn(top);
  EXPECT_EQ(WaitForExit(10), kExitAfterBox);
  EXPECT_TRUE(InstallerRecordText().empty());
}

// A display that cannot be opened ends the program with one line naming it
// and status 1: no signal, no core, nothing fetched.
TEST_F(Failure, ADisplayThatCannotBeOpenedIsSaidInOneLine) {
  Publish(ThreePieces());
  EXPECT_FALSE(Launch({{"DISPLAY", ":9999"}}));
  EXPECT_EQ(WaitForExit(20), 1);
  EXPECT_EQ(ReadFile(m_root.PathOf("program.log")), "veltra-setup: cannot open display :9999\n");
  EXPECT_EQ(ManifestRequests(), 0);
}

}  // namespace
}  // namespace e2e
