// The Qt dialog with dialog keys and the Qt list chooser, driven by key
// events given to whatever widget has the focus, as the keyboard gives them:
// one row per key sequence and the answer it must give. Also what the user
// does not type but sees: the first focus, the buttons' tips and names, the
// labels whole in their buttons, the windows' kind and the transient parent
// from $WINDOWID.
//   picker_keys_qttest [--show dialog|list TITLE]   (on an X display)
// --show opens one window and prints its answer once the user ends it, for
// screenshots and window-manager checks.
#include <QApplication>
#include <QDeadlineTimer>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "colortext/format_chooser.h"
#include "picker/color_picker.h"
#include "picker/interaction.h"
#include "picker/session_observer.h"

namespace {

using tintra::ColorValue;

int g_failures = 0;

void Expect(bool ok, const std::string& what, const std::string& expected, const std::string& got) {
  if (ok) return;
  ++g_failures;
  std::printf("FAILED %s: expected %s, got %s\n", what.c_str(), expected.c_str(), got.c_str());
}

std::string Hex(ColorValue c) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", c);
  return text;
}

// The visible top-level window with `title`, or nullptr.
QWidget* WindowTitled(const QString& title) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->windowTitle() == title) return w;
  }
  return nullptr;
}

// Runs `act` once the window titled `title` shows and has a focus widget;
// gives up (closing nothing) after five seconds, which the answer then shows.
void WhenShown(const QString& title, std::function<void(QWidget*)> act) {
  auto deadline = std::make_shared<QDeadlineTimer>(5000);
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [title, act, deadline, poll] {
    QWidget* w = WindowTitled(title);
    if (w != nullptr && QApplication::focusWidget() != nullptr &&
        QApplication::focusWidget()->window() == w) {
      act(w);
      return;
    }
    if (deadline->hasExpired()) {
      Expect(false, "window " + title.toStdString(), "shown with a focus", "none");
      if (w != nullptr) w->close();
      return;
    }
    QTimer::singleShot(20, *poll);
  };
  QTimer::singleShot(0, *poll);
}

// Each key to the focus widget of the moment, one per turn of the loop, so
// that the focus moves of one key are made before the next comes.
void TypeKeys(std::vector<std::pair<int, Qt::KeyboardModifiers>> keys, std::size_t from = 0) {
  if (from >= keys.size()) return;
  QWidget* focus = QApplication::focusWidget();
  if (focus != nullptr) {
    const auto [key, modifiers] = keys[from];
    const QString text = key == Qt::Key_Return ? QStringLiteral("\r")
                         : key >= Qt::Key_0 && key <= Qt::Key_9
                             ? QString(QChar(u'0' + (key - Qt::Key_0)))
                             : QString();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(focus, &press);
    if (QWidget* still = QApplication::focusWidget()) {
      QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
      QApplication::sendEvent(still, &release);
    }
  }
  QTimer::singleShot(10, [keys, from] { TypeKeys(keys, from + 1); });
}

using Keys = std::vector<std::pair<int, Qt::KeyboardModifiers>>;
constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;

const char kDescriptor[] = "Color\nHexadecimal\tRGB\n$?hb?hg?hr\tRGB(?r, ?g, ?b)";

std::string Bracketed(const void*, std::string_view field_template, ColorValue color) {
  return "<" + std::string(field_template) + ">" + std::to_string(tintra::RedOf(color));
}

struct DialogRow {
  const char* name;
  Keys keys;  // from the first focus (OK)
  bool confirmed;
  ColorValue result;  // from 0xFF1E140A: (10, 20, 30), alpha 255
};

void RunDialogRow(const DialogRow& row) {
  std::printf("-- dialog: %s\n", row.name);
  WhenShown(QStringLiteral("Color"), [&row](QWidget* w) {
    const auto* focus = qobject_cast<QPushButton*>(QApplication::focusWidget());
    Expect(focus != nullptr && focus->toolTip() == QStringLiteral("OK"), "first focus", "OK button",
           focus != nullptr ? focus->toolTip().toStdString() : "another widget");
    Expect(w->testAttribute(Qt::WA_KeyboardFocusChange), "focus frame shown", "yes", "no");
    QStringList tips;
    for (const QPushButton* b : w->findChildren<QPushButton*>()) {
      if (!b->toolTip().isEmpty() && b->accessibleName() == b->toolTip()) tips << b->toolTip();
    }
    tips.sort();
    Expect(tips.join(u'|') == QStringLiteral("Cancel|OK|Pick a colour from the screen"),
           "tips and names", "Cancel|OK|Pick a colour from the screen",
           tips.join(u'|').toStdString());
    bool bracketed = false;
    for (const QLineEdit* e : w->findChildren<QLineEdit*>()) {
      bracketed = bracketed || e->text() == QStringLiteral("<RGB(?r, ?g, ?b)>10");
    }
    Expect(bracketed, "output field from field_text", "<RGB(?r, ?g, ?b)>10", "not shown");
    Expect(w->windowHandle() != nullptr && w->windowHandle()->type() == Qt::Dialog, "window kind",
           "dialog", "another");
    TypeKeys(row.keys);
  });
  tintra::PickerOptions options;
  options.dialog_keys = true;
  options.field_text = Bracketed;
  const tintra::PickerAnswer answer =
      tintra::EditColorInPicker(0xFF1E140A, kDescriptor, 0, nullptr, options);
  Expect(answer.confirmed == row.confirmed, "confirmed", row.confirmed ? "true" : "false",
         answer.confirmed ? "true" : "false");
  Expect(answer.color == row.result, "colour", Hex(row.result), Hex(answer.color));
}

