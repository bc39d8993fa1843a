#include "engine/download_messages.h"
#include "ui/main_dlg.h"

namespace {

// Decoded handlers keep their handled flag in m_bMsgHandled; a message sent
// from inside a handler must not change the flag of the outer one.
class CHandledFlagScope {
 public:
  explicit CHandledFlagScope(BOOL& flag) : m_flag(flag), m_saved(flag) {}
  ~CHandledFlagScope() { m_flag = m_saved; }
  CHandledFlagScope(const CHandledFlagScope&) = delete;
  CHandledFlagScope& operator=(const CHandledFlagScope&) = delete;

 private:
  BOOL& m_flag;
  BOOL m_saved;
};

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

BOOL CMainDlg::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam,
                                    LRESULT& result, DWORD mapId) {
  if (mapId != 0) return FALSE;
  CHandledFlagScope scope(m_bMsgHandled);
  BOOL handled = TRUE;
  const auto raw = [&](LRESULT (CMainDlg::*handler)(UINT, WPARAM, LPARAM, BOOL&)) {
    handled = TRUE;
    result = (this->*handler)(message, wParam, lParam, handled);
    return handled;
  };
  const auto decoded = [&](auto call) {
    m_bMsgHandled = TRUE;
    call();
    result = 0;
    return m_bMsgHandled;
  };
  const UINT keyFlags = static_cast<UINT>(wParam);
  switch (message) {
    case WM_PAINT:
      return decoded([&] { OnPaint(); });
    case WM_DOWNLOAD_PROGRESS:
      return raw(&CMainDlg::OnDownloadProgress);
    case WM_DOWNLOAD_RATE:
      return raw(&CMainDlg::OnDownloadRate);
    case WM_DOWNLOAD_FINISHED:
      return raw(&CMainDlg::OnDownloadFinished);
    case WM_DOWNLOAD_ERROR:
      return raw(&CMainDlg::OnDownloadError);
    case WM_INITDIALOG:
      return raw(&CMainDlg::OnInitDialog);
    case WM_DESTROY:
      return raw(&CMainDlg::OnDestroy);
    case WM_LBUTTONDOWN:
      return decoded([&] { OnLButtonDown(keyFlags, PointOf(lParam)); });
    case WM_LBUTTONUP:
      return decoded([&] { OnLButtonUp(keyFlags, PointOf(lParam)); });
    case WM_MOUSEMOVE:
      return decoded([&] { OnMouseMove(keyFlags, PointOf(lParam)); });
    case WM_COMMAND: {
      const WORD id = LOWORD(wParam);
      if (id != IDOK && id != IDCANCEL) return FALSE;
      handled = TRUE;
      result = OnCloseCmd(HIWORD(wParam), id, reinterpret_cast<HWND>(lParam), handled);
      return handled;
    }
    default:
      return FALSE;
  }
}
