#include <string>
#include <vector>

#include "engine/download_globals.h"
#include "platform/win32/create_process.h"
#include "ui/main_dlg.h"
#include "ui/ui_texts.h"

// The program's job is over either way; a launch that failed is said so, and
// ends like any other error.
void CMainDlg::LaunchInstaller() {
  const std::string commandLine = "\"" + g_strInstallerPath + "\"";
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                     nullptr, nullptr, &startup, &process)) {
    CloseDialog(0);
    return;
  }
  std::string text = kLaunchFailedText;
  if (GetLastError() == ERROR_WINE_NEEDED) text += kWineNeededText;
  ShowBox(text);
  CloseDialog(-1);
}
