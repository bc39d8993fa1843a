#include "start_failure.h"

#include <QString>
#include <QtGlobal>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

constexpr char kProgram[] = "veltra-setup";
// How Qt's X11 plugin says a display refused it.
constexpr char kRefusal[] = "could not connect to display";

std::atomic<bool> g_started{false};
std::mutex g_lock;
std::string g_refusedDisplay;  // guarded by g_lock

void HandleMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
  const std::string text = message.toStdString();
  if (type != QtFatalMsg) {
    const std::size_t refusal = text.find(kRefusal);
    if (refusal != std::string::npos) {
      std::lock_guard<std::mutex> lock(g_lock);
      g_refusedDisplay = text.substr(refusal + sizeof kRefusal);
    }
    return;
  }
  if (g_started.load()) return;
  std::string refused;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    refused = g_refusedDisplay;
  }
  const std::string line = StartFailureLine(text, refused, std::getenv("DISPLAY")) + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  // Nothing of the half-made toolkit is torn down.
  std::_Exit(1);
}

}  // namespace

void InstallToolkitMessageHandler() { qInstallMessageHandler(HandleMessage); }

void ToolkitStarted() { g_started.store(true); }

std::string StartFailureLine(const std::string& fatalMessage, const std::string& refusedDisplay,
                             const char* displayVariable) {
  const std::string prefix = std::string(kProgram) + ": ";
  if (!refusedDisplay.empty()) return prefix + "cannot open display " + refusedDisplay;
  const bool noPlatform = fatalMessage.find("platform plugin") != std::string::npos;
  if (noPlatform && (displayVariable == nullptr || *displayVariable == '\0')) {
    return prefix + "no display to open: DISPLAY is not set";
  }
  return prefix + fatalMessage.substr(0, fatalMessage.find('\n'));
}
