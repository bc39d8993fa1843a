#include "ui/screen_text.h"

#include <cstring>

ScreenString ScreenText(const char* text, int length) {
  if (length < 0) length = static_cast<int>(std::strlen(text));
  if (length == 0) return ScreenString();
  const int needed = MultiByteToWideChar(kTextCodePage, 0, text, length, nullptr, 0);
  ScreenString wide(static_cast<std::size_t>(needed > 0 ? needed : 0), WCHAR{});
  if (needed > 0) MultiByteToWideChar(kTextCodePage, 0, text, length, &wide[0], needed);
  return wide;
}
