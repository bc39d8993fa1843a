#include "engine/piece_path.h"

#include "platform/win32/code_page.h"
#include "platform/win32/utf8_path.h"

std::string PiecePath(const std::string& folder, const std::string& name) {
  const int length = MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, nullptr, 0);
  if (length <= 0) return folder + name;
  std::basic_string<WCHAR> wide(static_cast<std::size_t>(length), 0);
  MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide.data(), length);
  return folder + Utf8Path(wide.c_str());
}
