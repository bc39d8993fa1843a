// The close button ends the program at once whatever the network does: while
// data flows, while the manifest request stalls, while a piece stalls after
// its first byte.

#include <functional>

#include "tests/e2e/e2e_harness.h"

namespace e2e {
namespace {

using Close = E2eTest;
using test_support::Route;

constexpr double kCloseWithin = 2.0;

TEST_F(Close, CloseButtonEndsTheProgramPromptlyWhateverTheNetworkDoes) {
  const std::vector<Piece> pieces = {DataPiece("Veltra.part1", 8 * 1024 * 1024, 41),
                                     StandInInstaller()};
  const std::string pieceFile = pieces[0].name;
  struct Case {
    const char* what;
    std::function<void(E2eTest&)> serve;
    // The moment to press the button.
    std::function<bool(E2eTest&)> ready;
  } cases[] = {
      {"data flowing",
       [&](E2eTest& t) {
         t.Publish(pieces);
         Route slow;
         slow.body = pieces[0].body;
         slow.bytesPerSecond = 256 * 1024;
         t.ServePiece(pieceFile, slow);
       },
       [&](E2eTest& t) { return ReadFile(t.DownloadFolder() + pieceFile).size() > 100 * 1024; }},
      {"manifest stalled",
       [&](E2eTest& t) {
         Route stalled;
         stalled.body = t.ManifestFor(pieces);
         stalled.stallMs = 120000;
         t.ServeManifest(stalled);
       },
       [](E2eTest& t) { return t.ManifestRequests() > 0; }},
      {"piece stalled after its first byte",
       [&](E2eTest& t) {
         t.Publish(pieces);
         Route stalled;
         stalled.body = pieces[0].body;
         stalled.stallAfter = 1;
         stalled.stallMs = 120000;
         t.ServePiece(pieceFile, stalled);
       },
       [&](E2eTest& t) { return t.PieceRequests().size() == 1; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    c.serve(*this);
    ASSERT_TRUE(Launch());
    ASSERT_TRUE(PollUntil(30, [&] { return c.ready(*this); })) << "the moment never came";
    SleepMs(500);  // well inside the transfer
    ClickClose();
    const double clicked = Now();
    const std::optional<int> status = WaitForExit(kCloseWithin);
    EXPECT_LT(SecondsSince(clicked), kCloseWithin);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(Boxes().empty());
    KillProgram();
    m_package.reset();
    m_package = std::make_unique<test_support::TestHttpServer>(kPackagePort);
  }
}

}  // namespace
}  // namespace e2e
