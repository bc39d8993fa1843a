#pragma once
// A wine command (wine, wineboot, wineserver) as the build under test runs
// it: on this machine's wine, or inside the 32-bit wine root through its
// script.

#include <string>
#include <vector>

namespace e2e {

class VirtualDisplay;

std::vector<std::string> WineCommand(std::vector<std::string> command);

// `wine reg` with these arguments in the suite's prefix; its exit status.
// Arguments may be UTF-8.
int WineReg(std::vector<std::string> arguments, const VirtualDisplay& display);

// The Windows user's name in the prefix, and that user's profile folder as a
// path on this machine, with its trailing slash.
std::string WineUserName();
std::string WineUserFolder();

}  // namespace e2e
