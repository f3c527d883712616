// The floor of the start-up figure: a bare Qt window of the size of the
// standalone program's dialog (its two template rows included), filled with
// one colour, and nothing else; with --text, also one line of text (the
// font found and drawn, as any dialog's first paint needs).
//   bare_window_tool [--text]   (ends when closed or killed)
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstring>

#include "picker/dialog_layout.h"

int main(int argc, char** argv) {
  const bool text = argc > 1 && std::strcmp(argv[1], "--text") == 0;
  QApplication application(argc, argv);
  const tintra::DialogLayout layout = tintra::MakeDialogLayout(0, 2, tintra::kBaseDpi);
  QWidget window;
  window.setWindowTitle(QStringLiteral("bare window"));
  window.setFixedSize(layout.client.logical.width, layout.client.logical.height);
  QPalette palette = window.palette();
  palette.setColor(QPalette::Window, QColor(255, 128, 0));
  window.setPalette(palette);
  window.setAutoFillBackground(true);
  // Owned by the window.
  if (text) (new QLabel(QStringLiteral("color: #ff8000;"), &window))->move(8, 8);
  window.show();
  return QApplication::exec();
}
