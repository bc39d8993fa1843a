#include <sstream>

#include "engine/download_globals.h"
#include "engine/download_messages.h"
#include "platform/win32/message_box.h"
#include "platform/win32/message_target.h"
#include "ui/main_dlg.h"
#include "ui/screen_text.h"
#include "ui/skin_layout.h"
#include "ui/speed_line.h"
#include "ui/ui_texts.h"

std::uint32_t g_nRemainingSeconds = 0;

namespace {

constexpr int kLeadIn = 2;

// Each bar first goes just below its target and then onto it.
void MoveBar(CProgressBarCtrl& bar, int position) {
  bar.SetPos(position - kLeadIn);
  bar.SetPos(position);
}

}  // namespace

LRESULT CMainDlg::OnDownloadProgress(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  MoveBar(m_progressPiece, static_cast<int>(wParam));
  MoveBar(m_progressTotal, static_cast<int>(lParam));
  return 0;
}

LRESULT CMainDlg::OnDownloadRate(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  const std::uint64_t pieceSize = wParam;
  const auto speed = static_cast<std::uint32_t>(lParam);
  if (speed == 0) {
    SetStatusText(kSpeedPlaceholder);
    InvalidateRect(m_hWnd, &g_rcStatus, TRUE);
    return 0;
  }
  if (pieceSize > 0) {
    g_nRemainingSeconds = EstimateRemainingSeconds(m_nTotalPieces, m_nDonePieces, pieceSize, speed);
  }
  SetStatusText(FormatSpeedLine(speed, g_nRemainingSeconds / 60).c_str());
  InvalidateRect(m_hWnd, &g_rcStatus, TRUE);
  return 0;
}

LRESULT CMainDlg::OnDownloadFinished(UINT, WPARAM, LPARAM, BOOL&) {
  // Hiding the bars uncovers the start area to the pointer.
  m_progressPiece.ShowWindow(SW_HIDE);
  m_progressTotal.ShowWindow(SW_HIDE);
  m_bDownloadFinished = TRUE;
  SetStatusText("");
  InvalidateRect(m_hWnd, &g_rcStatus, TRUE);
  const RECT strip = StartStripRect();
  InvalidateRect(m_hWnd, &strip, TRUE);
  return 0;
}

RECT CMainDlg::StartStripRect() const {
  const SIZE size = m_bmpStartButton.GetSize();
  return RECT{g_ptStartButton.x, g_ptStartButton.y, g_ptStartButton.x + size.cx,
              g_ptStartButton.y + size.cy};
}

LRESULT CMainDlg::OnDownloadError(UINT, WPARAM wParam, LPARAM, BOOL&) {
  ShowErrorBox(LOWORD(wParam), HIWORD(wParam));
  CloseDialog(-1);
  return 0;
}

// An unknown kind shows nothing; the dialog closes all the same.
void CMainDlg::ShowErrorBox(WORD kind, WORD code) {
  switch (kind) {
    case DOWNLOAD_ERROR_FILE_WRITE:
      ShowBox(kFileWriteErrorText);
      break;
    case DOWNLOAD_ERROR_PACKAGE_DATA:
      ShowBox(kPackageDataErrorText);
      break;
    case DOWNLOAD_ERROR_CONNECTION: {
      std::ostringstream text;
      text << kConnectionErrorPrefix << std::hex << code;
      ShowBox(text.str());
      break;
    }
    default:
      break;
  }
}

void CMainDlg::ShowBox(const std::string& text) {
  MessageBoxW(m_hWnd, ScreenText(text).c_str(), ScreenText(kErrorCaption).c_str(), MB_OK);
}
