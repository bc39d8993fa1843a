#include "platform/win32/message_box.h"

#include <QMessageBox>
#include <QPointer>
#include "window_object.h"

namespace {

QString FromWide(LPCWSTR text) { return text ? QString::fromUtf16(text) : QString(); }

}  // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT) {
  CWindowObject* window = CWindowObject::FromHandle(owner);
  QPointer<QMessageBox> box = new QMessageBox(window ? window->Widget() : nullptr);
  box->setIcon(QMessageBox::NoIcon);
  box->setWindowTitle(FromWide(caption));
  box->setText(FromWide(text));
  box->setStandardButtons(QMessageBox::Ok);
  box->setWindowModality(Qt::ApplicationModal);
  box->exec();
  delete box.data();
  return IDOK;
}
