#include "ui/status_line_font.h"

#include "platform/win32/user_window.h"

HGDIOBJ SelectStatusLineFont(HDC hdc, HWND dialog) {
  const auto font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  return font != nullptr ? SelectObject(hdc, font) : nullptr;
}
