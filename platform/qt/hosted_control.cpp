#include "hosted_control.h"

#include <QEvent>
#include <QPainter>
#include <map>

namespace {

std::map<std::string, HostedControlMaker>& Makers() {
  static std::map<std::string, HostedControlMaker> makers;
  return makers;
}

// A dark, empty area that keeps the pointer to itself, as a hosted control
// would.
class CBlankHostWidget final : public QWidget {
 public:
  explicit CBlankHostWidget(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::black); }
  bool event(QEvent* event) override { return KeepPointerEvent(event) || QWidget::event(event); }
};

class CBlankHost final : public CHostedControl {
 public:
  CBlankHost(QWidget* parent, int controlId)
      : CHostedControl(new CBlankHostWidget(parent), controlId) {}
};

}  // namespace

bool KeepPointerEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      event->accept();
      return true;
    default:
      return false;
  }
}

void RegisterHostedControl(const std::string& classId, HostedControlMaker maker) {
  Makers()[classId] = std::move(maker);
}

std::unique_ptr<CWindowObject> CreateHostedControl(const std::string& classId, QWidget* parent,
                                                   int controlId, const QRect& rect) {
  std::unique_ptr<CHostedControl> control;
  auto found = Makers().find(classId);
  if (found == Makers().end()) {
    control = std::make_unique<CBlankHost>(parent, controlId);
  } else {
    control = found->second(parent, controlId);
  }
  if (!control) return nullptr;
  control->Widget()->setGeometry(rect);
  return control;
}

// A blank host offers no interface at all.
HRESULT CAxWindow::QueryControl(REFIID iid, void** object) const {
  if (object == nullptr) return E_FAIL;
  *object = nullptr;
  auto* host = CWindowObject::FromHandle<CHostedControl>(m_hWnd);
  if (host == nullptr) return E_FAIL;
  IWebBrowser2* browser = host->Browser();
  return browser != nullptr ? browser->QueryInterface(iid, object) : E_NOINTERFACE;
}
