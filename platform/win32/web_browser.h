#pragma once
// The browser interface of a hosted web control and the host window that
// hands it out. User-interface thread only. The interface belongs to the host
// window and is valid as long as that window exists.

#include "platform/win32/ui_types.h"

struct IWebBrowser2 {
  // Starts loading the address (narrow text in the ANSI code page) and
  // returns at once; the page arrives on the control's own schedule.
  virtual HRESULT Navigate(LPCSTR url) = 0;

 protected:
  ~IWebBrowser2() = default;
};

class CAxWindow {
 public:
  explicit CAxWindow(HWND window = nullptr) : m_hWnd(window) {}
  // S_OK and the interface when the hosted control is a web browser;
  // E_NOINTERFACE for a host without one, E_FAIL for no host at all.
  HRESULT QueryControl(IWebBrowser2** browser) const;

  HWND m_hWnd;
};
