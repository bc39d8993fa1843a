#pragma once
// The download folder: the temporary folder followed by "Kelpa/", made (mode
// 0700) when missing; the bare temporary folder when "Kelpa" cannot be made
// or is not private; "./" without a temporary folder. A folder is used only
// when it is private (see private_folder.h); empty when none is. Otherwise it
// always ends in "/".

#include <string>

std::string PrepareDownloadFolder();
