#pragma once
// The browser interface of a hosted web control, the COM pieces a caller of
// it needs, and the host window that hands it out. User-interface thread
// only. On Windows these are the system's own, but for the host window,
// which is the framework's.

#include <algorithm>

#include "platform/win32/ui_types.h"

#ifdef _WIN32
#include <exdisp.h>
#include <oleauto.h>
#else

using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using VARTYPE = std::uint16_t;

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];
};
using IID = GUID;
using REFIID = const IID&;
inline bool operator==(const GUID& one, const GUID& other) {
  return one.Data1 == other.Data1 && one.Data2 == other.Data2 && one.Data3 == other.Data3 &&
         std::equal(one.Data4, one.Data4 + 8, other.Data4);
}

extern const IID IID_IUnknown;
extern const IID IID_IWebBrowser2;

constexpr VARTYPE VT_EMPTY = 0;
// Only empty values travel here.
struct VARIANT {
  VARTYPE vt;
};
void VariantInit(VARIANT* value);
HRESULT VariantClear(VARIANT* value);

// A length-prefixed UTF-16 string; null text leaves it uninitialised.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct IWebBrowser2 : IUnknown {
  // Starts loading the address and returns at once; the page arrives on the
  // control's own schedule. The other arguments are not looked at.
  virtual HRESULT Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                           VARIANT* headers) = 0;

 protected:
  ~IWebBrowser2() = default;
};

#endif  // _WIN32

class CAxWindow {
 public:
  explicit CAxWindow(HWND window = nullptr) : m_hWnd(window) {}
  // The hosted control's interface, AddRef'd: S_OK, E_NOINTERFACE when the
  // control has none such, E_FAIL for no host or no control.
  HRESULT QueryControl(REFIID iid, void** object) const;

  HWND m_hWnd;
};
