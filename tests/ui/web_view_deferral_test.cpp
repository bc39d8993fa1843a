// The browser control makes its view only after its window has been painted,
// and an address it was told before that is loaded once the view exists.

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

#include "platform/win32/code_page.h"
#include "platform/win32/web_browser.h"
#include "web_view_control.h"

namespace {

struct StandInEngine {
  std::vector<QWidget*> made;
  std::vector<std::pair<QWidget*, QString>> loads;

  WebViewMaker Maker() {
    WebViewMaker maker;
    maker.make = [this](QWidget* parent) {
      made.push_back(new QWidget(parent));
      return made.back();
    };
    maker.load = [this](QWidget* view, const QString& url) { loads.emplace_back(view, url); };
    return maker;
  }
};

struct Case {
  const char* name;
  std::vector<std::string> beforeShown;
  std::vector<std::string> afterMade;
  std::vector<std::string> expectedLoads;
};

class WebViewDeferralTest : public testing::TestWithParam<Case> {};

IWebBrowser2* BrowserOf(const CWebViewControl& control) {
  IWebBrowser2* browser = nullptr;
  EXPECT_EQ(CAxWindow(control.Handle())
                .QueryControl(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)),
            S_OK);
  return browser;
}

// As the dialog does it: the address from the ANSI code page into a BSTR,
// the other arguments empty.
HRESULT Navigate(IWebBrowser2* browser, const std::string& url) {
  const int length = static_cast<int>(url.size());
  BSTR address = SysAllocStringLen(nullptr, static_cast<UINT>(length));
  const int converted = MultiByteToWideChar(CP_ACP, 0, url.c_str(), length, address, length);
  address[converted] = 0;
  VARIANT empty;
  VariantInit(&empty);
  const HRESULT result = browser->Navigate(address, &empty, &empty, &empty, &empty);
  SysFreeString(address);
  return result;
}

TEST_P(WebViewDeferralTest, ViewComesAfterThePaintAndLoadsWhatWasAsked) {
  const Case& c = GetParam();
  StandInEngine engine;
  QWidget window;
  window.resize(300, 200);
  CWebViewControl control(&window, 1005, engine.Maker());
  control.Widget()->setGeometry(10, 20, 120, 80);
  IWebBrowser2* browser = BrowserOf(control);
  ASSERT_NE(browser, nullptr);

  for (const std::string& url : c.beforeShown) EXPECT_EQ(Navigate(browser, url), S_OK);
  QCoreApplication::processEvents();
  EXPECT_TRUE(engine.made.empty()) << "the view was made before the window was shown";
  EXPECT_TRUE(engine.loads.empty());

  window.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !engine.made.empty(); }, 5000));
  QCoreApplication::processEvents();
  ASSERT_EQ(engine.made.size(), 1u);
  QWidget* view = engine.made.front();
  EXPECT_EQ(control.HostWidget()->View(), view);
  EXPECT_EQ(view->geometry(), QRect(0, 0, 120, 80));
  EXPECT_TRUE(view->isVisible());

  for (const std::string& url : c.afterMade) EXPECT_EQ(Navigate(browser, url), S_OK);
  control.Widget()->resize(200, 100);
  window.update();
  QTest::qWait(20);
  EXPECT_EQ(engine.made.size(), 1u) << "a later paint made a second view";
  EXPECT_EQ(view->geometry(), QRect(0, 0, 200, 100));

  ASSERT_EQ(engine.loads.size(), c.expectedLoads.size());
  for (std::size_t index = 0; index < c.expectedLoads.size(); ++index) {
    EXPECT_EQ(engine.loads[index].first, view);
    EXPECT_EQ(engine.loads[index].second.toStdString(), c.expectedLoads[index]);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, WebViewDeferralTest,
                         testing::Values(Case{"NavigatedBeforeShown",
                                              {"http://127.0.0.1:1/a"},
                                              {},
                                              {"http://127.0.0.1:1/a"}},
                                         Case{"NeverNavigated", {}, {}, {}},
                                         Case{"LastAddressBeforeShownWins",
                                              {"http://127.0.0.1:1/a", "http://127.0.0.1:1/b"},
                                              {},
                                              {"http://127.0.0.1:1/b"}},
                                         Case{"NavigatedAfterTheViewExists",
                                              {"http://127.0.0.1:1/a"},
                                              {"http://127.0.0.1:1/c"},
                                              {"http://127.0.0.1:1/a", "http://127.0.0.1:1/c"}},
                                         // The address is narrow text in the ANSI code page.
                                         Case{"AnsiAddressIsDecoded",
                                              {"http://127.0.0.1:1/\xE7\xFD"},
                                              {},
                                              {"http://127.0.0.1:1/\xC3\xA7\xC4\xB1"}}),
                         [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
