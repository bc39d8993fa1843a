#include "platform/win32/code_page.h"
#include "platform/win32/web_browser.h"
#include "res/skin_geometry.h"
#include "ui/main_dlg.h"
#include "ui/promo_address.h"

namespace {

// The address as the control takes it: UTF-16, converted with the ANSI code
// page. The caller frees it.
BSTR PromoAddress() {
  const int length = MultiByteToWideChar(CP_ACP, 0, g_szPromoUrl, -1, nullptr, 0);
  if (length <= 0) return nullptr;
  BSTR address = SysAllocStringLen(nullptr, static_cast<UINT>(length - 1));
  if (address != nullptr) MultiByteToWideChar(CP_ACP, 0, g_szPromoUrl, -1, address, length);
  return address;
}

}  // namespace

// A host without a browser leaves the middle blank; the download does not
// depend on the page, and the result of the navigation is not looked at.
void CMainDlg::PlacePromoBrowser() {
  CAxWindow host(GetDlgItem(kPromoControlId));
  SetWindowPos(host.m_hWnd, nullptr, skin::kWebView.left, skin::kWebView.top,
               skin::kWebView.Width(), skin::kWebView.Height(), 0);
  IWebBrowser2* browser = nullptr;
  if (host.QueryControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)) != S_OK) return;
  BSTR address = PromoAddress();
  VARIANT empty;
  VariantInit(&empty);
  browser->Navigate(address, &empty, &empty, &empty, &empty);
  SysFreeString(address);
  VariantClear(&empty);
  browser->Release();
}
