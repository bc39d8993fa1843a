#include "platform/win32/utf8_path.h"

#include <windows.h>

#include <vector>

std::string GetTempPathUtf8() {
  const DWORD length = GetTempPathW(0, nullptr);
  if (length == 0) return std::string();
  std::vector<wchar_t> buffer(length + 1, L'\0');
  if (GetTempPathW(length, buffer.data()) == 0) return std::string();
  return Utf8Path(buffer.data());
}

BOOL CreateProcessUtf8(const std::string& commandLine, DWORD creationFlags,
                       PROCESS_INFORMATION* process) {
  // CreateProcessW may write into the line it is given.
  std::wstring line = WidePath(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                        nullptr, &startup, process);
}

HANDLE CreateFileUtf8(const char* path, DWORD access, DWORD shareMode,
                      SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flagsAndAttributes,
                      HANDLE templateFile) {
  return CreateFileW(WidePath(path).c_str(), access, shareMode, security, disposition,
                     flagsAndAttributes, templateFile);
}

DWORD GetFileAttributesUtf8(const char* path) { return GetFileAttributesW(WidePath(path).c_str()); }

BOOL CreateDirectoryUtf8(const char* path, SECURITY_ATTRIBUTES* security) {
  return CreateDirectoryW(WidePath(path).c_str(), security);
}
