// The dialog's answers to the worker's four reports.

#include <QProgressBar>

#include <cstring>

#include "engine/download_messages.h"
#include "tests/ui/box_dismisser.h"
#include "tests/ui/dialog_fixture.h"
#include "ui/screen_text.h"
#include "ui/speed_line.h"
#include "ui/ui_texts.h"

namespace ui_test {
namespace {

// As the screen shows it, in UTF-8.
std::string ShownText(const std::string& text) {
  return QString::fromStdU16String(ScreenText(text)).toStdString();
}

std::string SpeedLine(const std::string& speedField, const std::string& minutesField) {
  return std::string(kSpeedPrefix) + speedField + kSpeedMiddle + minutesField + kSpeedSuffix;
}

class NotificationsTest : public DialogTest {
 protected:
  QProgressBar* Bar(int id) {
    return qobject_cast<QProgressBar*>(WidgetOf(m_dialog->GetDlgItem(id)));
  }
  std::string Status() {
    boost::mutex::scoped_lock lock(m_dialog->m_mutex);
    return m_dialog->m_strStatus;
  }
  // Runs the program's loop until the dialog ends it.
  int RunLoop() {
    CMessageLoop loop;
    return loop.Run();
  }
};

TEST_F(NotificationsTest, ProgressMovesEachBarJustBelowThenOntoItsTarget) {
  struct Case {
    int from;
    int to;
    std::vector<int> seen;
  };
  const std::vector<Case> cases = {
      {5000, 6000, {5998, 6000}},
      {0, 10000, {9998, 10000}},
      {100, 0, {0}},  // -2 is clamped to 0, and 0 is no change after that
      {7000, 7000, {6998, 7000}},
  };
  for (const Case& each : cases) {
    for (int id : {CMainDlg::kPieceBarId, CMainDlg::kTotalBarId}) Bar(id)->setValue(each.from);
    std::vector<int> piece, total;
    auto a = QObject::connect(Bar(CMainDlg::kPieceBarId), &QProgressBar::valueChanged,
                              [&](int value) { piece.push_back(value); });
    auto b = QObject::connect(Bar(CMainDlg::kTotalBarId), &QProgressBar::valueChanged,
                              [&](int value) { total.push_back(value); });
    Post(WM_DOWNLOAD_PROGRESS, each.to, each.to);
    Drain();
    QObject::disconnect(a);
    QObject::disconnect(b);
    EXPECT_EQ(piece, each.seen) << each.from << "->" << each.to;
    EXPECT_EQ(total, each.seen) << each.from << "->" << each.to;
  }
}

TEST_F(NotificationsTest, BarsAreSetPerMessageIndependently) {
  Post(WM_DOWNLOAD_PROGRESS, 2500, 7500);
  Drain();
  EXPECT_EQ(Bar(CMainDlg::kPieceBarId)->value(), 2500);
  EXPECT_EQ(Bar(CMainDlg::kTotalBarId)->value(), 7500);
  EXPECT_EQ(Bar(CMainDlg::kPieceBarId)->maximum(), 10000);
}

TEST(SpeedLineTest, FieldsArePaddedToFiveAndThreeAndGrowWhenWider) {
  struct Case {
    std::uint32_t speed;
    std::uint32_t minutes;
    const char* speedField;
    const char* minutesField;
  };
  const Case cases[] = {
      {85, 12, "   85", " 12"},
      {1, 0, "    1", "  0"},
      {10000, 100, "10000", "100"},
      {123456, 1234, "123456", "1234"},
  };
  for (const Case& each : cases) {
    EXPECT_EQ(FormatSpeedLine(each.speed, each.minutes),
              SpeedLine(each.speedField, each.minutesField));
  }
}

TEST(SpeedLineTest, RemainingTimeUsesWideArithmeticAndNeverGoesNegative) {
  struct Case {
    std::int32_t total;
    std::int32_t done;
    std::uint64_t pieceSize;
    std::uint32_t speed;
    std::uint32_t seconds;
  };
  const Case cases[] = {
      {10, 0, 10485760, 512, 200},
      {500, 0, 10485760, 512, 10000},  // 5 GB left: past 32 bits
      {10, 10, 10485760, 512, 0},
      {10, 12, 10485760, 512, 0},          // more done than the manifest counted
      {3, 1, 1023, 1, 1},                  // 2046 bytes are one whole kilobyte
      {1, 0, 5ull << 30, 1024, 5120},      // a 5 GiB piece at 1 MiB/s
      {2, 0, ~0ull, 1, 0xFFFFFFFFu},       // past 64 bits: the largest answer
      {1, 0, 1ull << 50, 1, 0xFFFFFFFFu},  // past 32 bits of seconds
  };
  for (const Case& each : cases) {
    EXPECT_EQ(EstimateRemainingSeconds(each.total, each.done, each.pieceSize, each.speed),
              each.seconds)
        << each.total << " " << each.done;
  }
}

TEST_F(NotificationsTest, RateLineShowsSpeedAndKeepsTheLastEstimate) {
  m_dialog->m_nTotalPieces = 10;
  m_dialog->m_nDonePieces = 0;
  Post(WM_DOWNLOAD_RATE, 10485760, 512);
  Drain();
  EXPECT_EQ(g_nRemainingSeconds, 200u);
  EXPECT_EQ(Status(), SpeedLine("  512", "  3"));

  // No piece size: the previous estimate stands.
  Post(WM_DOWNLOAD_RATE, 0, 85);
  Drain();
  EXPECT_EQ(Status(), SpeedLine("   85", "  3"));

  // No speed: the placeholder, and the estimate is kept for later.
  Post(WM_DOWNLOAD_RATE, 10485760, 0);
  Drain();
  EXPECT_EQ(Status(), kSpeedPlaceholder);
  EXPECT_EQ(g_nRemainingSeconds, 200u);

  m_dialog->m_nTotalPieces = 500;
  Post(WM_DOWNLOAD_RATE, 10485760, 512);
  Drain();
  EXPECT_EQ(Status(), SpeedLine("  512", "166"));

  m_dialog->m_nDonePieces = 501;
  Post(WM_DOWNLOAD_RATE, 10485760, 512);
  Drain();
  EXPECT_EQ(Status(), SpeedLine("  512", "  0"));

  // A 5 GiB piece keeps all its bytes on the way to the window.
  m_dialog->m_nTotalPieces = 1;
  m_dialog->m_nDonePieces = 0;
  Post(WM_DOWNLOAD_RATE, static_cast<WPARAM>(5ull << 30), 1024);
  Drain();
  EXPECT_EQ(Status(), SpeedLine(" 1024", " 85"));
}

TEST_F(NotificationsTest, PlaceholderAndSpeedTextsAreTheTurkishOnes) {
  EXPECT_EQ(ShownText(kSpeedPlaceholder), "İndirme hızı: ? kb/s Kalan süre: ? dk");
  EXPECT_EQ(ShownText(SpeedLine("   85", " 12")), "İndirme hızı:    85kb/s Kalan süre:  12dk");
}

TEST_F(NotificationsTest, FinishedHidesTheBarsClearsTheStatusAndOnlyOnce) {
  m_dialog->SetStatusText("something");
  Post(WM_DOWNLOAD_FINISHED, 0, 0);
  Drain();
  EXPECT_TRUE(Bar(CMainDlg::kPieceBarId)->isHidden());
  EXPECT_TRUE(Bar(CMainDlg::kTotalBarId)->isHidden());
  EXPECT_TRUE(m_dialog->m_bDownloadFinished);
  EXPECT_EQ(Status(), "");
  const QImage once = RenderFace(m_widget);

  Post(WM_DOWNLOAD_FINISHED, 0, 0);
  Drain();
  EXPECT_EQ(RenderFace(m_widget), once);
  EXPECT_TRUE(IsWindow(m_window));
}

TEST_F(NotificationsTest, EachErrorKindShowsItsBoxThenEndsWithMinusOne) {
  struct Case {
    WPARAM wParam;
    const char* text;
  };
  const Case cases[] = {
      {1,
       "Bir dosya yazma hatası oluştu. Diskinizi kontrol edin ve/veya programı yönetici "
       "haklarıyla çalıştırıp tekrar deneyiniz. "},
      {2, "Bozuk veya geçersiz paket verisi !"},
      {MakeConnectionError(7), "Bağlantı hatası: 0x7"},
      {MakeConnectionError(23), "Bağlantı hatası: 0x17"},
      {MakeConnectionError(42), "Bağlantı hatası: 0x2a"},
      {MakeConnectionError(0), "Bağlantı hatası: 0x0"},
  };
  for (const Case& each : cases) {
    if (m_window == nullptr || !IsWindow(m_window)) {
      CreateDialog(kUnreachableManifest);
      ShowQuiet();
    }
    Post(WM_DOWNLOAD_ERROR, each.wParam, 0);
    BoxDismisser dismisser;
    EXPECT_EQ(RunLoop(), -1) << each.text;
    ASSERT_EQ(dismisser.Seen().size(), 1u) << each.text;
    EXPECT_EQ(dismisser.Seen()[0].caption, "Hata");
    EXPECT_EQ(dismisser.Seen()[0].text, each.text);
    EXPECT_FALSE(IsWindow(m_window));
    EXPECT_FALSE(m_dialog->m_thread.joinable());
  }
}

TEST_F(NotificationsTest, UnknownErrorKindClosesWithoutABox) {
  Post(WM_DOWNLOAD_ERROR, 9, 0);
  BoxDismisser dismisser;
  EXPECT_EQ(RunLoop(), -1);
  EXPECT_TRUE(dismisser.Seen().empty());
  EXPECT_FALSE(IsWindow(m_window));
}

// A failed write reports twice; the second box opens over the first, and
// answering it takes both down.
TEST_F(NotificationsTest, TwoErrorsInARowEndWithOneAnswer) {
  Post(WM_DOWNLOAD_ERROR, DOWNLOAD_ERROR_FILE_WRITE, 0);
  Post(WM_DOWNLOAD_ERROR, MakeConnectionError(23), 0);
  Post(WM_DOWNLOAD_PROGRESS, 10000, 10000);
  Post(WM_DOWNLOAD_FINISHED, 0, 0);
  BoxDismisser dismisser;
  EXPECT_EQ(RunLoop(), -1);
  ASSERT_EQ(dismisser.Seen().size(), 1u);
  EXPECT_EQ(dismisser.Seen()[0].text, "Bağlantı hatası: 0x17");
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_FALSE(IsWindow(m_window));
}

// Reports behind an error are handled while its box is open.
TEST_F(NotificationsTest, ReportsBehindAnErrorAreHandledUnderTheBox) {
  Post(WM_DOWNLOAD_ERROR, MakeConnectionError(7), 0);
  Post(WM_DOWNLOAD_FINISHED, 0, 0);
  bool finishedUnderBox = false;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (QApplication::activeModalWidget() != nullptr && m_dialog->m_bDownloadFinished) {
      finishedUnderBox = true;
    }
  });
  probe.start(5);
  BoxDismisser dismisser;
  EXPECT_EQ(RunLoop(), -1);
  EXPECT_TRUE(finishedUnderBox);
}

}  // namespace
}  // namespace ui_test
