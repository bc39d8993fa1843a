// A player's download from start to end: fresh, again, repaired, resumed.

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

using Download = E2eTest;

std::vector<Piece> SeveralPieces() {
  return {DataPiece("Veltra.part1", 900 * 1024, 1), DataPiece("Veltra.part2", 300 * 1024, 2),
          StandInInstaller(), DataPiece("Veltra.part3", 1, 3),
          DataPiece("Veltra.part4", 2 * 1024 * 1024 + 17, 4)};
}

std::vector<std::string> GetsOf(const std::vector<Piece>& pieces) {
  std::vector<std::string> gets;
  for (const Piece& piece : pieces) gets.push_back(std::string("GET ") + kPiecesPath + "/" + piece.name);
  return gets;
}

TEST_F(Download, FreshDownloadEndsAtTheStartButtonWhichStartsTheInstaller) {
  const std::vector<Piece> pieces = SeveralPieces();
  Publish(pieces);
  StartProgram();
  ASSERT_FALSE(WaitForWindow().empty()) << "no window";
  ASSERT_TRUE(WaitForStartButton(60)) << "the start button never showed";
  EXPECT_TRUE(AllPiecesIntact(pieces));
  // One whole GET per piece, in manifest order, never a resumed one.
  EXPECT_EQ(PieceRequests(), GetsOf(pieces));
  for (const test_support::RecordedRequest& request : m_package->Requests()) {
    EXPECT_FALSE(request.HasHeader("Range")) << request.target;
  }
  EXPECT_EQ(ManifestRequests(), 1);
  EXPECT_EQ(m_promo->RequestCount(kPromoPath), 1);
  EXPECT_TRUE(InstallerRecordText().empty()) << "started before the button";

  ClickStart();
  EXPECT_EQ(WaitForExit(10), 0);
  ASSERT_TRUE(WaitForInstallerRecord(10)) << "the installer did not run";
  EXPECT_EQ(InstallerRecordText(), "arguments: 0\nfolder: " + Work().substr(0, Work().size() - 1) +
                                       "\nprogram: " + DownloadFolder() + kInstallerName + "\n");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Download, SecondRunAsksOnlyForTheManifestAndShowsTheStartButton) {
  const std::vector<Piece> pieces = SeveralPieces();
  Publish(pieces);
  StartProgram();
  ASSERT_FALSE(WaitForWindow().empty());
  ASSERT_TRUE(WaitForStartButton(60));
  ClickClose();
  ASSERT_EQ(WaitForExit(10), 0);
  const std::size_t firstRun = m_package->Requests().size();

  StartProgram();
  ASSERT_FALSE(WaitForWindow().empty());
  ASSERT_TRUE(WaitForStartButton(30));
  const std::vector<test_support::RecordedRequest> requests = m_package->Requests();
  ASSERT_EQ(requests.size(), firstRun + 1);
  EXPECT_EQ(requests.back().target, kManifestPath);
  EXPECT_TRUE(AllPiecesIntact(pieces));
  ClickStart();
  EXPECT_EQ(WaitForExit(10), 0);
  EXPECT_TRUE(WaitForInstallerRecord(10));
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

  StartProgram();
  ASSERT_FALSE(WaitForWindow().empty());
  ASSERT_TRUE(WaitForStartButton(60));
  EXPECT_EQ(PieceRequests(), GetsOf({pieces[0], pieces[3]}));
  EXPECT_TRUE(AllPiecesIntact(pieces));
  ClickClose();
  EXPECT_EQ(WaitForExit(10), 0);
}

}  // namespace
}  // namespace e2e
