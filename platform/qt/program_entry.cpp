// The process entry on POSIX: the program's WinMain with its command line
// and the default show command. Linked into the program only.

#include <string>

#include "platform/win32/program_entry.h"

int main(int argc, char** argv) {
  std::string commandLine;
  for (int index = 1; index < argc; ++index) {
    if (index > 1) commandLine += ' ';
    commandLine += argv[index];
  }
  return WinMain(nullptr, nullptr, &commandLine[0], SW_SHOWDEFAULT);
}
