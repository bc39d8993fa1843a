#include <string>
#include <vector>

#include "engine/download_globals.h"
#include "platform/win32/create_process.h"
#include "ui/main_dlg.h"
#include "ui/ui_texts.h"
#include "utility/regular_file.h"

namespace {

// Only a regular file reached without a link is started; the system's own
// start takes any name. It is held open meanwhile, shared for reading only,
// so that nobody can write it or put another file in its place on Windows
// before the new process has it.
BOOL StartInstaller(const std::string& path) {
  const CRegularFile installer(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  if (!installer.IsOpen()) {
    SetLastError(installer.WasMissing() ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
    return FALSE;
  }
  const std::string commandLine = "\"" + path + "\"";
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &startup, &process)) {
    return FALSE;
  }
  // Nobody waits for the installer.
  if (process.hThread != nullptr) CloseHandle(process.hThread);
  if (process.hProcess != nullptr) CloseHandle(process.hProcess);
  return TRUE;
}

}  // namespace

// The program's job is over either way; a launch that failed is said so, and
// ends like any other error.
void CMainDlg::LaunchInstaller() {
  if (StartInstaller(g_strInstallerPath)) {
    CloseDialog(0);
    return;
  }
  std::string text = kLaunchFailedText;
  if (GetLastError() == ERROR_WINE_NEEDED) text += kWineNeededText;
  ShowBox(text);
  CloseDialog(-1);
}
