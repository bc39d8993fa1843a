// Starts a program under an X display and watches it from the outside: when
// its window (found by title) first shows the skin, and when the start button
// is drawn; meanwhile it samples /proc for every process the program started
// (the web engine's helpers too), keeping the peak of their summed resident
// memory and each one's CPU time. Ends the program's process group when the
// button shows or after TIMEOUT seconds. Prints one line of key=value pairs;
// `launch` is the wall-clock time of the start, to line up with server logs.
//   bench_screen_watch TITLE SKIN_BMP BUTTON_BMP TIMEOUT PROGRAM [ARG...]

#include "tests/e2e/screen_image.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dirent.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

Window FindWindow(Display* display, Window parent, const char* title) {
  Window root, up, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
  Window found = 0;
  for (unsigned index = 0; index < count && found == 0; ++index) {
    char* name = nullptr;
    if (XFetchName(display, children[index], &name) && name != nullptr) {
      XWindowAttributes attributes;
      if (std::strcmp(name, title) == 0 &&
          XGetWindowAttributes(display, children[index], &attributes) &&
          attributes.map_state == IsViewable) {
        found = children[index];
      }
      XFree(name);
    }
  }
  if (children != nullptr) XFree(children);
  return found;
}

// True when the window shows the bitmap's part (bx, by, w, h) at (wx, wy).
bool Shows(Display* display, Window window, int wx, int wy, const e2e::Image& bitmap, int bx,
           int by, int w, int h) {
  XImage* image = XGetImage(display, window, wx, wy, w, h, AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  int wrong = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      const e2e::Rgb shown{static_cast<std::uint8_t>(pixel >> 16),
                           static_cast<std::uint8_t>(pixel >> 8), static_cast<std::uint8_t>(pixel)};
      if (shown != bitmap.At(bx + x, by + y)) ++wrong;
    }
  }
  XDestroyImage(image);
  return wrong * 100 <= w * h;  // a stray pixel of the pointer or text is no miss
}

struct ProcessSample {
  long ppid = 0;
  double cpuSeconds = 0;
  long rssKiB = 0;
};

std::map<long, ProcessSample> ReadProcesses() {
  std::map<long, ProcessSample> all;
  static const long ticks = sysconf(_SC_CLK_TCK);
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return all;
  while (dirent* entry = readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || pid <= 0) continue;
    std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
    std::string text;
    std::getline(stat, text);
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream fields(text.substr(close + 2));
    std::vector<std::string> field;
    for (std::string each; fields >> each;) field.push_back(each);
    if (field.size() < 22) continue;
    ProcessSample sample;
    sample.ppid = std::stol(field[1]);
    sample.cpuSeconds = (std::stod(field[11]) + std::stod(field[12])) / ticks;
    sample.rssKiB = std::stol(field[21]) * (sysconf(_SC_PAGESIZE) / 1024);
    all[pid] = sample;
  }
  closedir(proc);
  return all;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    std::fprintf(stderr,
                 "usage: bench_screen_watch TITLE SKIN_BMP BUTTON_BMP TIMEOUT PROGRAM [ARG...]\n");
    return 2;
  }
  const char* title = argv[1];
  const std::optional<e2e::Image> skin = e2e::ReadBmp(argv[2]);
  const std::optional<e2e::Image> button = e2e::ReadBmp(argv[3]);
  const double timeout = std::atof(argv[4]);
  Display* display = XOpenDisplay(nullptr);
  if (!skin || !button || display == nullptr) {
    std::fprintf(stderr, "cannot read the bitmaps or open the display\n");
    return 2;
  }

  const auto start = Clock::now();
  const double launch =
      std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  const pid_t child = fork();
  if (child == 0) {
    setpgid(0, 0);
    execvp(argv[5], argv + 5);
    _exit(127);
  }
  setpgid(child, child);
  auto since = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };

  Window window = 0;
  double shownAt = -1, paintedAt = -1, finishedAt = -1;
  std::map<long, double> cpuOf;
  long peakRssKiB = 0;
  auto sample = [&] {
    const std::map<long, ProcessSample> all = ReadProcesses();
    std::set<long> tree = {child};
    for (bool grew = true; grew;) {
      grew = false;
      for (const auto& [pid, each] : all) {
        if (tree.count(each.ppid) && tree.insert(pid).second) grew = true;
      }
    }
    long rss = 0;
    for (long pid : tree) {
      auto found = all.find(pid);
      if (found == all.end()) continue;
      rss += found->second.rssKiB;
      cpuOf[pid] = std::max(cpuOf[pid], found->second.cpuSeconds);
    }
    peakRssKiB = std::max(peakRssKiB, rss);
  };

  // The skin's face at the top left, clear of every control; the start
  // button's strip of bitmap 208 at its place (columns 146-309, rows 5-50).
  const int faceX = 20, faceY = 66, faceW = 40, faceH = 12;
  const int stripX = 146, stripY = 5, stripW = 164, stripH = 46, buttonX = 69, buttonY = 505;
  // Reading every process's /proc entry takes milliseconds, so the samples
  // are spaced out: the watcher must not compete with what it watches.
  const double sampleInterval = 0.1;
  double sampledAt = -sampleInterval;
  int status = 0;
  bool exited = false;
  for (int round = 0; since() < timeout; ++round) {
    if (waitpid(child, &status, WNOHANG) == child) {
      exited = true;
      break;
    }
    if (window == 0) {
      window = FindWindow(display, DefaultRootWindow(display), title);
      if (window != 0) shownAt = since();
    }
    if (window != 0 && paintedAt < 0 &&
        Shows(display, window, faceX, faceY, *skin, faceX, faceY, faceW, faceH)) {
      paintedAt = since();
    }
    if (window != 0 && paintedAt >= 0 && round % 5 == 0 &&
        Shows(display, window, buttonX + stripX, buttonY + stripY, *button, stripX, stripY, stripW,
              stripH)) {
      finishedAt = since();
      break;
    }
    if (since() - sampledAt >= sampleInterval) {
      sample();
      sampledAt = since();
    }
    usleep(2000);
  }
  sample();
  if (!exited) {
    kill(-child, SIGKILL);
    waitpid(child, &status, 0);
  }
  double cpu = 0;
  for (const auto& [pid, seconds] : cpuOf) cpu += seconds;
  std::printf(
      "launch=%.6f shown=%.4f painted=%.4f finished=%.4f cpu=%.2f peak_rss_mib=%.0f "
      "processes=%zu\n",
      launch, shownAt, paintedAt, finishedAt, cpu, peakRssKiB / 1024.0, cpuOf.size());
  XCloseDisplay(display);
  return finishedAt >= 0 ? 0 : 1;
}
