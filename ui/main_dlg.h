#pragma once
// The program's only window: a skinned modeless dialog that runs the
// download worker, shows its progress and starts the installer. Everything
// here runs on the user-interface thread, except DownloadThread and the
// transfer callbacks of the engine base, which run on m_thread.

#include <boost/thread/thread.hpp>

#include "engine/download_engine.h"
#include "platform/win32/ax_dialog_impl.h"
#include "platform/win32/gdi_wrappers.h"
#include "platform/win32/message_loop.h"
#include "platform/win32/update_ui.h"
#include "ui/installer_start.h"

// The last remaining-time estimate in seconds; the rate handler keeps it from
// one rate report to the next.
extern std::uint32_t g_nRemainingSeconds;

class CMainDlg : public CAxDialogImpl<CMainDlg>,
                 public CUpdateUI<CMainDlg>,
                 public CMessageFilter,
                 public CIdleHandler,
                 public CDownloadEngine {
 public:
  enum { IDD = 129 };
  static constexpr int kPromoControlId = 1005;
  static constexpr int kPieceBarId = 1006;
  static constexpr int kTotalBarId = 1007;

  CMainDlg();
  ~CMainDlg() override;

  BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                            LRESULT& result, DWORD mapId) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnIdle() override;

  // Lifecycle.
  LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnCloseCmd(WORD notifyCode, WORD id, HWND control, BOOL& handled);
  // Stops and joins the worker, destroys the window and ends the message
  // loop with the code.
  void CloseDialog(int exitCode);

  // Notifications from the worker.
  LRESULT OnDownloadProgress(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnDownloadRate(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnDownloadFinished(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
  LRESULT OnDownloadError(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

  // Skin and pointer.
  LRESULT ShapeWindowToBitmap(HBITMAP bitmap);
  void OnPaint();
  void OnMouseMove(UINT keyFlags, POINT point);
  void OnLButtonDown(UINT keyFlags, POINT point);
  void OnLButtonUp(UINT keyFlags, POINT point);

  // Starts the downloaded installer and closes the dialog with code 0; stays
  // at the start button when the player declines the consent prompt.
  void LaunchInstaller();

  CBitmap m_bmpBackground;
  CBitmap m_bmpMinimizeHover;
  CBitmap m_bmpCloseHover;
  CBitmap m_bmpStartButton;
  CBitmap m_bmpStartButtonHover;
  BOOL m_bHoverClose = FALSE;
  BOOL m_bHoverMinimize = FALSE;
  BOOL m_bDownloadFinished = FALSE;
  BOOL m_bHoverStart = FALSE;
  BOOL m_bPressedClose = FALSE;
  BOOL m_bPressedMinimize = FALSE;
  BOOL m_bPressedStart = FALSE;
  CProgressBarCtrl m_progressPiece;
  CProgressBarCtrl m_progressTotal;
  boost::thread m_thread;
  BOOL m_bMsgHandled = TRUE;
  // How the installer is started; tests answer in place of the system.
  StartCalls m_startCalls = SystemStartCalls();

 private:
  void LoadSkin();
  void SetUpProgressBars();
  void PlacePromoBrowser();
  void SetIcons();
  void RegisterWithMessageLoop();
  void UnregisterFromMessageLoop();
  void StartWorker();
  void StopWorker();
  void ShowErrorBox(WORD kind, WORD code);
  // An error box: the text (Windows-1254) under the caption "Hata".
  void ShowBox(const std::string& text);
  RECT StartStripRect() const;
  void DrawStatusText(HDC hdc);
};
