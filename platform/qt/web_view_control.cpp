#include "web_view_control.h"

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <cstring>

#include "platform/kernel/ansi_text.h"

CWebViewControl::CWebViewControl(QWidget* parent, int controlId)
    : CHostedControl(new QWebEngineView(parent), controlId) {
  QWebEngineView* view = View();
  // The middle of the skin is black; keep it so until the page has loaded.
  view->page()->setBackgroundColor(Qt::black);
  view->setContextMenuPolicy(Qt::NoContextMenu);
}

QWebEngineView* CWebViewControl::View() const { return static_cast<QWebEngineView*>(Widget()); }

HRESULT CWebViewControl::Navigate(LPCSTR url) {
  QWebEngineView* view = View();
  if (view == nullptr || url == nullptr) return E_FAIL;
  view->load(QUrl(QString::fromStdString(AnsiToUtf8(url, std::strlen(url)))));
  return S_OK;
}
