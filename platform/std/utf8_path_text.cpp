#include "platform/win32/code_page.h"
#include "platform/win32/utf8_path.h"

std::basic_string<WCHAR> WideText(UINT codePage, const std::string& text) {
  const int length = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::basic_string<WCHAR> wide(static_cast<std::size_t>(length), 0);
  MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(), length);
  wide.pop_back();  // the string keeps its own terminating zero
  return wide;
}

std::basic_string<WCHAR> WidePath(const std::string& path) { return WideText(CP_UTF8, path); }

std::string Utf8Path(LPCWSTR path) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, path, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path, -1, text.data(), length, nullptr, nullptr);
  text.pop_back();
  return text;
}
