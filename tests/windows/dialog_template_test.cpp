// Dialog template 129 and its DLGINIT record as the resource compiler made
// them, split as the framework's dialog does before the system sees it.

#include "platform/wtl/dialog_template.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<BYTE> Resource(int id, LPCSTR type) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
  if (found == nullptr) return {};
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
  return std::vector<BYTE>(bytes, bytes + SizeofResource(nullptr, found));
}

INT_PTR CALLBACK NoProcedure(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

TEST(DialogTemplate, TheBrowserItemIsTakenOutAndTheRestStillMakesTheDialog) {
  const std::vector<BYTE> shipped = Resource(129, RT_DIALOG);
  ASSERT_FALSE(shipped.empty());
  const std::optional<SplitDialogTemplate> split = SplitHostedItems(shipped.data(), shipped.size());
  ASSERT_TRUE(split);
  ASSERT_EQ(split->hosted.size(), 1u);
  const HostedItem& browser = split->hosted[0];
  EXPECT_EQ(browser.id, 1005u);
  EXPECT_EQ(browser.classId, L"{8856F961-340A-11D0-A96B-00C04FD705A2}");
  EXPECT_EQ(browser.style, 0x50000000u);
  EXPECT_EQ(browser.previousId, 0u) << "first in the template, first in the Z order";
  EXPECT_EQ(browser.dialogUnits.left, 38);
  EXPECT_EQ(browser.dialogUnits.top, 72);
  EXPECT_EQ(browser.dialogUnits.right, 38 + 340);
  EXPECT_EQ(browser.dialogUnits.bottom, 72 + 232);

  HWND dialog = CreateDialogIndirectParamW(
      nullptr, reinterpret_cast<const DLGTEMPLATE*>(split->dialog.data()), nullptr, &NoProcedure,
      0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(GetDlgItem(dialog, 1006), nullptr);
  EXPECT_NE(GetDlgItem(dialog, 1007), nullptr);
  EXPECT_EQ(GetDlgItem(dialog, 1005), nullptr);
  DestroyWindow(dialog);
}

TEST(DialogTemplate, TheBrowsersStateIsItsRecordOfTheDialogInit) {
  const std::vector<BYTE> init = Resource(129, MAKEINTRESOURCEA(240));
  const std::map<DWORD, std::vector<BYTE>> records = ParseDialogInit(init.data(), init.size());
  ASSERT_EQ(records.size(), 1u);
  const std::vector<BYTE>& state = records.at(1005);
  ASSERT_EQ(state.size(), 160u);
  LONG extent[2] = {};
  std::memcpy(extent, state.data() + 8, sizeof extent);
  EXPECT_EQ(extent[0], 13494);  // HIMETRIC: 510 pixels at 96 DPI
  EXPECT_EQ(extent[1], 9975);   // 377 pixels
}

TEST(DialogTemplate, CutOrForeignBytesAreRefusedNotRead) {
  const std::vector<BYTE> shipped = Resource(129, RT_DIALOG);
  for (std::size_t size : {std::size_t{3}, std::size_t{40}, shipped.size() - 20}) {
    EXPECT_FALSE(SplitHostedItems(shipped.data(), size)) << size;
  }
  const std::vector<BYTE> init = Resource(129, MAKEINTRESOURCEA(240));
  EXPECT_TRUE(ParseDialogInit(init.data(), 100).empty()) << "a record running past the end";
  const BYTE other[] = {0xE9, 0x03, 0x77, 0x03, 1, 0, 0, 0, 0xAA, 0, 0};  // another kind of record
  EXPECT_TRUE(ParseDialogInit(other, sizeof other).empty());
}

}  // namespace
