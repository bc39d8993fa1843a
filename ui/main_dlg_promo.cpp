#include "platform/win32/web_browser.h"
#include "res/skin_geometry.h"
#include "ui/main_dlg.h"
#include "ui/promo_address.h"
#include "ui/screen_text.h"

// A host without a browser leaves the middle blank; the download does not
// depend on the page, and the result of the navigation is not looked at.
void CMainDlg::PlacePromoBrowser() {
  CAxWindow host(GetDlgItem(kPromoControlId));
  SetWindowPos(host.m_hWnd, nullptr, skin::kWebView.left, skin::kWebView.top,
               skin::kWebView.Width(), skin::kWebView.Height(), 0);
  IWebBrowser2* browser = nullptr;
  if (host.QueryControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)) != S_OK) return;
  const ScreenString url = ScreenText(g_szPromoUrl);
  BSTR address = SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
  VARIANT empty;
  VariantInit(&empty);
  browser->Navigate(address, &empty, &empty, &empty, &empty);
  SysFreeString(address);
  VariantClear(&empty);
  browser->Release();
}
