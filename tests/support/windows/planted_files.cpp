#include "tests/support/planted_files.h"

#include <windows.h>

#include <chrono>
#include <thread>
#include <vector>

namespace test_support {

namespace {

constexpr DWORD kAllowUnprivilegedLink = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE

using UnixFileName = char*(CDECL*)(const WCHAR*);

// Wine's own export: present only under wine. GetProcAddress's type says
// nothing of the function; it passes through the plain pointer type.
UnixFileName WineUnixFileName() {
  const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
  return reinterpret_cast<UnixFileName>(reinterpret_cast<void (*)()>(found));
}

std::string UnixPathOf(const std::string& path) {
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::vector<WCHAR> wide(static_cast<std::size_t>(length));
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
  char* unixPath = WineUnixFileName()(wide.data());
  if (unixPath == nullptr) return std::string();
  std::string result(unixPath);
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

// Wine starts a Unix program but hands back no handle to wait on, so the
// caller watches for what the program makes.
std::string RunUnixProgram(const std::vector<std::string>& arguments, const std::string& makes) {
  std::string commandLine;
  for (const std::string& argument : arguments) commandLine += "\"" + argument + "\" ";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return "wine could not start " + arguments[0];
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (WhatLiesAt(makes) == "nothing") {
    if (std::chrono::steady_clock::now() > deadline) return arguments[0] + " made nothing";
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return std::string();
}

bool IsReparsePoint(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Windows makes a link with developer mode or an administrator's rights;
// wine's CreateSymbolicLinkA reports success and makes nothing.
bool MadeWindowsLink(const std::string& target, const std::string& at, DWORD flags) {
  return CreateSymbolicLinkA(at.c_str(), target.c_str(), flags | kAllowUnprivilegedLink) &&
         IsReparsePoint(at);
}

const char kNoLinks[] =
    "this Windows made no symbolic link (it needs developer mode or an administrator)";

}  // namespace

std::string PlantFileLink(const std::string& target, const std::string& at) {
  if (MadeWindowsLink(target, at, 0)) return std::string();
  if (WineUnixFileName() != nullptr) {
    return "wine shows a Unix link to a file as what it names (the file, or nothing when it "
           "dangles), and its CreateSymbolicLinkA makes nothing: no program under wine can "
           "tell such a link";
  }
  return kNoLinks;
}

std::string PlantFolderLink(const std::string& target, const std::string& at) {
  if (MadeWindowsLink(target, at, SYMBOLIC_LINK_FLAG_DIRECTORY)) return std::string();
  if (WineUnixFileName() != nullptr) {
    return RunUnixProgram({"/bin/ln", "-s", UnixPathOf(target), UnixPathOf(at)}, at);
  }
  return kNoLinks;
}

std::string PlantEndlessDeviceLink(const std::string& at) {
  if (WineUnixFileName() == nullptr) return "Windows has no endless device to link to";
  return RunUnixProgram({"/bin/ln", "-s", "/dev/zero", UnixPathOf(at)}, at);
}

std::string PlantFifo(const std::string& at) {
  if (WineUnixFileName() == nullptr) return "Windows keeps no FIFOs among its files";
  return RunUnixProgram({"/usr/bin/mkfifo", UnixPathOf(at)}, at);
}

std::string PlantSocket(const std::string&) {
  return "a local socket among the files is a Unix thing; wine cannot make one here";
}

std::string WhatLiesAt(const std::string& path) {
  HANDLE found = CreateFileA(
      path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (found == INVALID_HANDLE_VALUE) return "nothing";
  std::string what;
  BY_HANDLE_FILE_INFORMATION information{};
  const DWORD type = GetFileType(found);
  if (type == FILE_TYPE_PIPE) {
    what = "fifo";
  } else if (type == FILE_TYPE_CHAR) {
    what = "device";
  } else if (!GetFileInformationByHandle(found, &information)) {
    what = "unknown";
  } else if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    what = "link";
  } else if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    what = "folder";
  } else {
    const unsigned long long size =
        (static_cast<unsigned long long>(information.nFileSizeHigh) << 32) |
        information.nFileSizeLow;
    what = "file of " + std::to_string(size) + " bytes";
  }
  CloseHandle(found);
  return what;
}

bool UnderWine() { return WineUnixFileName() != nullptr; }

}  // namespace test_support
