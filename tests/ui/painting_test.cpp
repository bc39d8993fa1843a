// What the dialog paints: background, hover images, the start strip once the
// download is over, and the status line.

#include <QPainter>

#include "engine/download_messages.h"
#include "tests/ui/dialog_fixture.h"
#include "ui/skin_layout.h"

namespace ui_test {
namespace {

QImage Resource(int id) {
  return QImage(QStringLiteral(":/bitmap/%1").arg(id)).convertToFormat(QImage::Format_RGB32);
}

QImage Block(const QImage& image, POINT corner, QSize size) {
  return image.copy(QRect(QPoint(corner.x, corner.y), size));
}

QRect RectOf(const RECT& rect) {
  return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
}

class PaintingTest : public DialogTest {};

TEST_F(PaintingTest, QuietFaceIsExactlyTheBackground) {
  EXPECT_EQ(RenderFace(m_widget), Resource(203));
}

TEST_F(PaintingTest, HoverImagesCoverTheirButtons) {
  m_dialog->m_bHoverClose = TRUE;
  m_dialog->m_bHoverMinimize = TRUE;
  const QImage face = RenderFace(m_widget);
  EXPECT_EQ(Block(face, g_ptCloseButton, QSize(25, 25)), Resource(206));
  EXPECT_EQ(Block(face, g_ptMinimizeButton, QSize(25, 25)), Resource(207));
  // Nothing else changes.
  QImage rest = face;
  QImage background = Resource(203);
  for (const POINT& corner : {g_ptCloseButton, g_ptMinimizeButton}) {
    const QRect button(QPoint(corner.x, corner.y), QSize(25, 25));
    QPainter(&rest).fillRect(button, Qt::black);
    QPainter(&background).fillRect(button, Qt::black);
  }
  EXPECT_EQ(rest, background);
}

TEST_F(PaintingTest, StartStripOnlyOnceFinishedAndInItsHoverColour) {
  const QSize strip(454, 56);
  m_dialog->m_bHoverStart = TRUE;
  EXPECT_EQ(Block(RenderFace(m_widget), g_ptStartButton, strip),
            Block(Resource(203), g_ptStartButton, strip));

  Post(WM_DOWNLOAD_FINISHED, 0, 0);
  Drain();
  m_dialog->m_bHoverStart = FALSE;
  EXPECT_EQ(Block(RenderFace(m_widget), g_ptStartButton, strip), Resource(208));
  m_dialog->m_bHoverStart = TRUE;
  EXPECT_EQ(Block(RenderFace(m_widget), g_ptStartButton, strip), Resource(210));
}

TEST_F(PaintingTest, StatusTextIsDrawnInItsColourInsideItsRectangleOnly) {
  const QImage empty = RenderFace(m_widget);
  // Far wider than the rectangle, so clipping is exercised too.
  m_dialog->SetStatusText(std::string(200, 'W').c_str());
  const QImage drawn = RenderFace(m_widget);
  const QRect status = RectOf(g_rcStatus);
  const QRgb textColour = qRgb(80, 168, 209);
  int changed = 0;
  bool exactColourSeen = false;
  for (int y = 0; y < drawn.height(); ++y) {
    for (int x = 0; x < drawn.width(); ++x) {
      if (drawn.pixel(x, y) == empty.pixel(x, y)) continue;
      ASSERT_TRUE(status.contains(x, y)) << x << "," << y;
      ++changed;
      exactColourSeen = exactColourSeen || drawn.pixel(x, y) == textColour;
    }
  }
  EXPECT_GT(changed, 200);
  EXPECT_TRUE(exactColourSeen);
  // Text reaches the right edge of the rectangle: it was cut, not shortened.
  bool reachesRightEdge = false;
  for (int y = status.top(); y <= status.bottom(); ++y) {
    reachesRightEdge = reachesRightEdge ||
                       drawn.pixel(status.right(), y) != empty.pixel(status.right(), y) ||
                       drawn.pixel(status.right() - 1, y) != empty.pixel(status.right() - 1, y);
  }
  EXPECT_TRUE(reachesRightEdge);
}

}  // namespace
}  // namespace ui_test
