// Dialog template 129 as the resource script ships it (the one Windows
// compiles), and what the parser refuses.

#include <gtest/gtest.h>

#include <QFile>

#include "dialog_template.h"

namespace {

std::string ShippedScript() {
  QFile file(":/script/veltra.rc");
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll().toStdString();
}

bool SameRect(const RECT& one, const RECT& two) {
  return one.left == two.left && one.top == two.top && one.right == two.right &&
         one.bottom == two.bottom;
}

TEST(DialogTemplateTest, ShippedTemplateMapsToTheSkinsPixels) {
  const std::optional<DialogTemplate> dialog = ParseDialogTemplate(ShippedScript(), 129);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->units.cx, 429);
  EXPECT_EQ(dialog->units.cy, 388);
  EXPECT_EQ(dialog->style, 0x00080040u);
  EXPECT_EQ(dialog->exStyle, 0x20u);
  EXPECT_EQ(dialog->fontFace, "MS Sans Serif");
  EXPECT_EQ(PointsToPixels(dialog->fontPoints), 11) << "8 points at 96 dots per inch";
  ASSERT_EQ(dialog->controls.size(), 3u);

  struct Expected {
    int id;
    const char* className;
    DWORD style;
    RECT pixels;
  };
  const Expected expected[] = {
      {1005, "{8856F961-340A-11D0-A96B-00C04FD705A2}", 0x50000000, {57, 117, 567, 494}},
      {1006, "msctls_progress32", 0x50800000, {69, 505, 555, 533}},
      {1007, "msctls_progress32", 0x50800000, {69, 533, 555, 561}},
  };
  for (size_t i = 0; i < 3; ++i) {
    const DialogControlTemplate& control = dialog->controls[i];
    EXPECT_EQ(control.id, expected[i].id);
    EXPECT_EQ(control.className, expected[i].className);
    EXPECT_EQ(control.style, expected[i].style);
    EXPECT_TRUE(SameRect(DialogRectToPixels(control.units), expected[i].pixels)) << control.id;
  }
  EXPECT_TRUE(IsClassIdentifier(dialog->controls[0].className));
  EXPECT_FALSE(IsClassIdentifier(dialog->controls[1].className));
}

TEST(DialogTemplateTest, MalformedOrMissingTemplatesAreRefused) {
  const std::string head = "7 DIALOGEX 0, 0, 10, 10\nBEGIN\n";
  const char* broken[] = {
      "STYLE zz\n",                                       // not a number
      "FONT eight, \"x\"\n",                              // not a number
      "CONTROL \"\", 5, \"x\", 0x0, 1, 2, 3\n",           // short control
      "CONTROL \"\", 5, \"x\", 0x0, 1, 2, 3, 4, 5, 6\n",  // long control
      "PUSHBUTTON \"x\", 1, 1, 1, 1, 1\n",                // unknown item
  };
  for (const char* line : broken) {
    EXPECT_FALSE(ParseDialogTemplate(head + line + "END\n", 7)) << line;
  }
  EXPECT_FALSE(ParseDialogTemplate(head, 7)) << "no END";
  EXPECT_FALSE(ParseDialogTemplate(head + "END\n", 8)) << "another dialog";
  EXPECT_FALSE(ParseDialogTemplate("7 DIALOGEX 0, 0, 10\nBEGIN\nEND\n", 7)) << "half a size";
  const std::string ok =
      "// comment\n5 BITMAP \"x.bmp\"\n" + head + "CONTROL \"\", 5, \"x, y\", 1, 1, 2, 3, 4\nEND\n";
  const std::optional<DialogTemplate> dialog = ParseDialogTemplate(ok, 7);
  ASSERT_TRUE(dialog);
  ASSERT_EQ(dialog->controls.size(), 1u);
  EXPECT_EQ(dialog->controls[0].className, "x, y");
}

}  // namespace
