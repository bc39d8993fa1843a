#include <curl/curl.h>
#include <gtest/gtest.h>
#include <zlib.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

#include <algorithm>
#include <boost/thread/thread.hpp>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/download_engine.h"
#include "engine/download_globals.h"
#include "engine/download_messages.h"
#include "platform/win32/kernel_event.h"
#include "platform/win32/process_clock.h"
#include "tests/support/forged_crc.h"
#include "tests/support/planted_files.h"
#include "tests/support/posted_message_printer.h"
#include "tests/support/recorded_engine.h"
#include "tests/support/recording_window.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/signed_package.h"
#include "tests/support/test_http_server.h"

namespace {

using test_support::Route;
using Messages = std::vector<PostedMessage>;
using Clock = std::chrono::steady_clock;

const char kManifestPath[] = "/vltsetup_palamut/vlt_package.txt";
const PostedMessage kRateUnknown{WM_DOWNLOAD_RATE, 0, 0};
const PostedMessage kAllDone{WM_DOWNLOAD_PROGRESS, 10000, 10000};
const PostedMessage kFinished{WM_DOWNLOAD_FINISHED, 0, 0};
const PostedMessage kPackageError{WM_DOWNLOAD_ERROR, 2, 0};

PostedMessage PieceDone(LPARAM overall) { return {WM_DOWNLOAD_PROGRESS, 10000, overall}; }
PostedMessage PieceFound(LPARAM overall) { return {WM_DOWNLOAD_PROGRESS, 0, overall}; }
PostedMessage ConnectionError(int code) {
  return {WM_DOWNLOAD_ERROR, MakeConnectionError(code), 0};
}

Route Answer(int status, std::string body) {
  Route route;
  route.status = status;
  route.body = std::move(body);
  return route;
}

std::string ChecksumOf(const std::string& bytes) {
  return std::to_string(crc32_z(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

std::string Body(std::size_t size, char seed) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>(seed + i * 13 + i / 251);
  return body;
}

// Larger than two of the piece file's buffers together.
constexpr std::size_t kLargePiece = 6 * 1024 * 1024;

// Equal bytes, or where they part: a failed comparison of megabytes would
// print them all.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  const auto parted = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  return ::testing::AssertionFailure() << actual.size() << " bytes against " << expected.size()
                                       << ", parting at byte " << (parted.first - actual.begin());
}

// A clock that never advances keeps the callbacks from posting, so the
// worker's own messages form an exact sequence.
std::int32_t FrozenClock() { return 0; }

struct Piece {
  std::string name;
  std::string body;
  std::string crc;  // the checksum the manifest lists
};

Piece MakePiece(std::string name, std::size_t size, char seed) {
  std::string body = Body(size, seed);
  std::string crc = ChecksumOf(body);
  return {std::move(name), std::move(body), std::move(crc)};
}

class DownloadWorker : public ::testing::Test {
 protected:
  DownloadWorker() : m_manifestUrl(server.Url(kManifestPath)) {
    g_szManifestUrl = m_manifestUrl.c_str();
    g_strTempDir = folder.Folder();
    g_strInstallerPath.clear();
    SetProcessClockSource(&FrozenClock);
  }
  ~DownloadWorker() override { SetProcessClockSource(nullptr); }

  // Serves the pieces and a manifest listing them under the given count.
  void Publish(int count, const std::vector<Piece>& pieces) {
    std::string manifest = server.Url("/pieces/") + "\r\n" + std::to_string(count) + "\r\n";
    for (const Piece& piece : pieces) {
      manifest += piece.name + ";" + piece.crc + "\r\n";
      Route route;
      route.body = piece.body;
      server.SetRoute("/pieces/" + piece.name, route);
    }
    ServeManifest(manifest);
  }
  void ServeManifest(const std::string& text) {
    Route route;
    route.body = text;
    server.SetRoute(kManifestPath, route);
  }
  void ServePiece(const std::string& name, Route route) {
    server.SetRoute("/pieces/" + name, std::move(route));
  }
  int Requests(const std::string& name) const { return server.RequestCount("/pieces/" + name); }

  Messages Run() {
    engine.DownloadThread();
    return window.Messages();
  }
  // For tables of cases: each run reports to a window of its own.
  Messages RunAgain() {
    CRecordingWindow fresh;
    engine.m_hWnd = fresh.m_hWnd;
    engine.m_nDonePieces = 0;
    engine.DownloadThread();
    return fresh.Messages();
  }

  test_support::TestHttpServer server;
  test_support::ScratchFolder folder;
  test_support::RecordedEngine run;
  CRecordingWindow& window = run.window;
  CDownloadEngine& engine = run.engine;

 private:
  std::string m_manifestUrl;
};

// --- Rejected -------------------------------------------------------------

TEST_F(DownloadWorker, UnusableManifestsAreRejectedAlike) {
  const Piece piece = MakePiece("a.cab", 100, 1);
  struct Case {
    const char* what;
    Route manifest;
  } cases[] = {
      {"two tokens", Answer(200, "http://h/ 1")},
      {"piece without checksum", Answer(200, "http://h/ 1 a.cab")},
      {"empty body", Answer(200, "")},
      {"server error page", Answer(500, "http://h/ 1 a.cab;1")},
      {"not found page", Answer(404, "http://h/ 1 a.cab;1")},
      {"unsafe name", Answer(200, "http://h/ 1 ../a.exe;1")},
      {"unreadable checksum", Answer(200, "http://h/ 2 a.cab;12 b.cab;1x")},
  };
  for (const Case& c : cases) {
    server.SetRoute(kManifestPath, c.manifest);
    EXPECT_EQ(RunAgain(), Messages{kPackageError}) << c.what;
  }
  EXPECT_EQ(Requests("a.cab"), 0);
  EXPECT_FALSE(folder.Exists("a.cab"));
}

TEST_F(DownloadWorker, ManifestServerDownIsRejected) {
  std::string closed;
  {
    test_support::TestHttpServer gone;
    closed = gone.Url(kManifestPath);
  }
  g_szManifestUrl = closed.c_str();
  EXPECT_EQ(Run(), Messages{kPackageError});
}

// --- Finished --------------------------------------------------------------

TEST_F(DownloadWorker, DownloadsMissingPiecesInOrderAndCountsFoundOnes) {
  // The first is larger than the file's buffers, so most of it is written by
  // the file's own thread.
  const std::vector<Piece> pieces = {MakePiece("data1.cab", kLargePiece + 70000, 1),
                                     MakePiece("VeltraSetup.exe", 5000, 2),
                                     MakePiece("data2.cab", 1, 3), MakePiece("data3.cab", 9000, 4)};
  Publish(4, pieces);
  folder.Write("VeltraSetup.exe", pieces[1].body);
  folder.Write("data2.cab", "stale bytes that fail the check");

  EXPECT_EQ(Run(), (Messages{PieceFound(2500), kRateUnknown, PieceDone(5000), PieceDone(7500),
                             PieceDone(10000), kAllDone, kFinished}));
  for (const Piece& piece : pieces) {
    EXPECT_TRUE(SameBytes(folder.Read(piece.name), piece.body)) << piece.name;
  }
  // One whole GET per missing piece, in manifest order, never a resumed one.
  std::vector<std::string> asked;
  for (const test_support::RecordedRequest& request : server.Requests()) {
    EXPECT_EQ(request.method, "GET") << request.target;
    EXPECT_FALSE(request.HasHeader("Range")) << request.target;
    asked.push_back(request.target);
  }
  EXPECT_EQ(asked, (std::vector<std::string>{kManifestPath, "/pieces/data1.cab",
                                             "/pieces/data2.cab", "/pieces/data3.cab"}));
  EXPECT_EQ(g_strInstallerPath, folder.Folder() + "VeltraSetup.exe");
  EXPECT_EQ(engine.m_nDonePieces, 4);
  EXPECT_EQ(engine.m_nTotalPieces, 4);
}

TEST_F(DownloadWorker, OverallPositionIsTruncated) {
  Publish(3, {MakePiece("a", 10, 1), MakePiece("b", 10, 2), MakePiece("c", 10, 3)});
  EXPECT_EQ(Run(), (Messages{kRateUnknown, PieceDone(3333), PieceDone(6666), PieceDone(10000),
                             kAllDone, kFinished}));
  EXPECT_TRUE(g_strInstallerPath.empty());
}

TEST_F(DownloadWorker, EverythingPresentMakesNoTransfer) {
  const std::vector<Piece> pieces = {MakePiece("a.cab", 3000, 1), MakePiece("b.exe", 10, 2)};
  Publish(2, pieces);
  for (const Piece& piece : pieces) folder.Write(piece.name, piece.body);
  EXPECT_EQ(Run(),
            (Messages{PieceFound(5000), PieceFound(10000), kRateUnknown, kAllDone, kFinished}));
  EXPECT_EQ(server.ConnectionCount(), 1);  // the manifest only
}

TEST_F(DownloadWorker, CountOfZeroGivesOverallZero) {
  Publish(0, {MakePiece("a", 10, 1)});
  EXPECT_EQ(Run(), (Messages{kRateUnknown, PieceDone(0), kAllDone, kFinished}));
}

TEST_F(DownloadWorker, ChunkedPieceWithoutLengthIsComplete) {
  const Piece piece = MakePiece("a.cab", 100000, 9);
  Publish(1, {piece});
  Route chunked;
  chunked.body = piece.body;
  chunked.chunked = true;
  ServePiece("a.cab", chunked);
  EXPECT_EQ(Run(), (Messages{kRateUnknown, PieceDone(10000), kAllDone, kFinished}));
  EXPECT_EQ(folder.Read("a.cab"), piece.body);
}

// --- Transfer failed -------------------------------------------------------

TEST_F(DownloadWorker, CutTransferEndsTheLoopAndKeepsWhatArrived) {
  const std::vector<Piece> pieces = {MakePiece("a", 1000, 1), MakePiece("b", kLargePiece, 2),
                                     MakePiece("c", 1000, 3)};
  Publish(3, pieces);
  Route cut;
  cut.body = pieces[1].body;
  cut.cutAfter = kLargePiece / 2 + 50000;
  ServePiece("b", cut);

  const Messages messages = Run();
  ASSERT_EQ(messages.size(), 5u);
  EXPECT_EQ(messages[1], PieceDone(3333));
  const WPARAM error = messages[2].wParam;
  EXPECT_EQ(messages[2].message, WM_DOWNLOAD_ERROR);
  EXPECT_EQ(LOWORD(error), 3);
  EXPECT_TRUE(HIWORD(error) == CURLE_PARTIAL_FILE || HIWORD(error) == CURLE_RECV_ERROR)
      << HIWORD(error);
  EXPECT_EQ(messages[3], kAllDone);
  EXPECT_EQ(messages[4], kFinished);
  EXPECT_TRUE(SameBytes(folder.Read("b"), pieces[1].body.substr(0, kLargePiece / 2 + 50000)));
  EXPECT_EQ(Requests("c"), 0);
  EXPECT_FALSE(folder.Exists("c"));
}

TEST_F(DownloadWorker, HttpErrorIsAFailedTransferNotAPiece) {
  Publish(2, {MakePiece("a", 10, 1), MakePiece("b", 10, 2)});
  ServePiece("a", Answer(404, "<html>not here</html>"));
  EXPECT_EQ(Run(), (Messages{kRateUnknown, ConnectionError(CURLE_HTTP_RETURNED_ERROR), kAllDone,
                             kFinished}));
  EXPECT_EQ(folder.Read("a"), "");
  EXPECT_EQ(Requests("b"), 0);
}

TEST_F(DownloadWorker, ConnectionRefusedIsReportedWithItsCode) {
  std::string closed;
  {
    test_support::TestHttpServer gone;
    closed = gone.Url("/pieces/");
  }
  ServeManifest(closed + " 1 a;1");
  EXPECT_EQ(Run(),
            (Messages{kRateUnknown, ConnectionError(CURLE_COULDNT_CONNECT), kAllDone, kFinished}));
}

// A body that arrives whole but is not the listed piece is never counted.
TEST_F(DownloadWorker, PieceThatFailsItsChecksumIsNotCounted) {
  const Piece piece = MakePiece("a.exe", 4000, 1);
  struct Case {
    const char* what;
    Route route;
  } cases[] = {
      {"garbled byte",
       [&] {
         Route route = Answer(200, piece.body);
         route.body[1234] ^= 0x20;
         return route;
       }()},
      {"redirect page",
       [&] {
         Route route = Answer(200, "<html>moved</html>");
         route.redirectTo = "/elsewhere/a.exe";
         return route;
       }()},
      {"wrong piece", Answer(200, Body(4000, 7))},
  };
  for (const Case& c : cases) {
    Publish(2, {piece, MakePiece("b", 10, 2)});
    ServePiece("a.exe", c.route);
    EXPECT_EQ(RunAgain(), (Messages{kRateUnknown, kPackageError, kAllDone, kFinished})) << c.what;
    EXPECT_EQ(folder.Read("a.exe"), c.route.body) << c.what;  // left for the next start to redo
  }
  EXPECT_EQ(Requests("b"), 0);
}

// --- Signed packages ---------------------------------------------------------

// The tests' signed package, served as published, to a worker built with
// the key that signed it.
class SignedDownload : public DownloadWorker {
 protected:
  SignedDownload() {
    for (const test_support::SignedPiece& piece : test_support::SignedPackagePieces()) {
      pieces.push_back({piece.name, piece.body, ChecksumOf(piece.body)});
    }
    engine.m_packageKey = test_support::TestPackageKey();
  }
  const Piece& List() const { return pieces[0]; }
  const Piece& Installer() const { return pieces[2]; }
  // Every piece's GET, the list's first.
  std::vector<int> RequestsOfEach() const {
    std::vector<int> counts;
    for (const Piece& piece : pieces) counts.push_back(Requests(piece.name));
    return counts;
  }

  std::vector<Piece> pieces;
};

TEST_F(SignedDownload, TheListComesFirstAndTheInstallersDigestIsHandedOn) {
  Publish(3, pieces);
  folder.Write(pieces[1].name, pieces[1].body);
  EXPECT_EQ(Run(), (Messages{PieceDone(3333), PieceFound(6666), kRateUnknown, PieceDone(10000),
                             kAllDone, kFinished}));
  EXPECT_EQ(RequestsOfEach(), (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(folder.Read("VeltraSetup.exe"), Installer().body);
  EXPECT_EQ(engine.m_installerDigest, Sha256Of(Installer().body.data(), Installer().body.size()));

  // Everything on disk now, the list too: only the manifest is asked for.
  EXPECT_EQ(RunAgain(), (Messages{PieceFound(3333), PieceFound(6666), PieceFound(10000),
                                  kRateUnknown, kAllDone, kFinished}));
  EXPECT_EQ(RequestsOfEach(), (std::vector<int>{1, 0, 1}));
}

// An attacker who controls the manifest and the pieces, but not the key.
TEST_F(SignedDownload, NoListOfTheKeysNoOtherPiece) {
  std::string changed = List().body;
  changed[3] = changed[3] == 'a' ? 'b' : 'a';
  const std::string manifestStart = server.Url("/pieces/") + " 3 ";
  const std::string listed = List().name + ";" + List().crc + " ";
  const std::string rest =
      pieces[1].name + ";" + pieces[1].crc + " " + Installer().name + ";" + Installer().crc + " ";
  struct Case {
    const char* what;
    std::string manifest;
    std::string list;
    P256PublicKey key;
    Messages expected;
  } cases[] = {
      {"no list in the manifest", manifestStart + rest, List().body, test_support::TestPackageKey(),
       Messages{kPackageError}},
      {"the list not first",
       manifestStart + pieces[1].name + ";" + pieces[1].crc + " " + listed + Installer().name +
           ";" + Installer().crc,
       List().body, test_support::TestPackageKey(), Messages{kPackageError}},
      {"one byte changed, its CRC-32 too",
       manifestStart + List().name + ";" + ChecksumOf(changed) + " " + rest, changed,
       test_support::TestPackageKey(), Messages{kPackageError, kAllDone, kFinished}},
      {"signed by another key", manifestStart + listed + rest, List().body,
       test_support::TestPackageKey("other_package_key"),
       Messages{kPackageError, kAllDone, kFinished}},
      {"a piece the list does not name", manifestStart + listed + rest + "extra.cab;0", List().body,
       test_support::TestPackageKey(), Messages{kPackageError, kAllDone, kFinished}},
      {"a line for a piece the manifest lacks",
       manifestStart + listed + Installer().name + ";" + Installer().crc, List().body,
       test_support::TestPackageKey(), Messages{kPackageError, kAllDone, kFinished}},
  };
  Publish(3, pieces);
  for (const Case& c : cases) {
    ServeManifest(c.manifest);
    ServePiece(List().name, Answer(200, c.list));
    engine.m_packageKey = c.key;
    EXPECT_EQ(RunAgain(), c.expected) << c.what;
    EXPECT_FALSE(engine.m_installerDigest) << c.what;
  }
  EXPECT_EQ(Requests(pieces[1].name), 0);
  EXPECT_EQ(Requests(Installer().name), 0);
  EXPECT_FALSE(folder.Exists(Installer().name));
}

// Another program with the installer's name and a CRC-32 forged to the
// manifest's: over the wire it is not counted; on disk it is fetched again.
TEST_F(SignedDownload, AnInstallerWithAForgedCrcNeverCounts) {
  const std::string forged =
      test_support::ForgedToCrc("MZ another program", test_support::Crc32Of(Installer().body));
  Publish(3, pieces);
  ServePiece(Installer().name, Answer(200, forged));
  EXPECT_EQ(Run(), (Messages{PieceDone(3333), kRateUnknown, PieceDone(6666), kPackageError,
                             kAllDone, kFinished}));
  EXPECT_EQ(engine.m_nDonePieces, 2);

  Publish(3, pieces);
  EXPECT_EQ(RunAgain(), (Messages{PieceFound(3333), PieceFound(6666), kRateUnknown,
                                  PieceDone(10000), kAllDone, kFinished}));
  EXPECT_EQ(folder.Read(Installer().name), Installer().body);
}

TEST_F(SignedDownload, WithoutAKeyTheListIsAPieceLikeAnyOther) {
  engine.m_packageKey.reset();
  Publish(3, pieces);
  folder.Write(Installer().name,
               test_support::ForgedToCrc("MZ", test_support::Crc32Of(Installer().body)));
  EXPECT_EQ(Run(), (Messages{PieceFound(3333), kRateUnknown, PieceDone(6666), PieceDone(10000),
                             kAllDone, kFinished}));
  EXPECT_FALSE(engine.m_installerDigest);
}

// --- File error ------------------------------------------------------------

TEST_F(DownloadWorker, UnwritablePieceEndsWithoutTheFinalPair) {
  Publish(2, {MakePiece("a", 10, 1), MakePiece("b", 10, 2)});
  g_strTempDir = folder.PathOf("no-such-folder/");
  EXPECT_EQ(Run(), (Messages{kRateUnknown, {WM_DOWNLOAD_ERROR, 1, 0}}));
  EXPECT_EQ(Requests("a"), 0);
}

// The disk refusing a large piece midway, here through the process's file
// size limit: the failure is noticed while the piece still arrives, though
// the file's own thread met it, and the piece is never counted.
TEST_F(DownloadWorker, PieceTheDiskRefusesMidwayIsAFileErrorNotAPiece) {
#ifdef _WIN32
  GTEST_SKIP() << "the file size limit is a POSIX one";
#else
  Publish(2, {MakePiece("a.cab", kLargePiece * 3 / 2, 1), MakePiece("b", 10, 2)});
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit limited = saved;
  limited.rlim_cur = kLargePiece / 2;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  // Past the limit a write fails with EFBIG once the signal is ignored.
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  const Messages messages = Run();
  std::signal(SIGXFSZ, oldHandler);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);

  EXPECT_EQ(messages, (Messages{kRateUnknown,
                                {WM_DOWNLOAD_ERROR, 1, 0},
                                ConnectionError(CURLE_WRITE_ERROR),
                                kAllDone,
                                kFinished}));
  EXPECT_EQ(engine.m_nDonePieces, 0);
  EXPECT_EQ(Requests("b"), 0);
#endif
}

// Planted under the second piece's name; the first still arrives. The piece
// is refused like a file that cannot be opened, and the planted thing and
// what it points at are left exactly as they were.
TEST_F(DownloadWorker, PieceNameTakenByALinkOrAFifoIsAFileError) {
  using test_support::WhatLiesAt;
  folder.Write("victim", "the player's own file");
  struct Case {
    const char* what;
    std::function<std::string(const std::string&)> plant;
  } cases[] = {
      {"link to a file",
       [&](const std::string& at) {
         return test_support::PlantFileLink(folder.PathOf("victim"), at);
       }},
      {"dangling link",
       [&](const std::string& at) {
         return test_support::PlantFileLink(folder.PathOf("gone"), at);
       }},
      {"link to an endless device", &test_support::PlantEndlessDeviceLink},
      {"FIFO", &test_support::PlantFifo},
  };
  const std::vector<Piece> pieces = {MakePiece("a", 10, 1), MakePiece("b", 10, 2)};
  Publish(2, pieces);
  std::string skipped;
  for (const Case& c : cases) {
    boost::filesystem::remove(folder.PathOf("a"));
    boost::filesystem::remove(folder.PathOf("b"));
    const std::string refused = c.plant(folder.PathOf("b"));
    if (!refused.empty()) {
      skipped += std::string(c.what) + ": " + refused + "; ";
      continue;
    }
    const std::string plantedAs = WhatLiesAt(folder.PathOf("b"));

    EXPECT_EQ(RunAgain(), (Messages{kRateUnknown, PieceDone(5000), {WM_DOWNLOAD_ERROR, 1, 0}}))
        << c.what;
    EXPECT_EQ(folder.Read("a"), pieces[0].body) << c.what;
    EXPECT_EQ(folder.Read("victim"), "the player's own file") << c.what;
    EXPECT_FALSE(folder.Exists("gone")) << c.what;
    EXPECT_EQ(WhatLiesAt(folder.PathOf("b")), plantedAs) << c.what;
  }
  EXPECT_EQ(Requests("b"), 0);
  if (!skipped.empty()) GTEST_SKIP() << "not planted: " << skipped;
}

#ifndef _WIN32
// A FIFO that someone holds open for reading opens without waiting, and is
// refused all the same.
TEST_F(DownloadWorker, FifoWithAReaderIsNotWrittenTo) {
  Publish(1, {MakePiece("a", 10, 1)});
  ASSERT_EQ(test_support::PlantFifo(folder.PathOf("a")), "");
  const int reader = open(folder.PathOf("a").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(Run(), (Messages{kRateUnknown, {WM_DOWNLOAD_ERROR, 1, 0}}));
  char byte = 0;
  EXPECT_LE(read(reader, &byte, 1), 0);  // nothing was written into it
  close(reader);
  EXPECT_EQ(Requests("a"), 0);
}
#endif  // _WIN32

// --- Stopped ---------------------------------------------------------------

#ifndef _WIN32
// Repaint requests of the piece check arrive here; the first one closes the
// window, as a user would while the check runs. Only the POSIX window table
// lets a test act on a repaint request as it is made.
class StopOnFirstRepaint : public CMessageTarget {
 public:
  StopOnFirstRepaint(CRecordingWindow& recorder, HANDLE stop)
      : m_recorder(recorder), m_stop(stop) {}
  void Post(UINT message, WPARAM wParam, LPARAM lParam) override {
    m_recorder.Post(message, wParam, lParam);
  }
  void Invalidate(const RECT*, BOOL) override { SetEvent(m_stop); }

 private:
  CRecordingWindow& m_recorder;
  HANDLE m_stop;
};

TEST_F(DownloadWorker, StopDuringTheCheckKeepsWhatWasFound) {
  const std::vector<Piece> pieces = {MakePiece("a", 10, 1), MakePiece("b", 10, 2)};
  Publish(2, pieces);
  folder.Write("a", pieces[0].body);
  folder.Write("b", pieces[1].body);
  StopOnFirstRepaint target(window, engine.m_hStopEvent);
  engine.m_hWnd = RegisterMessageTarget(&target);
  engine.DownloadThread();
  UnregisterMessageTarget(engine.m_hWnd);
  EXPECT_EQ(window.Messages(), (Messages{PieceFound(5000), kRateUnknown, kAllDone, kFinished}));
  EXPECT_EQ(Requests("b"), 0);
}
#endif  // _WIN32

class DownloadWorkerStop : public DownloadWorker {
 protected:
  DownloadWorkerStop() { SetProcessClockSource(nullptr); }

  // Runs the worker on its own thread, as the window does, sets the stop
  // event once `ready` holds, and returns how long the worker took to end.
  template <typename Ready>
  double SecondsToStop(Ready ready) {
    boost::thread worker([this] { engine.DownloadThread(); });
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (!ready() && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(ready()) << "the transfer never got going";
    const auto signalled = Clock::now();
    SetEvent(engine.m_hStopEvent);
    worker.join();
    return std::chrono::duration<double>(Clock::now() - signalled).count();
  }
  void ExpectAbortedThenFinal() const {
    const Messages messages = window.Messages();
    ASSERT_GE(messages.size(), 3u);
    const PostedMessage& error = messages[messages.size() - 3];
    EXPECT_EQ(error.message, WM_DOWNLOAD_ERROR);
    EXPECT_EQ(LOWORD(error.wParam), 3);
    EXPECT_TRUE(HIWORD(error.wParam) == CURLE_WRITE_ERROR ||
                HIWORD(error.wParam) == CURLE_ABORTED_BY_CALLBACK)
        << HIWORD(error.wParam);
    EXPECT_EQ(messages[messages.size() - 2], kAllDone);
    EXPECT_EQ(messages.back(), kFinished);
  }
};

TEST_F(DownloadWorkerStop, StopWhileDataFlowsEndsAtTheNextCallback) {
  const Piece piece = MakePiece("big.cab", 40 << 20, 5);
  Publish(1, {piece});
  Route slow = Answer(200, piece.body);
  slow.bytesPerSecond = 4 << 20;
  ServePiece("big.cab", slow);
  EXPECT_LT(SecondsToStop([this] { return run.PieceUnderWay(); }), 1.0);
  ExpectAbortedThenFinal();
}

// While the server is silent libcurl still calls the progress function about
// once a second.
TEST_F(DownloadWorkerStop, StopWhileTheServerStallsEndsWithinAboutASecond) {
  const Piece piece = MakePiece("stuck.cab", 100000, 6);
  Publish(1, {piece});
  Route stalled = Answer(200, piece.body);
  stalled.stallAfter = 1000;
  stalled.stallMs = 60000;
  ServePiece("stuck.cab", stalled);
  EXPECT_LT(SecondsToStop([this] { return run.PieceUnderWay(); }), 4.0);
  ExpectAbortedThenFinal();
}

TEST_F(DownloadWorkerStop, StopDuringAStalledManifestFetchPostsNothing) {
  Route stalled = Answer(200, "http://h/ 1 a;1");
  stalled.stallAfter = 4;
  stalled.stallMs = 60000;
  server.SetRoute(kManifestPath, stalled);
  EXPECT_LT(SecondsToStop([this] { return server.RequestCount(kManifestPath) > 0; }), 4.0);
  EXPECT_TRUE(window.Messages().empty());
}

}  // namespace
