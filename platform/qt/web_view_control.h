#pragma once
#include "layer_private.h"
// The web browser control: a Qt WebEngine view that starts blank and loads
// the address it is told to. Platform layer only; user-interface thread only.

#include "hosted_control.h"

class QWebEngineView;

class CWebViewControl final : public CHostedControl, private IWebBrowser2 {
 public:
  CWebViewControl(QWidget* parent, int controlId);
  IWebBrowser2* Browser() override { return this; }

 private:
  HRESULT Navigate(LPCSTR url) override;
  QWebEngineView* View() const;
};
