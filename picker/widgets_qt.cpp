#include "picker/widgets_qt.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <string>

#include "colortext/windows_1252.h"
#include "picker/window_placement.h"

namespace tintra {

QString QtText(std::string_view windows_1252) {
  const std::string utf8 = Windows1252ToUtf8(windows_1252);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string CoreText(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return Utf8ToWindows1252(
      std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QImage QtImage(const Image& image, double ratio) {
  if (!IsDrawable(image)) return QImage();
  // Red in the low byte: RGBA8888 on every byte order the programs run on.
  static_assert(sizeof(ColorValue) == 4);
  const QImage::Format format =
      image.bits == 32 ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888;
  QImage view(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
              image.width * 4, format);
  QImage copy = view.copy();
  copy.setDevicePixelRatio(ratio);
  return copy;
}

QFont FontFitting(std::initializer_list<QString> texts, int width) {
  QFont font = QApplication::font();
  for (int pixels = kWidgetFontPixels; pixels >= kSmallestFontPixels; --pixels) {
    font.setPixelSize(pixels);
    const QFontMetrics metrics(font);
    bool fits = true;
    for (const QString& text : texts) fits = fits && metrics.horizontalAdvance(text) <= width;
    if (fits) break;
  }
  return font;
}

void CenterOnPrimaryScreen(QWidget* window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  const QSize frame = window->frameGeometry().size();
  const WindowPlacement place =
      CenterOnScreen(frame.width(), frame.height(), area.width(), area.height());
  window->move(area.x() + place.left, area.y() + place.top);
}

std::unique_ptr<QWindow> MakeTransientForTerminal(QWidget* window) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  const char* id_text = std::getenv("WINDOWID");
  if (id_text == nullptr || *id_text == '\0') return nullptr;
  // Decimal, as terminals set it; anything else is no window of ours to use.
  char* end = nullptr;
  const unsigned long long id = std::strtoull(id_text, &end, 10);
  if (*end != '\0' || id == 0 || id > 0xFFFFFFFFull) return nullptr;
  std::unique_ptr<QWindow> terminal(QWindow::fromWinId(static_cast<WId>(id)));
  if (terminal == nullptr) return nullptr;
  window->winId();  // the native window, so that its handle exists
  if (QWindow* handle = window->windowHandle()) handle->setTransientParent(terminal.get());
  return terminal;
}

void ShowInFront(QWidget* window) {
  window->show();
  window->raise();
  window->activateWindow();
  if (QWindow* handle = window->windowHandle()) handle->requestActivate();
}

}  // namespace tintra