const char* const kLabels[] = {
    "#ff8000",          "rgb(255, 128, 0)", "hsl(30, 100%, 50%)",  "0xFF8000",
    "RGB(255, 128, 0)", "$0080FF",          "vec3(1.0, 0.5, 0.0)", "33023"};

struct ListRow {
  const char* name;
  const char* title;
  Keys keys;
  int expected;
};

void RunListRow(const ListRow& row) {
  std::printf("-- list: %s\n", row.name);
  tintra::ChooserList list;
  list.title = row.title;
  list.labels.assign(std::begin(kLabels), std::end(kLabels));
  WhenShown(QString::fromUtf8(row.title), [&row](QWidget* w) {
    const std::vector<QPushButton*> buttons = [w] {
      auto found = w->findChildren<QPushButton*>();
      std::vector<QPushButton*> v(found.begin(), found.end());
      std::sort(v.begin(), v.end(), [](auto* a, auto* b) { return a->y() < b->y(); });
      return v;
    }();
    Expect(buttons.size() == 8, "buttons", "8", std::to_string(buttons.size()));
    for (const QPushButton* b : buttons) {
      const int text = QFontMetrics(b->font()).horizontalAdvance(b->text());
      Expect(text + 2 * tintra::kListLabelPadding <= b->width(),
             "label fits: " + b->text().toStdString(), "<= " + std::to_string(b->width()),
             std::to_string(text + 2 * tintra::kListLabelPadding));
    }
    Expect(!buttons.empty() && QApplication::focusWidget() == buttons.front(), "first focus",
           "first button", "another widget");
    Expect(w->testAttribute(Qt::WA_KeyboardFocusChange), "focus frame shown", "yes", "no");
    Expect((w->windowFlags() & Qt::WindowStaysOnTopHint) != 0, "always on top", "yes", "no");
    Expect(w->windowHandle() != nullptr && w->windowHandle()->type() == Qt::Dialog, "window kind",
           "dialog", "another");
    if (const char* id = std::getenv("WINDOWID"); id != nullptr && *id != '\0') {
      const QWindow* parent = w->windowHandle() ? w->windowHandle()->transientParent() : nullptr;
      Expect(parent != nullptr && parent->winId() == std::strtoull(id, nullptr, 10),
             "transient for $WINDOWID", id, parent != nullptr ? "another" : "none");
    }
    if (row.keys.empty()) {
      w->close();  // the close box's request
    } else {
      TypeKeys(row.keys);
    }
  });
  const int answer = tintra::ChooseFromList(list);
  Expect(answer == row.expected, "answer", std::to_string(row.expected), std::to_string(answer));
}

int Show(const std::string& what, const char* title) {
  if (what == "dialog") {
    tintra::PickerOptions options;
    options.dialog_keys = true;
    const tintra::PickerAnswer a = tintra::EditColorInPicker(
        0xFF0080FF, title != nullptr ? title : kDescriptor, 0, nullptr, options);
    std::printf("confirmed %d colour %s\n", a.confirmed ? 1 : 0, Hex(a.color).c_str());
    return 0;
  }
  tintra::ChooserList list;
  list.title = title != nullptr ? title : "Choose a notation";
  list.labels.assign(std::begin(kLabels), std::end(kLabels));
  std::printf("chosen %d\n", tintra::ChooseFromList(list));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc >= 3 && std::string(argv[1]) == "--show") {
    return Show(argv[2], argc >= 4 ? argv[3] : nullptr);
  }
  const DialogRow dialog_rows[] = {
      // Enter on the first focus (OK): confirmed, the colour unchanged.
      {"Enter on OK", {{Qt::Key_Return, kNone}}, true, 0xFF1E140A},
      // Shift+Tab to blue, 77 typed, Enter there: confirmed with blue 77.
      {"Enter in the blue field",
       {{Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_7, kNone},
        {Qt::Key_7, kNone},
        {Qt::Key_Return, kNone}},
       true,
       0xFF4D140A},
      // Red typed as 5, Escape in the field: the initial colour, not confirmed.
      {"Escape in the red field",
       {{Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_5, kNone},
        {Qt::Key_Escape, kNone}},
       false,
       0xFF1E140A},
      // Escape in the preset combo (closed).
      {"Escape in the preset combo",
       {{Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_Escape, kNone}},
       false,
       0xFF1E140A},
  };
  for (const DialogRow& row : dialog_rows) RunDialogRow(row);
  const ListRow list_rows[] = {
      {"Down, Down, Enter",
       "Choose a notation",
       {{Qt::Key_Down, kNone}, {Qt::Key_Down, kNone}, {Qt::Key_Return, kNone}},
       3},
      {"Escape", "Choisir une notation", {{Qt::Key_Down, kNone}, {Qt::Key_Escape, kNone}}, 0},
      // Up wraps to the last; Tab and Shift+Tab as Down and Up.
      {"Up, Tab, Shift+Tab, Shift+Tab, Enter",
       "Choose a notation",
       {{Qt::Key_Up, kNone},
        {Qt::Key_Tab, kNone},
        {Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_Backtab, Qt::ShiftModifier},
        {Qt::Key_Return, kNone}},
       7},
      {"close box", "Choose a notation", {}, 0},
  };
  for (const ListRow& row : list_rows) RunListRow(row);
  std::printf("%d failed\n", g_failures);
  return g_failures == 0 ? 0 : 1;
}
