#include "platform/win32/web_browser.h"
#include "ui/main_dlg.h"
#include "ui/promo_address.h"

namespace {

constexpr RECT kPromoPlace = {53, 113, 53 + 517, 113 + 387};

}  // namespace

// A host without a browser leaves the middle blank; the download does not
// depend on the page.
void CMainDlg::PlacePromoBrowser() {
  CAxWindow host(GetDlgItem(kPromoControlId));
  SetWindowPos(host.m_hWnd, nullptr, kPromoPlace.left, kPromoPlace.top,
               kPromoPlace.right - kPromoPlace.left, kPromoPlace.bottom - kPromoPlace.top, 0);
  IWebBrowser2* browser = nullptr;
  if (host.QueryControl(&browser) == S_OK) browser->Navigate(g_szPromoUrl);
}
