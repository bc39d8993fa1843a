// The ActiveX host window: it makes the control named in its text, hands
// out the control's interfaces, and its site answers exactly what a web
// browser control asks of it.

#include "platform/wtl/ax_host.h"

#include <gtest/gtest.h>
#include <mshtmhst.h>

#include "platform/win32/component_host.h"
#include "platform/win32/web_browser.h"

namespace {

class AxHost : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitialize(nullptr);
    ASSERT_TRUE(AtlAxWinInit());
  }
  static void TearDownTestSuite() { CoUninitialize(); }

  HWND Host(const wchar_t* classId) {
    m_parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 600, 400, nullptr, nullptr,
                               nullptr, nullptr);
    return CreateWindowExW(0, kAxHostClassNameW, classId, WS_CHILD | WS_VISIBLE, 10, 10, 300, 200,
                           m_parent, reinterpret_cast<HMENU>(1005), nullptr, nullptr);
  }
  ~AxHost() override { DestroyWindow(m_parent); }

  HWND m_parent = nullptr;
};

TEST_F(AxHost, HandsOutTheBrowserAndNothingItLacks) {
  HWND host = Host(L"{8856F961-340A-11D0-A96B-00C04FD705A2}");
  ASSERT_NE(host, nullptr);
  IWebBrowser2* browser = nullptr;
  ASSERT_EQ(CAxWindow(host).QueryControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)),
            S_OK);
  browser->Release();
  const IID none = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
  void* nothing = reinterpret_cast<void*>(1);
  EXPECT_EQ(CAxWindow(host).QueryControl(none, &nothing), E_NOINTERFACE);
  EXPECT_EQ(nothing, nullptr);
}

// A class that cannot be made leaves a blank host, and no host is no host.
TEST_F(AxHost, WithoutAControlThereIsNothingToHandOut) {
  HWND blank = Host(L"{00000000-0000-0000-0000-00000000BAD0}");
  ASSERT_NE(blank, nullptr) << "the window stays, blank";
  IWebBrowser2* browser = nullptr;
  EXPECT_EQ(CAxWindow(blank).QueryControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)),
            E_FAIL);
  EXPECT_EQ(CAxWindow(m_parent).QueryControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)),
            E_FAIL);
  EXPECT_EQ(browser, nullptr);
}

TEST_F(AxHost, TheSiteAnswersTheClientSiteTheInPlaceSiteAndFrameAndTheUiHandlerOnly) {
  HWND host = Host(L"{8856F961-340A-11D0-A96B-00C04FD705A2}");
  IOleObject* control = nullptr;
  ASSERT_EQ(CAxWindow(host).QueryControl(IID_IOleObject, reinterpret_cast<void**>(&control)), S_OK);
  IOleClientSite* site = nullptr;
  ASSERT_EQ(control->GetClientSite(&site), S_OK);
  ASSERT_NE(site, nullptr);
  struct Asked {
    const char* name;
    IID iid;
    bool answered;
  } asked[] = {
      {"IOleClientSite", IID_IOleClientSite, true},
      {"IOleWindow", IID_IOleWindow, true},
      {"IOleInPlaceSite", IID_IOleInPlaceSite, true},
      {"IOleInPlaceUIWindow", IID_IOleInPlaceUIWindow, true},
      {"IOleInPlaceFrame", IID_IOleInPlaceFrame, true},
      {"IDocHostUIHandler", IID_IDocHostUIHandler, true},
      {"IDispatch", IID_IDispatch, false},
      {"IServiceProvider", IID_IServiceProvider, false},
      {"IOleControlSite", IID_IOleControlSite, false},
      {"IOleCommandTarget", IID_IOleCommandTarget, false},
  };
  for (const Asked& query : asked) {
    IUnknown* answer = nullptr;
    const HRESULT result = site->QueryInterface(query.iid, reinterpret_cast<void**>(&answer));
    EXPECT_EQ(result == S_OK, query.answered) << query.name;
    if (answer != nullptr) answer->Release();
  }
  IOleWindow* window = nullptr;
  ASSERT_EQ(site->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window)), S_OK);
  HWND answered = nullptr;
  EXPECT_EQ(window->GetWindow(&answered), S_OK);
  EXPECT_EQ(answered, host);
  window->Release();
  site->Release();
  control->Release();
}

}  // namespace
