#include <gtest/gtest.h>

#include <list>
#include <string>
#include <vector>

#include "engine/download_engine.h"
#include "engine/download_globals.h"
#include "platform/win32/kernel_event.h"
#include "tests/support/planted_files.h"
#include "tests/support/recorded_engine.h"
#include "tests/support/scratch_folder.h"

namespace {

const std::string kChecking =
    "\xD6nceden indirilmi\xFE par\xE7"
    "alar kontrol ediliyor";
// CRC-32 of "123456789".
const char kCheckValue[] = "3421780262";

class PieceCheck : public ::testing::Test {
 protected:
  PieceCheck() {}

  std::vector<bool> Check(std::list<PieceEntry>& entries) {
    engine.CheckExistingPieces(folder.Folder().c_str(), entries);
    std::vector<bool> complete;
    for (const PieceEntry& entry : entries) complete.push_back(entry.complete);
    return complete;
  }

  test_support::ScratchFolder folder;
  test_support::RecordedEngine run;
  CDownloadEngine& engine = run.engine;
};

TEST_F(PieceCheck, MarksOnlyPiecesWithTheListedChecksum) {
  folder.Write("good.cab", "123456789");
  folder.Write("short.cab", "12345678");
  folder.Write("signed.cab", "123456789");
  folder.Write("empty.cab", "");
  std::list<PieceEntry> entries = {
      {"good.cab", kCheckValue, false},    {"short.cab", kCheckValue, false},
      {"missing.cab", kCheckValue, false}, {"signed.cab", std::string("+") + kCheckValue, false},
      {"empty.cab", "0", false},           {"missing-zero.cab", "0", false},
      {"good.cab", kCheckValue, false},  // listed twice: both match the one file
  };
  EXPECT_EQ(Check(entries), (std::vector<bool>{true, false, false, true, true, true, true}));
  // Nothing on disk is touched.
  EXPECT_EQ(folder.Read("short.cab"), "12345678");
  EXPECT_FALSE(folder.Exists("missing.cab"));
}

// Planted under a piece's name: a FIFO nobody writes to, a link to an
// endless device. Each is passed at once and counts as a missing file:
// checksum 0.
TEST_F(PieceCheck, FifosAndDevicesAreNeverRead) {
  folder.Write("good.cab", "123456789");
  for (const std::string& refused :
       {test_support::PlantFifo(folder.PathOf("fifo.cab")),
        test_support::PlantEndlessDeviceLink(folder.PathOf("zero.cab"))}) {
    if (!refused.empty()) GTEST_SKIP() << refused;
  }
  std::list<PieceEntry> entries = {
      {"fifo.cab", kCheckValue, false}, {"zero.cab", kCheckValue, false}, {"fifo.cab", "0", false},
      {"zero.cab", "0", false},         {"good.cab", kCheckValue, false},
  };
  EXPECT_EQ(Check(entries), (std::vector<bool>{false, false, true, true, true}));
  EXPECT_EQ(engine.m_strStatus, kChecking + "..") << "one step per entry";
}

// A link, even to a good piece, is not the piece.
TEST_F(PieceCheck, LinksAreNeverFollowed) {
  folder.Write("good.cab", "123456789");
  const std::string refused =
      test_support::PlantFileLink(folder.PathOf("good.cab"), folder.PathOf("link.cab"));
  if (!refused.empty()) GTEST_SKIP() << refused;
  std::list<PieceEntry> entries = {{"link.cab", kCheckValue, false},
                                   {"good.cab", kCheckValue, false}};
  EXPECT_EQ(Check(entries), (std::vector<bool>{false, true}));
  EXPECT_EQ(folder.Read("good.cab"), "123456789");
}

#ifndef _WIN32
// Windows keeps no repaint request for a window that is not shown, so the
// status at each request is seen only through the POSIX window table.
TEST_F(PieceCheck, StatusDotsStepOncePerFile) {
  std::list<PieceEntry> entries(6, PieceEntry{"none", "1", false});
  std::vector<std::string> seen;
  // The status is read back at each repaint request the check makes.
  class Observer : public CMessageTarget {
   public:
    Observer(CDownloadEngine& engine, std::vector<std::string>& seen)
        : m_engine(engine), m_seen(seen) {}
    void Post(UINT, WPARAM, LPARAM) override {}
    void Invalidate(const RECT* rect, BOOL erase) override {
      EXPECT_NE(rect, nullptr);
      EXPECT_EQ(erase, TRUE);
      if (rect != nullptr) {
        EXPECT_EQ(rect->left, 165);
      }
      boost::mutex::scoped_lock lock(m_engine.m_mutex);
      m_seen.push_back(m_engine.m_strStatus);
    }

   private:
    CDownloadEngine& m_engine;
    std::vector<std::string>& m_seen;
  } observer(engine, seen);
  engine.m_hWnd = RegisterMessageTarget(&observer);
  Check(entries);
  UnregisterMessageTarget(engine.m_hWnd);
  EXPECT_EQ(seen, (std::vector<std::string>{kChecking + "..", kChecking + "...", kChecking,
                                            kChecking + ".", kChecking + "..", kChecking + "..."}));
}
#endif  // _WIN32

TEST_F(PieceCheck, MissingFolderOrEmptyListTouchNothing) {
  std::list<PieceEntry> entries = {{"a", "0", false}};
  engine.CheckExistingPieces(folder.PathOf("absent/").c_str(), entries);
  EXPECT_FALSE(entries.front().complete);
  folder.Write("plainfile", "x");
  engine.CheckExistingPieces(folder.PathOf("plainfile").c_str(), entries);
  EXPECT_FALSE(entries.front().complete);
  std::list<PieceEntry> none;
  Check(none);
  EXPECT_TRUE(engine.m_strStatus.empty());
}

TEST_F(PieceCheck, StopsBeforeTheNextFile) {
  folder.Write("a", "");
  std::list<PieceEntry> entries = {{"a", "0", false}, {"a", "0", false}};
  SetEvent(engine.m_hStopEvent);
  EXPECT_EQ(Check(entries), (std::vector<bool>{false, false}));
  EXPECT_TRUE(engine.m_strStatus.empty());
}

TEST_F(PieceCheck, UnreadableChecksumNeverMatches) {
  folder.Write("a", "");
  std::list<PieceEntry> entries = {{"a", "zero", false}, {"a", "", false}, {"a", "0", false}};
  EXPECT_EQ(Check(entries), (std::vector<bool>{false, false, true}));
}

}  // namespace
