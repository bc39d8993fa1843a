#include "platform/win32/web_browser.h"
#include "res/skin_geometry.h"
#include "ui/main_dlg.h"
#include "ui/promo_address.h"

// A host without a browser leaves the middle blank; the download does not
// depend on the page.
void CMainDlg::PlacePromoBrowser() {
  CAxWindow host(GetDlgItem(kPromoControlId));
  SetWindowPos(host.m_hWnd, nullptr, skin::kWebView.left, skin::kWebView.top,
               skin::kWebView.Width(), skin::kWebView.Height(), 0);
  IWebBrowser2* browser = nullptr;
  if (host.QueryControl(&browser) == S_OK) browser->Navigate(g_szPromoUrl);
}
