#pragma once
#include "layer_private.h"
// The web browser control. Making the web engine's view costs more than the
// rest of the window together, so the control starts as a black area of its
// own and makes the real view only once its window has been painted; an
// address it is told before then is remembered and loaded when the view
// exists. Platform layer only; user-interface thread only.

#include <QString>
#include <QWidget>
#include <functional>

#include "hosted_control.h"

// How the real view is made and told to load; the program passes the web
// engine's, tests a stand-in.
struct WebViewMaker {
  std::function<QWidget*(QWidget* parent)> make;
  std::function<void(QWidget* view, const QString& url)> load;
};

// The control's own widget: black, keeps the pointer to itself, and holds the
// real view once it is made.
class CWebViewHostWidget final : public QWidget {
 public:
  CWebViewHostWidget(QWidget* parent, WebViewMaker maker);
  void Navigate(const QString& url);
  // Null until the window has been painted.
  QWidget* View() const { return m_view; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void MakeView();

  WebViewMaker m_maker;
  QWidget* m_view = nullptr;
  bool m_bViewDue = false;
  bool m_bNavigated = false;
  QString m_strPendingUrl;
};

// Its browser interface belongs to the control, which the host window owns:
// AddRef and Release count nothing.
class CWebViewControl final : public CHostedControl, private IWebBrowser2 {
 public:
  CWebViewControl(QWidget* parent, int controlId, WebViewMaker maker);
  IWebBrowser2* Browser() override { return this; }
  CWebViewHostWidget* HostWidget() const;

 private:
  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                   VARIANT* headers) override;
};
