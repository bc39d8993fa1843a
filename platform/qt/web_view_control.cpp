#include "web_view_control.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>

CWebViewHostWidget::CWebViewHostWidget(QWidget* parent, WebViewMaker maker)
    : QWidget(parent), m_maker(std::move(maker)) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CWebViewHostWidget::Navigate(const QString& url) {
  if (m_view != nullptr) {
    m_maker.load(m_view, url);
    return;
  }
  m_strPendingUrl = url;
  m_bNavigated = true;
}

// The first paint means the window is on screen; the view is made right
// after it, outside the paint, so the window never waits for the engine.
void CWebViewHostWidget::paintEvent(QPaintEvent*) {
  QPainter(this).fillRect(rect(), Qt::black);
  if (m_view != nullptr || m_bViewDue) return;
  m_bViewDue = true;
  QTimer::singleShot(0, this, [this] { MakeView(); });
}

void CWebViewHostWidget::MakeView() {
  if (!m_maker.make) return;
  m_view = m_maker.make(this);
  if (m_view == nullptr) return;
  m_view->setGeometry(rect());
  m_view->show();
  if (m_bNavigated) m_maker.load(m_view, m_strPendingUrl);
  m_strPendingUrl.clear();
}

void CWebViewHostWidget::resizeEvent(QResizeEvent*) {
  if (m_view != nullptr) m_view->setGeometry(rect());
}

// Until the view covers it, the area keeps the pointer from reaching the
// dialog below, as the view will.
bool CWebViewHostWidget::event(QEvent* event) {
  return KeepPointerEvent(event) || QWidget::event(event);
}

CWebViewControl::CWebViewControl(QWidget* parent, int controlId, WebViewMaker maker)
    : CHostedControl(new CWebViewHostWidget(parent, std::move(maker)), controlId) {}

CWebViewHostWidget* CWebViewControl::HostWidget() const {
  return static_cast<CWebViewHostWidget*>(Widget());
}

HRESULT CWebViewControl::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_FAIL;
  *object =
      iid == IID_IUnknown || iid == IID_IWebBrowser2 ? static_cast<IWebBrowser2*>(this) : nullptr;
  return *object != nullptr ? S_OK : E_NOINTERFACE;
}

HRESULT CWebViewControl::Navigate(BSTR url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
  CWebViewHostWidget* host = HostWidget();
  if (host == nullptr || url == nullptr) return E_FAIL;
  host->Navigate(QString::fromUtf16(url));
  return S_OK;
}
