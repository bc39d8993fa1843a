#include "platform/win32/gdi.h"
#include "platform/win32/user_window.h"
#include "ui/main_dlg.h"
#include "ui/screen_text.h"
#include "ui/skin_layout.h"
#include "ui/status_line_font.h"

namespace {

// Adds the runs of non-key pixels of one row, one rectangle each.
void AddRowRuns(HRGN shape, HDC source, int y, int width) {
  int x = 0;
  while (x < width) {
    while (x < width && GetPixel(source, x, y) == kSkinKeyColor) ++x;
    const int start = x;
    while (x < width && GetPixel(source, x, y) != kSkinKeyColor) ++x;
    if (x > start) {
      HRGN run = CreateRectRgn(start, y, x, y + 1);
      CombineRgn(shape, shape, run, RGN_OR);
      DeleteObject(run);
    }
  }
}

void CopyWhole(HDC target, HDC memory, HBITMAP bitmap, POINT at) {
  BITMAP info{};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0) return;
  SelectObject(memory, bitmap);
  BitBlt(target, at.x, at.y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
}

}  // namespace

LRESULT CMainDlg::ShapeWindowToBitmap(HBITMAP bitmap) {
  PAINTSTRUCT paint{};
  HDC window = BeginPaint(m_hWnd, &paint);
  HDC memory = CreateCompatibleDC(window);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  HRGN shape = CreateRectRgn(0, 0, 0, 0);

  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  RECT placed{};
  GetWindowRect(m_hWnd, &placed);
  SetWindowPos(m_hWnd, nullptr, placed.left, placed.top, info.bmWidth, info.bmHeight, 0);
  for (int y = 0; y < info.bmHeight; ++y) AddRowRuns(shape, memory, y, info.bmWidth);
  // The window owns the region from here on.
  SetWindowRgn(m_hWnd, shape, TRUE);

  SelectObject(memory, previous);
  DeleteDC(memory);
  EndPaint(m_hWnd, &paint);
  return 0;
}

void CMainDlg::OnPaint() {
  PAINTSTRUCT paint{};
  HDC target = BeginPaint(m_hWnd, &paint);
  HDC memory = CreateCompatibleDC(target);
  HGDIOBJ previous = SelectObject(memory, m_bmpBackground);
  CopyWhole(target, memory, m_bmpBackground, POINT{0, 0});
  if (m_bHoverMinimize) CopyWhole(target, memory, m_bmpMinimizeHover, g_ptMinimizeButton);
  if (m_bHoverClose) CopyWhole(target, memory, m_bmpCloseHover, g_ptCloseButton);
  if (m_bDownloadFinished) {
    CopyWhole(target, memory, m_bHoverStart ? m_bmpStartButtonHover : m_bmpStartButton,
              g_ptStartButton);
  }
  DrawStatusText(target);
  if (previous != nullptr) SelectObject(memory, previous);
  DeleteDC(memory);
  EndPaint(m_hWnd, &paint);
}

void CMainDlg::DrawStatusText(HDC hdc) {
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, kStatusTextColor);
  RECT area = g_rcStatus;
  boost::mutex::scoped_lock lock(m_mutex);
  const ScreenString status = ScreenText(m_strStatus);
  const HGDIOBJ previousFont = SelectStatusLineFont(hdc, m_hWnd);
  DrawTextW(hdc, status.c_str(), static_cast<int>(status.size()), &area,
            DT_SINGLELINE | DT_VCENTER);
  if (previousFont != nullptr) SelectObject(hdc, previousFont);
}
