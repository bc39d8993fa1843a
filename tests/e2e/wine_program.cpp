// The Windows program under wine: one prefix for every run (made once, kept
// in the build folder) whose server stays up while a suite runs. The program
// keeps its pieces in the prefix's temporary folder, which each test empties
// first. A window manager runs meanwhile, as on a player's desktop: without
// one wine waits two seconds for each window it hides or destroys to be
// withdrawn, and keyboard focus does not reach its windows.

#include <iconv.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdio>

#include <boost/filesystem.hpp>

#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/wine_command.h"

namespace e2e {

const char kReferenceBoxTitle[] = "^e2e-reference-box$";

namespace {

const char kPrefix[] = VELTRA_E2E_WINE_PREFIX;
// The script that enters the 32-bit wine root, or empty for this machine's
// own wine.
const char kRunner[] = VELTRA_E2E_WINE_RUNNER;

ChildProcess& WindowManager() {
  static ChildProcess manager;
  return manager;
}

// The 32-bit root's folder as this process's environment finds it, for
// commands run with another HOME. Empty without a runner.
const std::string& RootFolder() {
  static const std::string folder = [] {
    if (!*kRunner) return std::string();
    std::string path = RunTool({kRunner, "path"}, EnvironmentWith({}), 30).output;
    while (!path.empty() && path.back() == '\n') path.pop_back();
    return path;
  }();
  return folder;
}

// Quiet, no installer dialog for Mono or the HTML engine, no debugger left
// waiting after a crash, none of the caller's proxies, and a UTF-8 locale as
// on a player's desktop (in the C locale wine cannot name a file with a
// letter outside ASCII; the ANSI code page stays 1252).
std::map<std::string, std::string> WineEnvironment(const VirtualDisplay& display) {
  std::map<std::string, std::string> environment = {
      {"DISPLAY", display.Name()}, {"WINEPREFIX", kPrefix},
      {"WINEDEBUG", "-all"},       {"WINEDLLOVERRIDES", "mscoree,mshtml=;winedbg.exe=d"},
      {"http_proxy", ""},          {"HTTP_PROXY", ""},
      {"https_proxy", ""},         {"HTTPS_PROXY", ""},
      {"all_proxy", ""},           {"ALL_PROXY", ""},
      {"LC_ALL", "C.UTF-8"}};
  if (*kRunner) environment["VELTRA_WINE32_ROOT"] = RootFolder();
  return environment;
}

std::string PrefixTemporaryFolder() { return WineUserFolder() + "Temp/"; }

// The text as its UTF-16 code units, four hexadecimal digits each: wine
// decodes a Unix command line with the caller's locale, and ASCII is the one
// text every locale decodes alike. Empty when the text is not UTF-8.
std::string Utf16Digits(std::string utf8) {
  iconv_t converter = iconv_open("UTF-16LE", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string();
  std::string units(utf8.size() * 2, '\0');
  char* in = utf8.data();
  char* out = units.data();
  std::size_t inLeft = utf8.size(), outLeft = units.size();
  const bool whole = iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(converter);
  if (!whole) return std::string();
  units.resize(units.size() - outLeft);
  std::string digits;
  for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
    char unit[5];
    std::snprintf(unit, sizeof unit, "%02X%02X", static_cast<unsigned char>(units[i + 1]),
                  static_cast<unsigned char>(units[i]));
    digits += unit;
  }
  return digits;
}

}  // namespace

std::vector<std::string> WineCommand(std::vector<std::string> command) {
  if (*kRunner) command.insert(command.begin(), {kRunner, "run"});
  return command;
}

// With the display: after a reg call without it, the program's window could
// not be made in the prefix. Wine decodes its command line in the caller's
// locale, which reads UTF-8 here.
int WineReg(std::vector<std::string> arguments, const VirtualDisplay& display) {
  arguments.insert(arguments.begin(), {"wine", "reg"});
  return RunTool(WineCommand(arguments), EnvironmentWith(WineEnvironment(display)), 60).status;
}

// Wine names the Windows user after the Unix one.
std::string WineUserName() {
  const passwd* user = getpwuid(geteuid());
  return user ? user->pw_name : "root";
}

std::string WineUserFolder() {
  return std::string(kPrefix) + "/drive_c/users/" + WineUserName() + "/";
}

namespace {

const char* ProgramFile(ProgramBuild build) {
  return build == ProgramBuild::Signed ? VELTRA_WINDOWS_SIGNED_PROGRAM : VELTRA_WINDOWS_PROGRAM;
}

}  // namespace

std::string InstallerProgram() { return ReadFile(VELTRA_WINDOWS_INSTALLER); }
const char kInstallerRanFile[] = "windows-installer-ran.txt";

std::string ProgramUnavailable(ProgramBuild build) {
  if (!boost::filesystem::exists(ProgramFile(build))) {
    return "the Windows program is not built: scripts/build_windows.sh";
  }
  if (!OnPath("wine") || !OnPath("openbox")) return "needs wine and openbox";
  // Asked once: the answer holds for the whole run.
  static const std::string rootUnready = [] {
    if (!*kRunner) return std::string();
    const ToolResult check = RunTool({kRunner, "ready"}, EnvironmentWith({}), 30);
    return check.status == 0 ? std::string() : check.output;
  }();
  return rootUnready;
}

void PrepareProgramSuite(const VirtualDisplay& display) {
  const std::vector<std::string> environment = EnvironmentWith(WineEnvironment(display));
  if (!boost::filesystem::exists(std::string(kPrefix) + "/system.reg")) {
    RunTool(WineCommand({"wineboot", "-i"}), environment, 300);
  }
  RunTool(WineCommand({"wineserver", "-p"}), environment, 30);
  ChildProcess::Options options;
  options.arguments = {"openbox"};
  options.environment = EnvironmentWith({{"DISPLAY", display.Name()}});
  WindowManager() = ChildProcess(options);
  // A loaded machine has been seen to take over 15 s to bring openbox up.
  PollUntil(45, [&] {
    return !WindowManager().Running() ||
           display.Property("root", "_NET_SUPPORTING_WM_CHECK").find("window id") !=
               std::string::npos;
  });
}

void EndProgramSuite() {
  RunTool(WineCommand({"wineserver", "-k"}), EnvironmentWith({{"WINEPREFIX", kPrefix}}), 30);
  WindowManager().Kill();
}

void PrepareProgramTest(const PlayerFolders&) {
  boost::system::error_code ignored;
  boost::filesystem::remove_all(PrefixTemporaryFolder() + "Kelpa", ignored);
}

ChildProcess::Options ProgramStart(const PlayerFolders& folders, const VirtualDisplay& display,
                                   const std::map<std::string, std::string>& environment,
                                   ProgramBuild build) {
  std::map<std::string, std::string> changes = WineEnvironment(display);
  changes["HOME"] = folders.home;
  for (const auto& [name, value] : environment) changes[name] = value;
  ChildProcess::Options options;
  options.arguments = WineCommand({"wine", ProgramFile(build)});
  options.environment = EnvironmentWith(changes);
  options.folder = folders.work;
  return options;
}

std::string ProgramDownloadFolder(const PlayerFolders&) {
  return PrefixTemporaryFolder() + "Kelpa/";
}

ChildProcess StartReferenceBox(const std::string& text, const VirtualDisplay& display) {
  ChildProcess::Options options;
  options.arguments = WineCommand({"wine", VELTRA_WINDOWS_REFERENCE_BOX, Utf16Digits(text)});
  options.environment = EnvironmentWith(WineEnvironment(display));
  return ChildProcess(options);
}

}  // namespace e2e
