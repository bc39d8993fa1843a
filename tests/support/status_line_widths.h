#pragma once
// The widest status lines the program makes, measured as DrawTextW lays them
// out in the font the status line is drawn in on a given dialog. The Linux and
// the Windows window tests share it, each with its own dialog.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/gdi.h"
#include "ui/screen_text.h"
#include "ui/speed_line.h"
#include "ui/status_line_font.h"

namespace test_support {

struct MeasuredLine {
  std::string line;  // Windows-1254
  LONG width;
};

// Speeds up to 10 Gbit/s are 1,220,703 KiB/s at most: seven digits starting
// with 1, and up to 999 minutes left. Digits differ in width in a
// proportional font, so each digit repeated is a candidate for the widest.
inline std::vector<std::string> WidestStatusLines() {
  std::vector<std::string> lines;
  for (std::uint32_t digit = 0; digit <= 9; ++digit) {
    lines.push_back(FormatSpeedLine(1000000 + digit * 111111, digit * 111));
  }
  lines.push_back(FormatSpeedLine(1220703, 999));
  return lines;
}

inline LONG MeasuredWidth(HDC hdc, const std::string& line) {
  const ScreenString text = ScreenText(line);
  RECT room{0, 0, 0, 0};
  DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &room,
            DT_SINGLELINE | DT_VCENTER | DT_CALCRECT);
  return room.right - room.left;
}

inline std::vector<MeasuredLine> MeasureWidestStatusLines(HWND dialog) {
  HDC hdc = CreateCompatibleDC(nullptr);
  const HGDIOBJ previous = SelectStatusLineFont(hdc, dialog);
  std::vector<MeasuredLine> measured;
  for (const std::string& line : WidestStatusLines()) {
    measured.push_back(MeasuredLine{line, MeasuredWidth(hdc, line)});
  }
  if (previous != nullptr) SelectObject(hdc, previous);
  DeleteDC(hdc);
  return measured;
}

}  // namespace test_support
