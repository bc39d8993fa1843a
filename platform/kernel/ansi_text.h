#pragma once
// The program's narrow texts are in the Windows-1254 code page; the screen
// wants UTF-8. Thread-safe.

#include <string>

// Bytes that do not convert become U+FFFD rather than ending the text.
std::string AnsiToUtf8(const char* text, size_t length);
