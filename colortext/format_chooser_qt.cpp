// The format chooser on Qt: a top-level window with a column of push
// buttons, and its own wait loop.
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>
#include <QWindow>
#include <memory>
#include <vector>

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
  auto window = std::make_unique<QWidget>(nullptr, kDialogWindowFlags);
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
  const std::unique_ptr<QWindow> terminal = MakeTransientForTerminal(window.get());
  CenterOnPrimaryScreen(window.get());
  ShowInFront(window.get());
  const int result = loop.exec();
  window->removeEventFilter(&close_filter);
  window.reset();  // before the terminal's window it is transient for
  return result >= 1 && result <= 4 ? result : 0;
}

namespace {

// The list chooser's events: the keys of its buttons, their presses and
// focus, and the close request, each to the core's rule; the loop ends once
// the rule is done.
class ListFilter : public QObject {
 public:
  ListFilter(QEventLoop& loop, ListChooserState& state, std::vector<QPushButton*>& buttons)
      : loop_(loop), state_(state), buttons_(buttons) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::Close:
        event->ignore();
        OnListClose(state_);
        break;
      case QEvent::FocusIn:
        OnListFocus(state_, IndexOf(watched));
        return false;
      case QEvent::KeyPress: {
        ListKey key;
        if (!KeyOf(static_cast<QKeyEvent*>(event), key)) return false;
        OnListKey(state_, key);
        if (!state_.done)
          buttons_[static_cast<std::size_t>(state_.focus)]->setFocus(Qt::TabFocusReason);
        break;
      }
      default:
        return false;
    }
    if (state_.done) loop_.exit(0);
    return true;
  }

  void Pressed(int id) {
    OnListButton(state_, id);
    if (state_.done) loop_.exit(0);
  }

 private:
  int IndexOf(QObject* o) const {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
      if (buttons_[i] == o) return static_cast<int>(i);
    }
    return -1;
  }

  static bool KeyOf(const QKeyEvent* e, ListKey& out) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (e->key()) {
      case Qt::Key_Up:
        out = ListKey::kUp;
        return true;
      case Qt::Key_Down:
        out = ListKey::kDown;
        return true;
      case Qt::Key_Tab:
        out = ListKey::kTab;
        return true;
      case Qt::Key_Backtab:
        out = ListKey::kShiftTab;
        return true;
      case Qt::Key_Return:
      case Qt::Key_Enter:
        out = ListKey::kEnter;
        return true;
      case Qt::Key_Escape:
        out = ListKey::kEscape;
        return true;
      default:
        return false;
    }
  }

  QEventLoop& loop_;
  ListChooserState& state_;
  std::vector<QPushButton*>& buttons_;
};

// Room the window manager takes beside the title in the caption (icon and
// up to three buttons, with their gaps), device-independent pixels. The
// title itself is measured in the application's font made bold, as window
// managers commonly draw it.
constexpr int kCaptionRoom = 128;

}  // namespace

// Laid out at 96 DPI in device-independent pixels, which Qt scales with the
// screen; the labels measured in the buttons' font, which scales with them.
int ChooseFromList(const ChooserList& list) {
  if (QApplication::instance() == nullptr || list.labels.empty()) return 0;
  const QFont font = FontFitting({}, 0);
  const QFontMetrics metrics(font);
  std::vector<int> widths;
  widths.reserve(list.labels.size());
  for (const std::string& label : list.labels) {
    widths.push_back(metrics.horizontalAdvance(QtText(label)));
  }
  const QString title = QtText(list.title);
  QFont caption = QApplication::font();
  caption.setBold(true);
  const int title_width = QFontMetrics(caption).horizontalAdvance(title) + kCaptionRoom;
  const ListChooserLayout layout = LayoutListChooser(widths, title_width, 96);

  auto window = std::make_unique<QWidget>(nullptr, kDialogWindowFlags | Qt::WindowStaysOnTopHint);
  window->setWindowTitle(title);
  window->setFixedSize(layout.client_width, layout.client_height);
  window->setFont(font);

  QEventLoop loop;
  ListChooserState state = StartListChooser(static_cast<int>(list.labels.size()));
  std::vector<QPushButton*> buttons;
  ListFilter filter(loop, state, buttons);
  for (std::size_t i = 0; i < layout.buttons.size(); ++i) {
    const ChooserButton& b = layout.buttons[i];
    auto* button = new QPushButton(QtText(ButtonLabel(list.labels[i])), window.get());
    button->setGeometry(b.x, b.y, b.width, b.height);
    button->setFont(font);
    button->setAutoDefault(false);
    button->installEventFilter(&filter);
    QObject::connect(button, &QPushButton::clicked, &loop,
                     [&filter, id = b.id] { filter.Pressed(id); });
    buttons.push_back(button);
  }
  window->installEventFilter(&filter);
  const std::unique_ptr<QWindow> terminal = MakeTransientForTerminal(window.get());
  CenterOnPrimaryScreen(window.get());
  ShowInFront(window.get());
  buttons.front()->setFocus(Qt::TabFocusReason);
  // The focus frame shown from the start (the style draws it only after
  // keyboard use): the keys are the way to use the chooser.
  window->setAttribute(Qt::WA_KeyboardFocusChange);
  if (!state.done) loop.exec();
  window->removeEventFilter(&filter);
  for (QPushButton* button : buttons) button->removeEventFilter(&filter);
  window.reset();  // before the terminal's window it is transient for
  return state.done ? state.choice : 0;
}

}  // namespace tintra
