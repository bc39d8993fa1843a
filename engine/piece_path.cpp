#include "engine/piece_path.h"

#include "platform/win32/code_page.h"
#include "platform/win32/utf8_path.h"

std::string PiecePath(const std::string& folder, const std::string& name) {
  const std::basic_string<WCHAR> wide = WideText(CP_ACP, name);
  return folder + (wide.empty() ? name : Utf8Path(wide.c_str()));
}
