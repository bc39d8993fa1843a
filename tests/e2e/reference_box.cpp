// Shows a message box made exactly as the program makes its error boxes, with
// the text given as the first argument (UTF-8), under the title
// "e2e-reference-box". A test compares a picture of it with a picture of the
// box the program shows: equal pictures mean equal texts. It stays open until
// it is killed.

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  QApplication application(argc, argv);
  // The program's boxes belong to its window; an owner that is never shown
  // keeps the two alike.
  QWidget owner;
  QMessageBox box(&owner);
  box.setIcon(QMessageBox::NoIcon);
  box.setWindowTitle(QStringLiteral("e2e-reference-box"));
  box.setText(QString::fromUtf8(argv[1]));
  box.setStandardButtons(QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  for (;;) box.exec();
}
