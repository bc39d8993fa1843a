#pragma once
// The download folder: the temporary folder followed by "Kelpa" and the path
// separator, made (mode 0700 on POSIX) when missing; the bare temporary
// folder when "Kelpa" cannot be made or is not private; "." and the separator
// without a temporary folder. A folder is used only when it is private (see
// private_folder.h); empty when none is. Otherwise it always ends in the
// separator.

#include <string>

std::string PrepareDownloadFolder();
