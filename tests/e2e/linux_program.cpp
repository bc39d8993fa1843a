// The Linux program, run directly.

#include "tests/e2e/e2e_harness.h"

namespace e2e {

const char kReferenceBoxTitle[] = "^e2e-reference-box$";

std::string ProgramUnavailable(ProgramBuild) { return std::string(); }
std::string InstallerProgram() { return StandInInstaller().body; }
const char kInstallerRanFile[] = "installer-ran.txt";
void PrepareProgramSuite(const VirtualDisplay&) {}
void EndProgramSuite() {}
void PrepareProgramTest(const PlayerFolders&) {}

ChildProcess::Options ProgramStart(const PlayerFolders& folders, const VirtualDisplay& display,
                                   const std::map<std::string, std::string>& environment,
                                   ProgramBuild build) {
  std::string tmp = folders.tmp;
  tmp.pop_back();
  std::map<std::string, std::string> changes = {
      {"DISPLAY", display.Name()},
      {"TMPDIR", tmp},
      {"HOME", folders.home},
      {"XDG_RUNTIME_DIR", folders.runtime},
      {"XDG_CACHE_HOME", ""},
      {"XDG_CONFIG_HOME", ""},
      {"XDG_DATA_HOME", ""},
      {"WINEPREFIX", ""},
      {"WINEDEBUG", "-all"},
      // The test command runs the unit tests offscreen; this one needs X.
      {"QT_QPA_PLATFORM", ""},
      {"QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu"},
      {"http_proxy", ""},
      {"HTTP_PROXY", ""},
      {"https_proxy", ""},
      {"HTTPS_PROXY", ""},
      {"all_proxy", ""},
      {"ALL_PROXY", ""},
      {"no_proxy", ""},
      {"NO_PROXY", ""},
  };
  for (const auto& [name, value] : environment) changes[name] = value;
  ChildProcess::Options options;
  options.arguments = {build == ProgramBuild::Signed ? VELTRA_SIGNED_PROGRAM : VELTRA_PROGRAM};
  options.environment = EnvironmentWith(changes);
  options.folder = folders.work;
  return options;
}

std::string ProgramDownloadFolder(const PlayerFolders& folders) { return folders.tmp + "Kelpa/"; }

ChildProcess StartReferenceBox(const std::string& text, const VirtualDisplay& display) {
  ChildProcess::Options options;
  options.arguments = {VELTRA_REFERENCE_BOX, text};
  options.environment = EnvironmentWith({{"DISPLAY", display.Name()}, {"QT_QPA_PLATFORM", ""}});
  return ChildProcess(options);
}

}  // namespace e2e
