// Dialog template 129 as shipped, and what the parser refuses.

#include <gtest/gtest.h>

#include <QFile>

#include "dialog_template.h"

namespace {

std::string ShippedTemplate() {
  QFile file(":/dialog/129");
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll().toStdString();
}

bool SameRect(const RECT& one, const RECT& two) {
  return one.left == two.left && one.top == two.top && one.right == two.right &&
         one.bottom == two.bottom;
}

TEST(DialogTemplateTest, ShippedTemplateMapsToTheSkinsPixels) {
  const std::optional<DialogTemplate> dialog = ParseDialogTemplate(ShippedTemplate());
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->units.cx, 429);
  EXPECT_EQ(dialog->units.cy, 388);
  EXPECT_EQ(dialog->style, 0x00080040u);
  EXPECT_EQ(dialog->exStyle, 0x20u);
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

TEST(DialogTemplateTest, MalformedTemplatesAreRefused) {
  const char* broken[] = {
      "",                                             // no size
      "size 10\n",                                    // half a size
      "size 10 10\nstyle zz\n",                       // not a number
      "size 10 10\ncontrol 5 \"x\" 0x0 0x0 1 2 3\n",  // short control
      "size 10 10\ncontrol 5 x 0x0 0x0 1 2 3 4\n",    // unquoted class
      "size 10 10\nbutton 1\n",                       // unknown item
  };
  for (const char* text : broken) EXPECT_FALSE(ParseDialogTemplate(text)) << text;
  EXPECT_TRUE(ParseDialogTemplate("# comment\n\nsize 10 10\n"));
}

}  // namespace
