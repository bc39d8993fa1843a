#include "platform/win32/create_process.h"

#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

namespace {

bool StartsWithWindowsHeader(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  char header[2] = {0, 0};
  return file.read(header, 2) && header[0] == 'M' && header[1] == 'Z';
}

bool IsExecutable(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The first `wine` on PATH, or empty.
std::string FindWine() {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::string();
  std::istringstream folders(path);
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/wine";
    if (IsExecutable(candidate)) return candidate;
  }
  return std::string();
}

bool AddOwnerExecuteBit(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if (info.st_mode & S_IXUSR) return true;
  return chmod(path.c_str(), (info.st_mode & 07777) | S_IXUSR) == 0;
}

pid_t Spawn(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // Handles are not inherited: only the standard streams go along.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  pid_t child = 0;
  const int failed = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return failed == 0 ? child : 0;
}

}  // namespace

std::string ProgramOfCommandLine(const std::string& commandLine) {
  if (!commandLine.empty() && commandLine[0] == '"') {
    const size_t end = commandLine.find('"', 1);
    return commandLine.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  }
  return commandLine.substr(0, commandLine.find(' '));
}

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, SECURITY_ATTRIBUTES*,
                    SECURITY_ATTRIBUTES*, BOOL, DWORD, void*, LPCSTR, STARTUPINFOA*,
                    PROCESS_INFORMATION* processInformation) {
  const std::string program = applicationName != nullptr ? std::string(applicationName)
                              : commandLine != nullptr   ? ProgramOfCommandLine(commandLine)
                                                         : std::string();
  if (program.empty() || !AddOwnerExecuteBit(program)) return FALSE;
  std::vector<std::string> arguments{program};
  if (StartsWithWindowsHeader(program)) {
    const std::string wine = FindWine();
    if (!wine.empty()) arguments = {wine, program};
  }
  const pid_t child = Spawn(arguments);
  if (child == 0) return FALSE;
  if (processInformation != nullptr) {
    *processInformation = PROCESS_INFORMATION{nullptr, nullptr, static_cast<DWORD>(child), 0};
  }
  return TRUE;
}
