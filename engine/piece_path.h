#pragma once

#include <string>

// The piece's file: the download folder, which ends in its separator, and
// the name. Paths are UTF-8 inside the program, while a name is the
// manifest's bytes; they are read in the ANSI code page, as Windows' ANSI
// functions would read them, so a package names the same files on every
// Windows whatever its user's folder is called. An ASCII name is unchanged.
std::string PiecePath(const std::string& folder, const std::string& name);
