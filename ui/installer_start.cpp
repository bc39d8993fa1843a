#include "ui/installer_start.h"

#include <string>
#include <vector>

#include "platform/win32/kernel_handle.h"
#include "platform/win32/ui_types.h"
#include "platform/win32/utf8_path.h"
#include "utility/regular_file.h"

namespace {

BOOL CreateInstallerProcess(const std::string& commandLine, PROCESS_INFORMATION* process) {
  return CreateProcessUtf8(commandLine, NORMAL_PRIORITY_CLASS, process);
}

// The system's own call has the system's calling convention, which on 32-bit
// Windows is not that of a plain function.
BOOL ShellExecuteInstaller(SHELLEXECUTEINFOW* info) { return ShellExecuteExW(info); }

InstallerStart StartThroughTheShell(const std::string& path, HWND owner, const StartCalls& calls) {
  const std::basic_string<WCHAR> file = WidePath(path);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // Our own box says when the start fails; the call returns only once the
  // start is done, as the program may end right after it.
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (calls.shellExecute(&info)) {
    if (info.hProcess != nullptr) CloseHandle(info.hProcess);
    return InstallerStart::Started;
  }
  return GetLastError() == ERROR_CANCELLED ? InstallerStart::Declined : InstallerStart::Failed;
}

// From where the handle stands, which for a file just opened is its start.
bool ReadsAs(HANDLE file, const Sha256Digest& wanted) {
  CSha256 digest;
  std::vector<char> block(1024 * 1024);
  DWORD got = 0;
  while (ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got, nullptr) && got > 0) {
    digest.Update(block.data(), got);
  }
  return digest.Finish() == wanted;
}

}  // namespace

StartCalls SystemStartCalls() {
  return StartCalls{&CreateInstallerProcess, &ShellExecuteInstaller};
}

// Only a regular file reached without a link is started; the system's own
// start takes any name. It is held open meanwhile, shared for reading only,
// so that nobody can write it or put another file in its place on Windows
// between the check of its bytes and the new process having it.
InstallerStart StartInstaller(const std::string& path, HWND owner, const StartCalls& calls,
                              const std::optional<Sha256Digest>& signedDigest) {
  const CRegularFile installer(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  if (!installer.IsOpen()) {
    SetLastError(installer.WasMissing() ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
    return InstallerStart::Failed;
  }
  if (signedDigest && !ReadsAs(installer.Get(), *signedDigest)) return InstallerStart::NotSigned;
  PROCESS_INFORMATION process{};
  if (calls.createProcess("\"" + path + "\"", &process)) {
    // Nobody waits for the installer.
    if (process.hThread != nullptr) CloseHandle(process.hThread);
    if (process.hProcess != nullptr) CloseHandle(process.hProcess);
    return InstallerStart::Started;
  }
  if (GetLastError() != ERROR_ELEVATION_REQUIRED) return InstallerStart::Failed;
  return StartThroughTheShell(path, owner, calls);
}
