#include "platform/win32/create_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "platform/win32/last_error.h"

extern char** environ;

namespace {

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

bool StartsWithWindowsHeader(int file) {
  char header[2] = {0, 0};
  return ::pread(file, header, 2, 0) == 2 && header[0] == 'M' && header[1] == 'Z';
}

// A downloaded file has no execute bit; the owner's is added.
bool AddOwnerExecuteBit(int file) {
  struct stat info {};
  if (::fstat(file, &info) != 0) return false;
  if (info.st_mode & S_IXUSR) return true;
  return ::fchmod(file, (info.st_mode & 07777) | S_IXUSR) == 0;
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

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// Closes a descriptor on every way out.
class CProgramFile {
 public:
  // Only a regular file reached without a link at its last component, opened
  // without waiting on a FIFO.
  explicit CProgramFile(const std::string& path)
      : m_fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)),
        m_missing(m_fd < 0 && errno == ENOENT) {
    struct stat info {};
    if (m_fd >= 0 && (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode))) {
      ::close(m_fd);
      m_fd = -1;
    }
  }
  ~CProgramFile() {
    if (m_fd >= 0) ::close(m_fd);
  }
  CProgramFile(const CProgramFile&) = delete;
  CProgramFile& operator=(const CProgramFile&) = delete;
  int Get() const { return m_fd; }
  bool WasMissing() const { return m_missing; }

 private:
  int m_fd;
  bool m_missing;
};

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
  if (program.empty()) return Fail(ERROR_FILE_NOT_FOUND);
  // A link or a FIFO put where the installer should be is not started, nor is
  // its target given an execute bit.
  const CProgramFile file(program);
  if (file.Get() < 0) return Fail(file.WasMissing() ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
  std::vector<std::string> arguments{program};
  if (StartsWithWindowsHeader(file.Get())) {
    const std::string wine = FindWine();
    if (wine.empty()) return Fail(ERROR_WINE_NEEDED);
    arguments = {wine, program};
  }
  if (!AddOwnerExecuteBit(file.Get())) return Fail(ERROR_ACCESS_DENIED);
  const pid_t child = Spawn(arguments);
  if (child == 0) return Fail(ERROR_ACCESS_DENIED);
  if (processInformation != nullptr) {
    *processInformation = PROCESS_INFORMATION{nullptr, nullptr, static_cast<DWORD>(child), 0};
  }
  return TRUE;
}
