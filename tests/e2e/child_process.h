#pragma once
// A program started by an end-to-end test, in a process group of its own, so
// that it and everything it starts (the browser engine's helpers, an
// installer) can be killed together. The destructor kills what is left.

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// This process's environment with some variables replaced; an empty value
// removes the variable.
std::vector<std::string> EnvironmentWith(const std::map<std::string, std::string>& changes);

class ChildProcess {
 public:
  struct Options {
    std::vector<std::string> arguments;    // arguments[0] is the program's path
    std::vector<std::string> environment;  // "NAME=value" each
    std::string folder;                    // current directory; empty = ours
    std::string output;                    // stdout and stderr go here; empty = /dev/null
    int outputFd = -1;                     // instead of `output`: stdout only, to this descriptor
  };

  ChildProcess() = default;
  // Throws std::runtime_error when the program cannot be started.
  explicit ChildProcess(const Options& options);
  ~ChildProcess();
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t Pid() const { return m_pid; }
  bool Running();
  // The exit status (128 + n after signal n) once it has ended; nothing if it
  // still runs after `seconds`.
  std::optional<int> Wait(double seconds);
  // SIGKILL to the whole group, then reaps the program.
  void Kill();
  void Signal(int signal);

 private:
  void Reap(int options);

  pid_t m_pid = 0;
  std::optional<int> m_status;
};

struct ToolResult {
  int status = -1;     // -1 when it did not end in time (it is then killed)
  std::string output;  // stdout
};

// Runs a short helper program (xdotool, xprop, import ...) to its end.
ToolResult RunTool(const std::vector<std::string>& arguments,
                   const std::vector<std::string>& environment, double seconds = 20.0);

// Whether a program of that name is on PATH.
bool OnPath(const std::string& program);

// Sleeps in steps until `condition` holds; false after `seconds`.
template <typename Condition>
bool PollUntil(double seconds, Condition condition, int stepMs = 100);

void SleepMs(int milliseconds);
double SecondsSince(double start);
double Now();

template <typename Condition>
bool PollUntil(double seconds, Condition condition, int stepMs) {
  const double start = Now();
  for (;;) {
    if (condition()) return true;
    if (SecondsSince(start) >= seconds) return false;
    SleepMs(stepMs);
  }
}

}  // namespace e2e
