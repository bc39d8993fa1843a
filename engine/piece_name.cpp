#include "engine/piece_name.h"

#include <algorithm>
#include <iterator>

namespace {

// Names that climb out of the folder or name a subfolder. One with a NUL
// would be cut short where it reaches the C library, so the file written
// and the file checked would not be the one the manifest names.
bool StaysInTheFolder(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

// Windows drops a trailing dot or space ("data1.bin." would overwrite
// "data1.bin"), reads ':' as the start of a stream name and refuses the rest.
bool WindowsKeepsTheName(const std::string& name) {
  if (name.back() == '.' || name.back() == ' ') return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 32 || std::string("<>:\"|?*").find(c) != std::string::npos;
  });
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  });
  return text;
}

// "NUL.bin" opens the null device on Windows, whatever follows the dot.
bool IsDeviceName(const std::string& name) {
  const std::string stem = Upper(name.substr(0, name.find('.')));
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  if (std::find(std::begin(kDevices), std::end(kDevices), stem) != std::end(kDevices)) return true;
  // Windows counts the superscripts 1, 2 and 3 (Windows-1254 B9, B2, B3) as
  // port numbers too.
  const bool numbered =
      stem.size() == 4 && ((stem[3] >= '1' && stem[3] <= '9') ||
                           std::string("\xB9\xB2\xB3").find(stem[3]) != std::string::npos);
  return numbered && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0);
}

}  // namespace

bool IsSafePieceName(const std::string& name) {
  return StaysInTheFolder(name) && WindowsKeepsTheName(name) && !IsDeviceName(name);
}
