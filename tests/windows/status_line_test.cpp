// The status line under the real dialog manager: the widest lines the program
// makes fit in their rectangle in the font of a dialog made from template 129.

#include <gtest/gtest.h>

#include "engine/download_globals.h"
#include "platform/wtl/dialog_template.h"
#include "tests/support/status_line_widths.h"

namespace {

INT_PTR CALLBACK NoProcedure(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The dialog as the framework makes it: its hosted items taken out.
HWND DialogFromShippedTemplate() {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(129), RT_DIALOG);
  if (found == nullptr) return nullptr;
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
  const std::optional<SplitDialogTemplate> split =
      SplitHostedItems(bytes, SizeofResource(nullptr, found));
  if (!split) return nullptr;
  return CreateDialogIndirectParamW(nullptr,
                                    reinterpret_cast<const DLGTEMPLATE*>(split->dialog.data()),
                                    nullptr, &NoProcedure, 0);
}

TEST(StatusLine, WidestLinesFitTheirRectangle) {
  HWND dialog = DialogFromShippedTemplate();
  ASSERT_NE(dialog, nullptr);
  const LONG room = g_rcStatus.right - g_rcStatus.left;
  for (const test_support::MeasuredLine& measured :
       test_support::MeasureWidestStatusLines(dialog)) {
    EXPECT_GT(measured.width, 0) << measured.line;
    EXPECT_LE(measured.width, room) << measured.line;
  }
  DestroyWindow(dialog);
}

}  // namespace
