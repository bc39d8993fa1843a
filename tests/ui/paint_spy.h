#pragma once
// Collects the areas a widget repaints, to tell what a handler invalidated.

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>

namespace ui_test {

class PaintSpy : public QObject {
 public:
  explicit PaintSpy(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }
  ~PaintSpy() override { m_widget->removeEventFilter(this); }
  QRegion Painted() const { return m_painted; }
  void Clear() { m_painted = QRegion(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_widget && event->type() == QEvent::Paint) {
      m_painted += static_cast<QPaintEvent*>(event)->region();
    }
    return false;
  }

 private:
  QWidget* m_widget;
  QRegion m_painted;
};

}  // namespace ui_test
