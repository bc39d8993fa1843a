#include "platform/win32/shell_execute.h"

#include <string>

#include "platform/win32/utf8_path.h"

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) {
  if (info == nullptr || info->cbSize != sizeof *info || info->lpFile == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string program = Utf8Path(info->lpFile);
  if (program.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  PROCESS_INFORMATION process{};
  info->hProcess = nullptr;
  return CreateProcessUtf8("\"" + program + "\"", NORMAL_PRIORITY_CLASS, &process);
}
