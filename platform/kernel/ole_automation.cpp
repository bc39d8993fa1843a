#include <cstdlib>
#include <cstring>

#include "platform/win32/web_browser.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IWebBrowser2 = {
    0xD30C1661, 0xCDAF, 0x11D0, {0x8A, 0x3E, 0x00, 0xC0, 0x4F, 0xC9, 0xE2, 0x6E}};

void VariantInit(VARIANT* value) {
  if (value != nullptr) value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* value) {
  if (value != nullptr) value->vt = VT_EMPTY;
  return S_OK;
}

// The length in bytes comes first, the zero-ended text after it, as Windows
// lays a BSTR out.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  void* block = std::malloc(sizeof(std::uint32_t) + (length + 1) * sizeof(OLECHAR));
  if (block == nullptr) return nullptr;
  const std::uint32_t bytes = length * sizeof(OLECHAR);
  std::memcpy(block, &bytes, sizeof bytes);
  auto* string = reinterpret_cast<BSTR>(static_cast<char*>(block) + sizeof bytes);
  if (text != nullptr) std::memcpy(string, text, bytes);
  string[length] = 0;
  return string;
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(reinterpret_cast<char*>(text) - sizeof(std::uint32_t));
}
