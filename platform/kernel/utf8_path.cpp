#include "platform/win32/utf8_path.h"

#include <vector>

#include "platform/win32/temp_path.h"

std::string GetTempPathUtf8() {
  const DWORD length = GetTempPathA(0, nullptr);
  if (length == 0) return std::string();
  std::vector<char> buffer(length + 1, '\0');
  if (GetTempPathA(length, buffer.data()) == 0) return std::string();
  return buffer.data();
}

BOOL CreateProcessUtf8(const std::string& commandLine, DWORD creationFlags,
                       PROCESS_INFORMATION* process) {
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                        nullptr, &startup, process);
}
