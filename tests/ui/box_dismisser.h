#pragma once
// Answers message boxes while a message loop runs: records the caption and
// text of each box it finds on top and presses its OK button.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <string>
#include <vector>

namespace ui_test {

struct SeenBox {
  std::string caption;
  std::string text;
};

class BoxDismisser {
 public:
  BoxDismisser() {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Answer(); });
    m_timer.start(30);
  }
  const std::vector<SeenBox>& Seen() const { return m_seen; }

 private:
  void Answer() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    m_seen.push_back({box->windowTitle().toStdString(), box->text().toStdString()});
    static_cast<QAbstractButton*>(box->button(QMessageBox::Ok))->click();
  }

  QTimer m_timer;
  std::vector<SeenBox> m_seen;
};

}  // namespace ui_test
