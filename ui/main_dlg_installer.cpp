#include <vector>

#include "engine/download_globals.h"
#include "platform/win32/create_process.h"
#include "ui/main_dlg.h"

// Whether or not the installer started, the program's job is over.
void CMainDlg::LaunchInstaller() {
  const std::string commandLine = "\"" + g_strInstallerPath + "\"";
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                 nullptr, &startup, &process);
  CloseDialog(0);
}
