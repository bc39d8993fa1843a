#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <string>
#include <vector>

#include "engine/download_engine.h"
#include "engine/download_messages.h"
#include "platform/win32/kernel_event.h"
#include "platform/win32/process_clock.h"
#include "tests/support/posted_message_printer.h"
#include "tests/support/recorded_engine.h"
#include "tests/support/recording_window.h"
#include "tests/support/scratch_folder.h"

namespace {

std::atomic<std::int32_t> g_now{0};
std::int32_t TestClock() { return g_now.load(); }

class TransferCallbacks : public ::testing::Test {
 protected:
  TransferCallbacks() {
    SetProcessClockSource(&TestClock);
    g_now = 0;
  }
  ~TransferCallbacks() override { SetProcessClockSource(nullptr); }

  int ProgressAt(std::int32_t tick, double total, double now) {
    g_now = tick;
    return engine.OnCurlProgress(total, now, 0, 0);
  }
  std::vector<PostedMessage> Posted() const { return window.Messages(); }

  test_support::RecordedEngine run;
  CRecordingWindow& window = run.window;
  CDownloadEngine& engine = run.engine;
};

TEST_F(TransferCallbacks, StopEventEndsBothBeforeAnythingElse) {
  SetEvent(engine.m_hStopEvent);
  std::fstream notOpened;
  EXPECT_EQ(engine.OnCurlWrite("abc", 1, 3, &notOpened), static_cast<size_t>(-1));
  EXPECT_EQ(ProgressAt(5000, 0, 0), -1);
  EXPECT_EQ(ProgressAt(5000, 100, 50), -1);
  EXPECT_TRUE(Posted().empty());
  EXPECT_EQ(engine.m_nPieceSize, 0u);
}

// A close during a transfer is noticed once the clock has moved on, however
// often libcurl calls back in between, and then by every later callback.
TEST_F(TransferCallbacks, StopDuringATransferIsNoticedWithinTheTestInterval) {
  test_support::ScratchFolder folder;
  std::fstream file(folder.PathOf("piece"), std::ios::out | std::ios::trunc | std::ios::binary);
  EXPECT_EQ(ProgressAt(1000, 100, 10), 0);
  SetEvent(engine.m_hStopEvent);
  EXPECT_EQ(engine.OnCurlWrite("ab", 1, 2, &file), 2u);
  g_now = 1010;
  EXPECT_EQ(engine.OnCurlWrite("cd", 1, 2, &file), static_cast<size_t>(-1));
  EXPECT_EQ(ProgressAt(1010, 100, 12), -1);
  // A clock that went back tests the event again rather than waiting.
  test_support::RecordedEngine other;
  g_now = 500;
  EXPECT_EQ(other.engine.OnCurlProgress(100, 10, 0, 0), 0);
  SetEvent(other.engine.m_hStopEvent);
  g_now = 400;
  EXPECT_EQ(other.engine.OnCurlProgress(100, 10, 0, 0), -1);
}

TEST_F(TransferCallbacks, WriteStoresBytesAndFoldsTheirChecksum) {
  test_support::ScratchFolder folder;
  {
    std::fstream file(folder.PathOf("piece"), std::ios::out | std::ios::trunc | std::ios::binary);
    engine.m_dwPieceCrc = 0;
    EXPECT_EQ(engine.OnCurlWrite("12345", 1, 5, &file), 5u);
    EXPECT_EQ(engine.OnCurlWrite("6789", 2, 2, &file), 4u);
  }
  EXPECT_EQ(folder.Read("piece"), "123456789");
  EXPECT_EQ(engine.m_dwPieceCrc, 0xCBF43926u);
  EXPECT_TRUE(Posted().empty());
}

// A file the stream may only read refuses every write, as a full disk does.
TEST_F(TransferCallbacks, FailedWritePostsOneFileErrorAndStops) {
  test_support::ScratchFolder folder;
  folder.Write("piece", "");
  std::fstream file(folder.PathOf("piece"), std::ios::in | std::ios::binary);
  ASSERT_TRUE(file.is_open());
  const std::string block(256 * 1024, 'x');
  EXPECT_EQ(engine.OnCurlWrite(block.data(), 1, block.size(), &file), static_cast<size_t>(-1));
  EXPECT_EQ(Posted(), (std::vector<PostedMessage>{{WM_DOWNLOAD_ERROR, 1, 0}}));
}

TEST_F(TransferCallbacks, UnknownTotalPostsNothingAndChangesNothing) {
  engine.m_nTotalPieces = 4;
  EXPECT_EQ(ProgressAt(9000, 0, 1234), 0);
  EXPECT_TRUE(Posted().empty());
  EXPECT_EQ(engine.m_nPieceSize, 0u);
  EXPECT_EQ(engine.m_nLastProgressTick, 0);
  EXPECT_EQ(engine.m_nLastRateTick, 0);
}

TEST_F(TransferCallbacks, ProgressNeedsMoreThanAHundredTicks) {
  engine.m_nTotalPieces = 8;
  engine.m_nDonePieces = 3;
  ProgressAt(1000, 200, 50);
  ProgressAt(1100, 200, 100);  // exactly 100 ticks later: too soon
  ProgressAt(1101, 200, 200);
  EXPECT_EQ(Posted(), (std::vector<PostedMessage>{{WM_DOWNLOAD_PROGRESS, 2500, 3750},
                                                  {WM_DOWNLOAD_PROGRESS, 10000, 3750}}));
  EXPECT_EQ(engine.m_nLastProgressTick, 1101);
}

TEST_F(TransferCallbacks, FirstRateSampleOnlySetsTheBaseline) {
  engine.m_nTotalPieces = 1;
  ProgressAt(2401, 10000, 1000);
  ProgressAt(4801, 10000, 3000);  // exactly 2400 ticks later: no sample
  EXPECT_EQ(engine.m_nLastRateTick, 2401);
  ProgressAt(4901, 10000, 4000);  // 3000 bytes over 2500 ticks
  std::vector<PostedMessage> rates;
  for (const PostedMessage& posted : Posted()) {
    if (posted.message == WM_DOWNLOAD_RATE) rates.push_back(posted);
  }
  EXPECT_EQ(rates, (std::vector<PostedMessage>{{WM_DOWNLOAD_RATE, 10000, 1}}));
  EXPECT_EQ(engine.m_nLastRateTick, 4901);
  EXPECT_EQ(engine.m_dLastRateBytes, 4000.0);
}

TEST_F(TransferCallbacks, StalledTransferReportsARateOfZero) {
  engine.m_nTotalPieces = 1;
  ProgressAt(3000, 500, 100);
  ProgressAt(6000, 500, 100);
  const auto posted = Posted();
  ASSERT_FALSE(posted.empty());
  EXPECT_EQ(posted.back(), (PostedMessage{WM_DOWNLOAD_RATE, 500, 0}));
}

TEST_F(TransferCallbacks, PieceSizeOnlyRises) {
  ProgressAt(200, 5000, 0);
  EXPECT_EQ(engine.m_nPieceSize, 5000u);
  ProgressAt(400, 3000, 0);
  EXPECT_EQ(engine.m_nPieceSize, 5000u);
}

// A 5 GiB piece counted as its low 32 bits (1 GiB) made the time left a
// fifth of the truth; where wParam is narrower it stops at its largest value.
TEST_F(TransferCallbacks, PiecesOverFourGibibytesAreReportedWholeOrSaturated) {
  const double fiveGibibytes = 5.0 * 1024 * 1024 * 1024;
  engine.m_nTotalPieces = 1;
  ProgressAt(2401, fiveGibibytes, 0);
  ProgressAt(4901, fiveGibibytes, 1024.0 * 2500);  // 1000 KiB/s
  EXPECT_EQ(engine.m_nPieceSize, 5ull << 30);
  const WPARAM expected = sizeof(WPARAM) >= 8 ? static_cast<WPARAM>(5ull << 30) : 0xFFFFFFFFu;
  EXPECT_EQ(Posted().back(), (PostedMessage{WM_DOWNLOAD_RATE, expected, 1000}));
}

TEST_F(TransferCallbacks, OverallPositionTruncatesAndSurvivesNoCount) {
  struct Case {
    std::int32_t done;
    std::int32_t total;
    LPARAM overall;
  } cases[] = {{2, 3, 6666}, {3, 8, 3750}, {5, 4, 12500}, {1, 0, 0}, {1, -2, 0}};
  std::int32_t tick = 0;
  for (const Case& c : cases) {
    engine.m_nDonePieces = c.done;
    engine.m_nTotalPieces = c.total;
    tick += 1000;
    ProgressAt(tick, 100, 100);
    ASSERT_FALSE(Posted().empty());
    EXPECT_EQ(Posted().back(), (PostedMessage{WM_DOWNLOAD_PROGRESS, 10000, c.overall}))
        << c.done << '/' << c.total;
  }
}

}  // namespace
