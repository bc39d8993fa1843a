#include <curl/curl.h>

#include <boost/bind/bind.hpp>

#include "engine/download_globals.h"
#include "engine/download_messages.h"
#include "platform/win32/app_module.h"
#include "platform/win32/dialog_keyboard.h"
#include "platform/win32/kernel_event.h"
#include "platform/win32/message_target.h"
#include "platform/win32/user_icon.h"
#include "platform/win32/user_window.h"
#include "res/skin_geometry.h"
#include "ui/download_folder.h"
#include "ui/main_dlg.h"
#include "ui/screen_text.h"
#include "ui/ui_texts.h"

CMainDlg::CMainDlg() = default;

// The stop event is left open: it lives until the process ends.
CMainDlg::~CMainDlg() = default;

LRESULT CMainDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  m_hStopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  m_nLastProgressTick = 0;
  m_nLastRateTick = 0;
  m_nTotalPieces = 0;
  m_nDonePieces = 0;
  m_nPieceSize = 0;
  m_dLastProgressBytes = 0.0;
  m_dLastRateBytes = 0.0;

  // Centred for the template's size; the skin then keeps the top-left corner.
  CenterWindow();
  SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_MINIMIZEBOX));
  SetWindowLongA(m_hWnd, GWL_EXSTYLE, 0);
  g_strTempDir = PrepareDownloadFolder();
  LoadSkin();

  SetUpProgressBars();
  PlacePromoBrowser();
  SetIcons();
  SetWindowTextW(m_hWnd, ScreenText(g_szWindowTitle).c_str());
  RegisterWithMessageLoop();
  // Without a private folder nothing is fetched, checked or written: the user
  // gets the file-write box and the program ends with -1.
  if (g_strTempDir.empty()) {
    PostMessageA(m_hWnd, WM_DOWNLOAD_ERROR, DOWNLOAD_ERROR_FILE_WRITE, 0);
  } else {
    StartWorker();
  }
  return TRUE;
}

void CMainDlg::LoadSkin() {
  const HINSTANCE resources = g_Module.GetResourceInstance();
  m_bmpBackground.LoadBitmap(resources, 203);
  ShapeWindowToBitmap(m_bmpBackground);
  m_bmpMinimizeHover.LoadBitmap(resources, 207);
  m_bmpCloseHover.LoadBitmap(resources, 206);
  m_bmpStartButton.LoadBitmap(resources, 208);
  m_bmpStartButtonHover.LoadBitmap(resources, 210);
  m_bHoverClose = FALSE;
  m_bHoverMinimize = FALSE;
  m_bDownloadFinished = FALSE;
  m_bHoverStart = FALSE;
  m_bPressedClose = FALSE;
  m_bPressedMinimize = FALSE;
  m_bPressedStart = FALSE;
}

// The template places the bars in dialog units, which meet the skin's pixels
// only at 6 x 13 base units; the skin is pixels whatever the system's font
// and resolution, so the bars are put on its trough in pixels, one above the
// other.
void CMainDlg::SetUpProgressBars() {
  m_progressPiece.Attach(GetDlgItem(kPieceBarId));
  m_progressTotal.Attach(GetDlgItem(kTotalBarId));
  const int barHeight = skin::kBars.Height() / 2;
  SetWindowPos(m_progressPiece.m_hWnd, nullptr, skin::kBars.left, skin::kBars.top,
               skin::kBars.Width(), barHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(m_progressTotal.m_hWnd, nullptr, skin::kBars.left, skin::kBars.top + barHeight,
               skin::kBars.Width(), skin::kBars.Height() - barHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
  m_progressPiece.SetRange(0, kProgressScale);
  m_progressTotal.SetRange(0, kProgressScale);
}

void CMainDlg::SetIcons() {
  const HINSTANCE resources = g_Module.GetResourceInstance();
  const auto load = [resources](int width, int height) {
    return static_cast<HICON>(
        LoadImageA(resources, MAKEINTRESOURCEA(128), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
  };
  HICON bigIcon = load(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
  SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
  HICON smallIcon = load(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
  SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

void CMainDlg::RegisterWithMessageLoop() {
  if (CMessageLoop* loop = g_Module.GetMessageLoop()) {
    loop->AddMessageFilter(this);
    loop->AddIdleHandler(this);
  }
}

void CMainDlg::UnregisterFromMessageLoop() {
  if (CMessageLoop* loop = g_Module.GetMessageLoop()) {
    loop->RemoveMessageFilter(this);
    loop->RemoveIdleHandler(this);
  }
}

// A worker that cannot be started is reported like a transfer that could not
// be set up, so the user sees a box and the program ends with -1.
void CMainDlg::StartWorker() {
  try {
    boost::thread worker(boost::bind(&CMainDlg::DownloadThread, this));
    m_thread = std::move(worker);
  } catch (const boost::thread_resource_error&) {
    PostMessageA(m_hWnd, WM_DOWNLOAD_ERROR, MakeConnectionError(CURLE_FAILED_INIT), 0);
  }
}

void CMainDlg::StopWorker() {
  SetEvent(m_hStopEvent);
  if (m_thread.joinable()) m_thread.join();
}

void CMainDlg::CloseDialog(int exitCode) {
  StopWorker();
  DestroyWindow();
  PostQuitMessage(exitCode);
}

LRESULT CMainDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
  StopWorker();
  UnregisterFromMessageLoop();
  return 0;
}

// Enter, Escape and the window manager's close request all land here; only
// the dialog's own buttons close it.
LRESULT CMainDlg::OnCloseCmd(WORD, WORD, HWND, BOOL&) { return 0; }

BOOL CMainDlg::PreTranslateMessage(MSG* msg) { return IsDialogMessageA(m_hWnd, msg); }

BOOL CMainDlg::OnIdle() { return FALSE; }
