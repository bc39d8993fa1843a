// The status line on Linux: the widest lines the program makes fit in their
// rectangle in the font the status line is drawn in, and that font is the
// dialog's own.

#include <algorithm>

#include "tests/support/status_line_widths.h"
#include "tests/ui/dialog_fixture.h"

namespace ui_test {
namespace {

using test_support::MeasuredLine;
using test_support::MeasureWidestStatusLines;

class StatusLineTest : public DialogTest {};

TEST_F(StatusLineTest, WidestLinesFitTheirRectangle) {
  const LONG room = g_rcStatus.right - g_rcStatus.left;
  for (const MeasuredLine& measured : MeasureWidestStatusLines(m_window)) {
    EXPECT_GT(measured.width, 0) << measured.line;
    EXPECT_LE(measured.width, room) << measured.line;
  }
}

// The line's rightmost pixel lies where the line ends in the font the dialog
// answers WM_GETFONT with; in another font it ends elsewhere.
TEST_F(StatusLineTest, DrawnInTheDialogsFont) {
  const auto font = reinterpret_cast<HFONT>(SendMessageA(m_window, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  const std::string line = test_support::WidestStatusLines().back();
  HDC hdc = CreateCompatibleDC(nullptr);
  const HGDIOBJ previous = SelectObject(hdc, font);
  const LONG width = test_support::MeasuredWidth(hdc, line);
  SelectObject(hdc, previous);
  DeleteDC(hdc);

  const QImage empty = RenderFace(m_widget);
  m_dialog->SetStatusText(line.c_str());
  const QImage drawn = RenderFace(m_widget);
  int rightmost = -1;
  for (int y = g_rcStatus.top; y < g_rcStatus.bottom; ++y) {
    for (int x = g_rcStatus.left; x < g_rcStatus.right; ++x) {
      if (drawn.pixel(x, y) != empty.pixel(x, y)) rightmost = std::max(rightmost, x);
    }
  }
  const int inkEnd = rightmost + 1 - g_rcStatus.left;
  EXPECT_LE(inkEnd, width);
  EXPECT_GE(inkEnd, width - 2) << "the last letter's ink ends near its advance";
}

}  // namespace
}  // namespace ui_test
