#include "tests/e2e/virtual_display.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <cerrno>
#include <fstream>
#include <sstream>

namespace e2e {

namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

// A lock whose server is gone is taken over by the next Xvfb.
bool HeldByLiveServer(const std::string& lock) {
  std::ifstream file(lock);
  long pid = 0;
  if (!(file >> pid) || pid <= 0) return Exists(lock);
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

VirtualDisplay::VirtualDisplay() {
  const boost::filesystem::path scratch = boost::filesystem::temp_directory_path() /
                                          boost::filesystem::unique_path("e2e-display-%%%%%%");
  boost::filesystem::create_directories(scratch);
  m_scratch = scratch.string();
  for (int number = 60; number < 200; ++number) {
    const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
    if (Exists(lock) ? HeldByLiveServer(lock)
                     : Exists("/tmp/.X11-unix/X" + std::to_string(number))) {
      continue;
    }
    const std::string name = ":" + std::to_string(number);
    ChildProcess::Options options;
    // Without -noreset the server resets whenever its last client leaves and
    // refuses whoever connects meanwhile: a program started between two
    // xdotool calls would then fail at random.
    options.arguments = {"Xvfb",        name,        "-screen", "0",
                         "1024x768x24", "-nolisten", "tcp",     "-noreset"};
    options.environment = EnvironmentWith({});
    options.output = m_scratch + "/xvfb.log";
    try {
      m_server = ChildProcess(options);
    } catch (const std::exception&) {
      return;
    }
    m_name = name;
    // Ready once a client can talk to it; a taken number makes it exit.
    const bool up = PollUntil(10, [&] {
      return !m_server.Running() ||
             RunTool({"xdotool", "getdisplaygeometry"}, Environment(), 5).status == 0;
    });
    if (up && m_server.Running()) return;
    m_server.Kill();
    m_name.clear();
  }
}

VirtualDisplay::~VirtualDisplay() {
  // Asked to end, Xvfb removes its lock and socket; killed, it leaves them.
  m_server.Signal(SIGTERM);
  m_server.Wait(5);
  m_server.Kill();
  boost::system::error_code ignored;
  boost::filesystem::remove_all(m_scratch, ignored);
}

std::vector<std::string> VirtualDisplay::Environment() const {
  return EnvironmentWith({{"DISPLAY", m_name}});
}

bool VirtualDisplay::Xdotool(const std::vector<std::string>& arguments) const {
  std::vector<std::string> command{"xdotool"};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return RunTool(command, Environment(), 10).status == 0;
}

std::vector<std::string> VirtualDisplay::FindWindows(const std::string& pattern) const {
  const ToolResult found =
      RunTool({"xdotool", "search", "--onlyvisible", "--name", pattern}, Environment(), 10);
  std::vector<std::string> windows;
  std::istringstream lines(found.output);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty()) windows.push_back(line);
  }
  return windows;
}

std::optional<WindowPlace> VirtualDisplay::PlaceOf(const std::string& window) const {
  const ToolResult shell =
      RunTool({"xdotool", "getwindowgeometry", "--shell", window}, Environment(), 10);
  if (shell.status != 0) return std::nullopt;
  WindowPlace place;
  int seen = 0;
  std::istringstream lines(shell.output);
  std::string line;
  while (std::getline(lines, line)) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const int value = std::atoi(line.c_str() + equals + 1);
    if (key == "X") place.x = value, ++seen;
    if (key == "Y") place.y = value, ++seen;
    if (key == "WIDTH") place.width = value, ++seen;
    if (key == "HEIGHT") place.height = value, ++seen;
  }
  if (seen != 4) return std::nullopt;
  return place;
}

std::optional<Image> VirtualDisplay::Screenshot() const { return WindowPicture("root"); }

std::optional<Image> VirtualDisplay::WindowPicture(const std::string& window) const {
  const std::string file = m_scratch + "/picture.ppm";
  boost::system::error_code ignored;
  boost::filesystem::remove(file, ignored);
  if (RunTool({"import", "-window", window, "-depth", "8", "ppm:" + file}, Environment(), 20)
          .status != 0) {
    return std::nullopt;
  }
  return ReadPpm(file);
}

std::string VirtualDisplay::Property(const std::string& window, const std::string& name) const {
  if (window == "root") return RunTool({"xprop", "-root", name}, Environment(), 10).output;
  return RunTool({"xprop", "-id", window, name}, Environment(), 10).output;
}

void VirtualDisplay::MovePointer(int x, int y) const {
  Xdotool({"mousemove", std::to_string(x), std::to_string(y)});
}

void VirtualDisplay::PressButton() const { Xdotool({"mousedown", "1"}); }
void VirtualDisplay::ReleaseButton() const { Xdotool({"mouseup", "1"}); }
void VirtualDisplay::Click() const { Xdotool({"click", "1"}); }
void VirtualDisplay::Key(const std::string& keys) const { Xdotool({"key", keys}); }
void VirtualDisplay::Focus(const std::string& window) const {
  Xdotool({"windowfocus", "--sync", window});
}

}  // namespace e2e
