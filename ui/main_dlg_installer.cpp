#include <string>

#include "engine/download_globals.h"
#include "ui/installer_start.h"
#include "ui/main_dlg.h"
#include "ui/ui_texts.h"

// The program's job is over once the installer runs; a launch that failed is
// said so, and ends like any other error. A declined consent prompt leaves
// the start button for another try. A program built with the publisher's
// key starts only what the publisher signed.
void CMainDlg::LaunchInstaller() {
  const InstallerStart outcome =
      m_packageKey && !m_installerDigest
          ? InstallerStart::NotSigned
          : StartInstaller(g_strInstallerPath, m_hWnd, m_startCalls, m_installerDigest);
  switch (outcome) {
    case InstallerStart::Started:
      CloseDialog(0);
      return;
    case InstallerStart::Declined:
      return;
    case InstallerStart::NotSigned:
      ShowBox(kPackageDataErrorText);
      CloseDialog(-1);
      return;
    case InstallerStart::Failed:
      break;
  }
  std::string text = kLaunchFailedText;
  if (GetLastError() == ERROR_WINE_NEEDED) text += kWineNeededText;
  ShowBox(text);
  CloseDialog(-1);
}
