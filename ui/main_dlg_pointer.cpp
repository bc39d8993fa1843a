#include "platform/win32/message_target.h"
#include "platform/win32/user_cursor.h"
#include "platform/win32/user_window.h"
#include "ui/main_dlg.h"
#include "ui/skin_layout.h"

namespace {

RECT ButtonRect(POINT corner, SIZE size) {
  return RECT{corner.x, corner.y, corner.x + size.cx, corner.y + size.cy};
}

RECT Union(const RECT& one, const RECT& two) {
  return RECT{std::min(one.left, two.left), std::min(one.top, two.top),
              std::max(one.right, two.right), std::max(one.bottom, two.bottom)};
}

// Leaving a button forgets a press on it; a change of hover repaints the
// button's area.
void TrackButton(HWND window, const RECT& hit, const RECT& repaint, POINT point, BOOL& hover,
                 BOOL& pressed) {
  const BOOL inside = PtInRect(&hit, point);
  if (!inside) pressed = FALSE;
  if (inside == hover) return;
  hover = inside;
  InvalidateRect(window, &repaint, TRUE);
}

void ShowHandCursor() { SetCursor(LoadCursorA(nullptr, IDC_HAND)); }

}  // namespace

// Both title buttons take the minimise image's size as their hit size.
void CMainDlg::OnMouseMove(UINT, POINT point) {
  const SIZE button = m_bmpMinimizeHover.GetSize();
  const RECT minimize = ButtonRect(g_ptMinimizeButton, button);
  const RECT close = ButtonRect(g_ptCloseButton, button);
  TrackButton(m_hWnd, minimize, minimize, point, m_bHoverMinimize, m_bPressedMinimize);
  TrackButton(m_hWnd, close, close, point, m_bHoverClose, m_bPressedClose);
  // The two start strips differ beyond the hit rectangle; repaint all of it
  // so the button never shows half in each colour.
  TrackButton(m_hWnd, g_rcStartArea, Union(g_rcStartArea, g_rcStartButtonFace), point,
              m_bHoverStart, m_bPressedStart);
  if (m_bHoverStart) ShowHandCursor();
}

void CMainDlg::OnLButtonDown(UINT, POINT point) {
  if (!m_bHoverClose && !m_bHoverMinimize && !m_bHoverStart) {
    SendMessageA(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION,
                 MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
  }
  if (m_bHoverClose) {
    m_bPressedClose = TRUE;
  } else if (m_bHoverMinimize) {
    m_bPressedMinimize = TRUE;
  }
  if (m_bHoverStart) {
    ShowHandCursor();
    m_bPressedStart = TRUE;
  }
}

// Like the title buttons, the start button acts only when the press began on
// it too.
void CMainDlg::OnLButtonUp(UINT, POINT) {
  if (m_bPressedClose) {
    CloseDialog(0);
    return;
  }
  if (m_bPressedMinimize) {
    ShowWindow(SW_MINIMIZE);
    m_bHoverMinimize = FALSE;
    m_bPressedMinimize = FALSE;
  }
  if (m_bHoverStart && m_bPressedStart) {
    ShowHandCursor();
    m_bPressedStart = FALSE;
    LaunchInstaller();
  }
}
