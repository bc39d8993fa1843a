#include "platform/win32/component_host.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QLibraryInfo>
#include <cstdlib>

#include "web_engine_module.h"
#include "web_view_control.h"

namespace {

// Qt aborts the whole program when this helper is missing, so look first.
bool WebEngineHelperPresent() {
  const QByteArray chosen = qgetenv("QTWEBENGINEPROCESS_PATH");
  const QString helper =
      chosen.isEmpty()
          ? QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) + "/QtWebEngineProcess"
          : QString::fromLocal8Bit(chosen);
  const QFileInfo info(helper);
  return info.isFile() && info.isExecutable();
}

// The web engine's module, loaded the first time a view is made; a module
// that cannot be loaded leaves the area black.
struct WebEngineModule {
  MakeWebViewFunction make = nullptr;
  LoadWebViewFunction load = nullptr;
};

const WebEngineModule& LoadedModule() {
  static const WebEngineModule module = [] {
    QLibrary library(QCoreApplication::applicationDirPath() + kWebEngineModule);
    WebEngineModule loaded;
    if (!library.load()) return loaded;
    loaded.make = reinterpret_cast<MakeWebViewFunction>(library.resolve("VeltraMakeWebView"));
    loaded.load = reinterpret_cast<LoadWebViewFunction>(library.resolve("VeltraLoadWebView"));
    if (loaded.make == nullptr || loaded.load == nullptr) loaded = WebEngineModule{};
    return loaded;
  }();
  return module;
}

WebViewMaker WebEngineView() {
  WebViewMaker maker;
  maker.make = [](QWidget* parent) -> QWidget* {
    const WebEngineModule& module = LoadedModule();
    return module.make != nullptr ? module.make(parent) : nullptr;
  };
  maker.load = [](QWidget* view, const QString& url) { LoadedModule().load(view, url); };
  return maker;
}

}  // namespace

HRESULT CoInitialize(void*) {
  // The engine refuses to start as root unless its sandbox is off.
  if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  // Without a GL driver the engine needs the software scene graph; it costs
  // nothing where there is one.
  setenv("QT_QUICK_BACKEND", "software", 0);
  // With the contexts shared, the application object makes a GL context as
  // it starts, and loading a software GL driver for it took longer than all
  // the rest of the start-up together: the dialog and the first request
  // waited for it. The web view draws the page in software just as well.
  setenv("QT_XCB_GL_INTEGRATION", "none", 0);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  return S_OK;
}

void CoUninitialize() {}

BOOL AtlAxWinInit() {
  if (!WebEngineHelperPresent()) return FALSE;
  RegisterHostedControl(kWebBrowserClassId, [](QWidget* parent, int controlId) {
    return std::make_unique<CWebViewControl>(parent, controlId, WebEngineView());
  });
  return TRUE;
}
