#pragma once
// A wine command (wine, wineboot, wineserver) as the build under test runs
// it: on this machine's wine, or inside the 32-bit wine root through its
// script.

#include <string>
#include <vector>

namespace e2e {

std::vector<std::string> WineCommand(std::vector<std::string> command);

}  // namespace e2e
