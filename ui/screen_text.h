#pragma once
// The program's texts are Windows-1254; what goes on screen (the title, the
// status line, the boxes) is UTF-16 converted with that code page, so the
// Turkish letters come out right whatever the system's own ANSI code page.

#include <string>

#include "platform/win32/code_page.h"

using ScreenString = std::basic_string<WCHAR>;

// length -1: up to the terminating zero.
ScreenString ScreenText(const char* text, int length = -1);
inline ScreenString ScreenText(const std::string& text) {
  return ScreenText(text.data(), static_cast<int>(text.size()));
}
