#include "platform/win32/message_box.h"

#include <QMessageBox>
#include <QPointer>
#include <cstring>

#include "platform/kernel/ansi_text.h"
#include "window_object.h"

namespace {

QString FromAnsi(LPCSTR text) {
  return text ? QString::fromStdString(AnsiToUtf8(text, std::strlen(text))) : QString();
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT) {
  CWindowObject* window = CWindowObject::FromHandle(owner);
  QPointer<QMessageBox> box = new QMessageBox(window ? window->Widget() : nullptr);
  box->setIcon(QMessageBox::NoIcon);
  box->setWindowTitle(FromAnsi(caption));
  box->setText(FromAnsi(text));
  box->setStandardButtons(QMessageBox::Ok);
  box->setWindowModality(Qt::ApplicationModal);
  box->exec();
  delete box.data();
  return IDOK;
}
