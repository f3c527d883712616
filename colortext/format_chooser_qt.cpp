// The format chooser on Qt: a top-level window with a column of push
// buttons, and its own wait loop.
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QPushButton>
#include <QWidget>
#include <memory>

#include "colortext/format_chooser.h"
#include "picker/widgets_qt.h"

namespace tintra {

namespace {

// The close box (or anyone asking the window to close) ends the wait with
// no choice; the window itself goes when FormatChooser returns.
class CloseFilter : public QObject {
 public:
  explicit CloseFilter(QEventLoop& loop) : loop_(loop) {}
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() != QEvent::Close) return false;
    event->ignore();
    loop_.exit(0);
    return true;
  }

 private:
  QEventLoop& loop_;
};

}  // namespace

// As on Windows, the window is gone before the call returns: nothing would
// serve it any more while the front-end delivers the result.
int FormatChooser(const FormatChooserTexts& texts, int alpha_flag) {
  if (QApplication::instance() == nullptr) return 0;
  // Laid out at 96 DPI: Qt places widgets in device-independent pixels and
  // scales them with the screen.
  const ChooserLayout layout = LayoutFormatChooser(alpha_flag, 96);
  auto window = std::make_unique<QWidget>(
      nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  window->setWindowTitle(QtText(texts.title != nullptr ? texts.title : ""));
  window->setFixedSize(layout.client_width, layout.client_height);

  QEventLoop loop;
  // Room beside the text for the button's frame, as its style draws it.
  constexpr int kButtonPadding = 8;
  QFont font =
      FontFitting({QtText(texts.rgb), QtText(texts.rgba), QtText(texts.hex), QtText(texts.decimal)},
                  layout.buttons[0].width - kButtonPadding);
  for (int i = 0; i < layout.button_count; ++i) {
    const ChooserButton& b = layout.buttons[i];
    const char* text = ChooserButtonText(texts, b.id);
    auto* button = new QPushButton(QtText(text != nullptr ? text : ""), window.get());
    button->setGeometry(b.x, b.y, b.width, b.height);
    button->setFont(font);
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, &loop, [&loop, id = b.id] { loop.exit(id); });
  }
  CloseFilter close_filter(loop);
  window->installEventFilter(&close_filter);
  CenterOnPrimaryScreen(window.get());
  window->show();
  window->activateWindow();
  const int result = loop.exec();
  window->removeEventFilter(&close_filter);
  return result >= 1 && result <= 4 ? result : 0;
}

}  // namespace tintra
