#pragma once
#include "layer_private.h"
// Hosted components of dialog templates, made by class identifier. A program
// that registers no maker for a class gets a blank host that offers no
// interface. Platform layer only; user-interface thread only.

#include <QRect>
#include <functional>
#include <memory>
#include <string>

#include "platform/win32/web_browser.h"
#include "window_object.h"

class QEvent;

class CHostedControl : public CWindowObject {
 public:
  static constexpr WindowKind kKind = WindowKind::Hosted;

  CHostedControl(QWidget* widget, int controlId) : CWindowObject(widget, controlId, kKind) {}
  virtual IWebBrowser2* Browser() { return nullptr; }
};

using HostedControlMaker =
    std::function<std::unique_ptr<CHostedControl>(QWidget* parent, int controlId)>;

// Accepts a pointer event and says so: a hosted area keeps the pointer from
// reaching the dialog below it, whether or not its component exists yet.
bool KeepPointerEvent(QEvent* event);

void RegisterHostedControl(const std::string& classId, HostedControlMaker maker);

// Null when the registered maker fails.
std::unique_ptr<CWindowObject> CreateHostedControl(const std::string& classId, QWidget* parent,
                                                   int controlId, const QRect& rect);
