// The window's shape comes from the background's key colour, row by row.

#include <QGuiApplication>
#include <QRegion>
#include <QScreen>

#include "gdi_objects.h"
#include "tests/ui/dialog_fixture.h"
#include "ui/skin_layout.h"

namespace ui_test {
namespace {

class WindowShapeTest : public DialogTest {};

TEST_F(WindowShapeTest, ShippedBackgroundGivesTheFaceShape) {
  EXPECT_EQ(m_widget->size(), QSize(623, 617));
  const QRegion shape = m_widget->mask();
  ASSERT_FALSE(shape.isEmpty());
  EXPECT_EQ(shape.boundingRect().top(), 18);
  EXPECT_EQ(shape.boundingRect().bottom(), 605);
  for (int x = 0; x < 623; ++x) {
    EXPECT_FALSE(shape.contains(QPoint(x, 17))) << x;
    EXPECT_FALSE(shape.contains(QPoint(x, 606))) << x;
  }
  // Where the browser and the bars sit, the window is solid.
  EXPECT_TRUE(shape.contains(QRect(53, 113, 517, 387)));
  EXPECT_TRUE(shape.contains(QRect(69, 505, 486, 56)));
}

TEST_F(WindowShapeTest, CentredForTheTemplateThenSizedFromTheSameCorner) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const int templateWidth = 644;   // 429 dialog units
  const int templateHeight = 631;  // 388 dialog units
  int x = area.left() + (area.width() - templateWidth) / 2;
  int y = area.top() + (area.height() - templateHeight) / 2;
  x = std::max(std::min(x, area.right() + 1 - templateWidth), area.left());
  y = std::max(std::min(y, area.bottom() + 1 - templateHeight), area.top());
  EXPECT_EQ(m_widget->pos(), QPoint(x, y));
}

TEST_F(WindowShapeTest, KeyPixelBetweenRunsLeavesAHoleAndKeyRowsAddNothing) {
  auto* bitmap = new CQtBitmap;
  bitmap->image = QImage(10, 4, QImage::Format_RGB32);
  bitmap->image.fill(QColor(255, 0, 255));
  for (int x = 1; x < 9; ++x) bitmap->image.setPixel(x, 1, qRgb(20, 20, 20));
  bitmap->image.setPixel(4, 1, qRgb(255, 0, 255));
  bitmap->image.setPixel(0, 2, qRgb(255, 0, 254));  // near the key is not the key
  const QPoint corner = m_widget->pos();

  m_dialog->ShapeWindowToBitmap(bitmap);

  EXPECT_EQ(m_widget->size(), QSize(10, 4));
  EXPECT_EQ(m_widget->pos(), corner);
  const QRegion expected = QRegion(1, 1, 3, 1) + QRegion(5, 1, 4, 1) + QRegion(0, 2, 1, 1);
  EXPECT_EQ(m_widget->mask(), expected);
  delete bitmap;
}

}  // namespace
}  // namespace ui_test
