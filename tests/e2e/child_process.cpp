#include "tests/e2e/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <utility>

extern char** environ;

namespace e2e {

double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double SecondsSince(double start) { return Now() - start; }

void SleepMs(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string line(*entry);
    const std::string name = line.substr(0, line.find('='));
    if (changes.count(name) == 0) result.push_back(line);
  }
  for (const auto& [name, value] : changes) {
    if (!value.empty()) result.push_back(name + "=" + value);
  }
  return result;
}

ChildProcess::ChildProcess(const Options& options) {
  std::vector<char*> argv;
  for (const std::string& argument : options.arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& entry : options.environment)
    envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (options.outputFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, options.outputFd, 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  } else {
    const std::string output = options.output.empty() ? "/dev/null" : options.output;
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  }
  if (!options.folder.empty())
    posix_spawn_file_actions_addchdir_np(&actions, options.folder.c_str());
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
  posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  const int failed = posix_spawnp(&m_pid, argv[0], &actions, &attributes, argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    m_pid = 0;
    throw std::runtime_error("cannot start " + options.arguments[0] + ": " + std::strerror(failed));
  }
}

ChildProcess::~ChildProcess() { Kill(); }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(std::exchange(other.m_pid, 0)), m_status(other.m_status) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Kill();
    m_pid = std::exchange(other.m_pid, 0);
    m_status = other.m_status;
  }
  return *this;
}

void ChildProcess::Reap(int options) {
  if (m_pid == 0 || m_status) return;
  int status = 0;
  const pid_t done = waitpid(m_pid, &status, options);
  if (done == m_pid) {
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  } else if (done < 0 && errno == ECHILD) {
    m_status = -1;
  }
}

bool ChildProcess::Running() {
  Reap(WNOHANG);
  return m_pid != 0 && !m_status;
}

std::optional<int> ChildProcess::Wait(double seconds) {
  PollUntil(
      seconds, [this] { return !Running(); }, 20);
  return m_status;
}

void ChildProcess::Signal(int signal) {
  if (Running()) ::kill(m_pid, signal);
}

void ChildProcess::Kill() {
  if (m_pid == 0) return;
  // The group also holds what the program started; it may outlive the program.
  ::kill(-m_pid, SIGKILL);
  Reap(0);
  m_pid = 0;
}

ToolResult RunTool(const std::vector<std::string>& arguments,
                   const std::vector<std::string>& environment, double seconds) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return {};
  ToolResult result;
  ChildProcess::Options options;
  options.arguments = arguments;
  options.environment = environment;
  options.outputFd = pipeEnds[1];
  ChildProcess tool(options);
  close(pipeEnds[1]);
  const double start = Now();
  char buffer[4096];
  for (;;) {
    const double left = seconds - SecondsSince(start);
    if (left <= 0) break;
    pollfd ready{pipeEnds[0], POLLIN, 0};
    if (poll(&ready, 1, static_cast<int>(left * 1000) + 1) <= 0) break;
    const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
    if (got <= 0) break;  // the tool (and whatever holds its stdout) is done
    result.output.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipeEnds[0]);
  const std::optional<int> status = tool.Wait(std::max(0.0, seconds - SecondsSince(start)));
  result.status = status ? *status : -1;
  return result;
}

bool OnPath(const std::string& program) {
  return RunTool({"sh", "-c", "command -v " + program}, EnvironmentWith({}), 10).status == 0;
}

}  // namespace e2e
