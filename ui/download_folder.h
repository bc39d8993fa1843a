#pragma once
// The download folder: the temporary folder followed by "Kelpa/", made when
// it is not a directory yet; the bare temporary folder when it cannot be
// made; "./" without a temporary folder. Always ends in "/".

#include <string>

std::string PrepareDownloadFolder();
