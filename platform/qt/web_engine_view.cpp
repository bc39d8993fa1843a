// The web engine's view, in a module of its own that the program loads only
// when it makes the page's view, after its window is on screen: binding the
// web engine's libraries as the program starts took longer than everything
// else before the manifest request together.

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWidget>
#include <algorithm>
#include <cerrno>

#include "layer_private.h"
#include "web_engine_module.h"

namespace {

constexpr int kPagePriorityDrop = 10;

// The page is news beside the download and must never slow it: the web
// engine's threads and processes, all started from this thread when the first
// view is made, run at a lower priority than the download worker, which was
// started before. Linux keeps a priority per thread, and what a thread starts
// takes its priority; the user-interface thread keeps the lower one too (only
// a privileged process may raise a priority again), which costs it nothing:
// it has little to do, and the download none of it.
void LowerPriorityOfWhatThisThreadStarts() {
  const auto thread = static_cast<id_t>(syscall(SYS_gettid));
  errno = 0;
  const int current = getpriority(PRIO_PROCESS, thread);
  if (errno != 0) return;
  setpriority(PRIO_PROCESS, thread, std::min(current + kPagePriorityDrop, 19));
}

}  // namespace

extern "C" {

QWidget* VeltraMakeWebView(QWidget* parent) {
  static const bool lowered = (LowerPriorityOfWhatThisThreadStarts(), true);
  (void)lowered;
  auto* view = new QWebEngineView(parent);
  // The middle of the skin is black; keep it so until the page has loaded.
  view->page()->setBackgroundColor(Qt::black);
  view->setContextMenuPolicy(Qt::NoContextMenu);
  return view;
}

void VeltraLoadWebView(QWidget* view, const QString& url) {
  static_cast<QWebEngineView*>(view)->load(QUrl(url));
}

}  // extern "C"
