#pragma once
// What someone else may leave under a name the program uses, made the way
// this system allows. Each Plant function makes the thing and returns an
// empty text, or returns why this system cannot make it here, for the test
// to skip with.
//
// Under wine only the Unix side can make links and FIFOs, and wine shows
// them as it can: a link to a folder as a reparse point, a link to a device
// as a character device, a FIFO as a pipe, and a link to a file as the file
// itself, which no Windows program can tell apart.

#include <string>

namespace test_support {

std::string PlantFileLink(const std::string& target, const std::string& at);
std::string PlantFolderLink(const std::string& target, const std::string& at);
// A link to a device that never runs dry (/dev/zero).
std::string PlantEndlessDeviceLink(const std::string& at);
std::string PlantFifo(const std::string& at);
// A listening local socket, kept until the process ends.
std::string PlantSocket(const std::string& at);

// "nothing", "link to TARGET", "fifo", "socket", "device", "folder", or
// "file of N bytes": enough to tell that a planted thing was left alone.
std::string WhatLiesAt(const std::string& path);

// True under wine, whose files differ from Windows' where said.
bool UnderWine();

}  // namespace test_support
