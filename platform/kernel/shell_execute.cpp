#include "platform/win32/shell_execute.h"

#include <iconv.h>

#include <string>

#include "platform/win32/create_process.h"

namespace {

// UTF-16 to the program's code page; empty when a character has no byte there.
std::string ToCodePage(LPCWSTR text) {
  std::u16string wide(text);
  const iconv_t converter = iconv_open("CP1254", "UTF-16LE");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string();
  std::string result(wide.size() * 2, '\0');
  char* in = reinterpret_cast<char*>(wide.data());
  std::size_t inLeft = wide.size() * sizeof(char16_t);
  char* out = result.data();
  std::size_t outLeft = result.size();
  const bool whole = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(converter);
  if (!whole) return std::string();
  result.resize(result.size() - outLeft);
  return result;
}

}  // namespace

BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info) {
  if (info == nullptr || info->cbSize != sizeof *info || info->lpFile == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string program = ToCodePage(info->lpFile);
  if (program.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::string commandLine = "\"" + program + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  info->hProcess = nullptr;
  return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                        nullptr, nullptr, &startup, &process);
}
