// The floor of the start-up figure: a bare Qt window of the size of the
// standalone program's dialog (its two template rows included), filled with
// one colour, and nothing else.
//   bare_window_tool   (ends when closed or killed)
#include <QApplication>
#include <QWidget>

#include "picker/dialog_layout.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const tintra::DialogLayout layout = tintra::MakeDialogLayout(0, 2, tintra::kBaseDpi);
  QWidget window;
  window.setWindowTitle(QStringLiteral("bare window"));
  window.setFixedSize(layout.client.logical.width, layout.client.logical.height);
  QPalette palette = window.palette();
  palette.setColor(QPalette::Window, QColor(255, 128, 0));
  window.setPalette(palette);
  window.setAutoFillBackground(true);
  window.show();
  return QApplication::exec();
}
