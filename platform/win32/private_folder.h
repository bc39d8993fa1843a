#pragma once
// Folders that only this user can change. The download folder may lie in a
// temporary folder that other users share; a folder someone else made there,
// or may write into, could hand the program a file of theirs (a forged
// installer, a link to one of ours), so only a private one is used. Any
// thread.

#include <string>

// Makes the folder for this user alone: mode 0700 on POSIX, on Windows a
// protected access list that lets in only the user and the system. False
// when it could not be made, also when something of that name is already
// there.
bool CreatePrivateFolder(const std::string& path);

// True when the path names, without a link (symbolic link or junction) at its
// last component, a directory owned by this user that nobody else may write
// into. A trailing separator is ignored.
bool IsPrivateFolder(const std::string& path);
