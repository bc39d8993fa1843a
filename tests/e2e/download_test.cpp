// A player's download from start to end: fresh, again, repaired, resumed.

#include <signal.h>
#include <sys/stat.h>

#include <boost/filesystem.hpp>
#include <fstream>
#include <sstream>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

using Download = E2eTest;

// The nice values of the program's child processes, from /proc.
std::vector<int> ChildNiceValues(pid_t parent) {
  std::vector<int> values;
  for (const auto& entry : boost::filesystem::directory_iterator("/proc")) {
    std::ifstream stat((entry.path() / "stat").string());
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
    // After "pid (name)": state ppid and fifteen more fields, then nice.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    std::vector<std::string> after;
    while (after.size() < 17 && fields >> field) after.push_back(field);
    if (after.size() == 17 && std::stoi(after[1]) == parent) values.push_back(std::stoi(after[16]));
  }
  return values;
}

std::vector<Piece> SeveralPieces() {
  return {DataPiece("Veltra.part1", 900 * 1024, 1), DataPiece("Veltra.part2", 300 * 1024, 2),
          StandInInstaller(), DataPiece("Veltra.part3", 1, 3),
          DataPiece("Veltra.part4", 2 * 1024 * 1024 + 17, 4)};
}

TEST_F(Download, FreshDownloadEndsAtTheStartButtonWhichStartsTheInstaller) {
  const std::vector<Piece> pieces = SeveralPieces();
  Publish(pieces);
  ASSERT_TRUE(LaunchToStartButton());
  EXPECT_TRUE(AllPiecesIntact(pieces));
  // One whole GET per piece, in manifest order, never a resumed one.
  EXPECT_EQ(PieceRequests(), GetsOf(pieces));
  for (const test_support::RecordedRequest& request : m_package->Requests()) {
    EXPECT_FALSE(request.HasHeader("Range")) << request.target;
  }
  EXPECT_EQ(ManifestRequests(), 1);
  EXPECT_EQ(m_promo->RequestCount(kPromoPath), 1);
  EXPECT_TRUE(InstallerRecordText().empty()) << "started before the button";
  // The page's processes yield to the download.
  const std::vector<int> pageNice = ChildNiceValues(m_program.Pid());
  EXPECT_FALSE(pageNice.empty());
  for (const int nice : pageNice) EXPECT_GE(nice, 10);

  ASSERT_TRUE(StartInstaller());
  EXPECT_EQ(InstallerRecordText(), "arguments: 0\nfolder: " + Work().substr(0, Work().size() - 1) +
                                       "\nprogram: " + DownloadFolder() + kInstallerName + "\n");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Download, SecondRunAsksOnlyForTheManifestAndShowsTheStartButton) {
  const std::vector<Piece> pieces = SeveralPieces();
  Publish(pieces);
  ASSERT_TRUE(LaunchToStartButton());
  ClickClose();
  ASSERT_EQ(WaitForExit(10), 0);
  const std::size_t firstRun = m_package->Requests().size();

  ASSERT_TRUE(Launch());
  ASSERT_TRUE(WaitForStartButton(30));
  const std::vector<test_support::RecordedRequest> requests = m_package->Requests();
  ASSERT_EQ(requests.size(), firstRun + 1);
  EXPECT_EQ(requests.back().target, kManifestPath);
  EXPECT_TRUE(AllPiecesIntact(pieces));
  EXPECT_TRUE(StartInstaller());
}

TEST_F(Download, OnlyTheDamagedAndTheMissingPieceAreFetched) {
  const std::vector<Piece> pieces = SeveralPieces();
  Publish(pieces);
  boost::filesystem::create_directories(DownloadFolder());
  chmod(DownloadFolder().c_str(), 0700);
  for (const Piece& piece : pieces) WriteFile(DownloadFolder() + piece.name, piece.body);
  std::string damaged = pieces[0].body;
  damaged[4096] ^= 0x01;
  WriteFile(DownloadFolder() + pieces[0].name, damaged);
  boost::filesystem::remove(DownloadFolder() + pieces[3].name);

  ASSERT_TRUE(LaunchToStartButton());
  EXPECT_EQ(PieceRequests(), GetsOf({pieces[0], pieces[3]}));
  EXPECT_TRUE(AllPiecesIntact(pieces));
  ClickClose();
  EXPECT_EQ(WaitForExit(10), 0);
}

TEST_F(Download, KilledMidDownloadThenStartedAgainFinishesWithEveryChecksum) {
  const std::vector<Piece> pieces = SeveralPieces();
  Publish(pieces);
  for (const Piece& piece : pieces) {
    test_support::Route slow;
    slow.body = piece.body;
    slow.bytesPerSecond = 1024 * 1024;
    ServePiece(piece.name, slow);
  }
  ASSERT_TRUE(Launch());
  // Killed in the middle of the first piece, with part of it on disk.
  ASSERT_TRUE(PollUntil(
      30, [&] { return ReadFile(DownloadFolder() + pieces[0].name).size() > 300 * 1024; }));
  m_program.Signal(SIGKILL);
  ASSERT_EQ(WaitForExit(5), 128 + SIGKILL);
  KillProgram();  // the browser engine's helpers too
  EXPECT_LT(ReadFile(DownloadFolder() + pieces[0].name).size(), pieces[0].body.size());

  Publish(pieces);
  ASSERT_TRUE(LaunchToStartButton());
  EXPECT_TRUE(AllPiecesIntact(pieces));
  EXPECT_TRUE(StartInstaller());
}

// The page is only a guest in the window: stalled or gone, the download runs
// the same, to the same requests and the same start.
TEST_F(Download, PromoServerStalledOrDownChangesNothing) {
  const std::vector<Piece> pieces = SeveralPieces();
  enum class Promo { Up, Stalled, Down };
  for (const Promo promo : {Promo::Up, Promo::Stalled, Promo::Down}) {
    SCOPED_TRACE(promo == Promo::Up        ? "page up"
                 : promo == Promo::Stalled ? "page stalled"
                                           : "page down");
    m_package.reset();
    m_package = std::make_unique<test_support::TestHttpServer>(kPackagePort);
    Publish(pieces);
    if (promo == Promo::Stalled) {
      test_support::Route stalled;
      stalled.body = "<html><body>late</body></html>";
      stalled.stallMs = 120000;
      m_promo->SetRoute(kPromoPath, stalled);
    }
    if (promo == Promo::Down) m_promo.reset();
    boost::filesystem::remove_all(DownloadFolder());
    boost::filesystem::remove(Work() + kInstallerRecord);

    ASSERT_TRUE(LaunchToStartButton());
    if (m_promo) {
      EXPECT_GE(m_promo->RequestCount(kPromoPath), 1);
    }
    EXPECT_EQ(PieceRequests(), GetsOf(pieces));
    EXPECT_TRUE(AllPiecesIntact(pieces));
    EXPECT_TRUE(StartInstaller());
  }
}

}  // namespace
}  // namespace e2e
