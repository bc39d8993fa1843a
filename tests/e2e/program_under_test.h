#pragma once
// The program the end-to-end harness drives: the Linux binary, or the
// Windows one under wine. Each test executable links one of
// linux_program.cpp and wine_program.cpp; the scenarios and the harness are
// the same for both.

#include <map>
#include <string>

#include "tests/e2e/child_process.h"
#include "tests/e2e/virtual_display.h"

namespace e2e {

// The scratch folders of one test, each ending in "/".
struct PlayerFolders {
  std::string tmp;
  std::string home;
  std::string work;
  std::string runtime;
};

// The program as players get it, or the same built with the tests'
// throwaway package key (tests/data/package_key.pem signs for it).
enum class ProgramBuild { Plain, Signed };

// Why the program cannot run here, for the tests to skip with; empty when
// it can.
std::string ProgramUnavailable(ProgramBuild build = ProgramBuild::Plain);
// Once before a suite's first test, and after its last.
void PrepareProgramSuite(const VirtualDisplay& display);
void EndProgramSuite();
// Once before each test.
void PrepareProgramTest(const PlayerFolders& folders);

// The program started as a player would, on the display, in the work
// folder, with these environment changes besides the harness's own.
ChildProcess::Options ProgramStart(const PlayerFolders& folders, const VirtualDisplay& display,
                                   const std::map<std::string, std::string>& environment,
                                   ProgramBuild build);
// The folder the program keeps its pieces in, ending in "/".
std::string ProgramDownloadFolder(const PlayerFolders& folders);

// An installer this program's system starts, and the file it leaves in its
// current folder once it has run.
std::string InstallerProgram();
extern const char kInstallerRanFile[];

// A box made as the program makes its error boxes, showing this UTF-8 text
// under kReferenceBoxTitle until it is killed.
ChildProcess StartReferenceBox(const std::string& text, const VirtualDisplay& display);
extern const char kReferenceBoxTitle[];

}  // namespace e2e
