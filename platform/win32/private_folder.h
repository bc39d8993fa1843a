#pragma once
// Folders that only this user can change. The download folder may lie in a
// temporary folder that every user of the machine shares; a folder someone
// else made there, or may write into, could hand the program a file of theirs
// (a forged installer, a link to one of ours), so only a private one is used.

#include <string>

// Makes the folder with mode 0700. False when it could not be made, also when
// something of that name is already there.
bool CreatePrivateFolder(const std::string& path);

// True when the path names, without a link at its last component, a directory
// owned by this program's effective user that nobody else may write into. A
// trailing "/" is ignored.
bool IsPrivateFolder(const std::string& path);
