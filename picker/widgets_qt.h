// What the Qt shell's windows share: the core's Windows-1252 texts as Qt
// strings and back, the core's images as Qt images, and a font sized so that
// texts fit the fixed widths the layout gives them.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <initializer_list>
#include <string>
#include <string_view>

#include "picker/image.h"

class QWidget;

namespace tintra {

QString QtText(std::string_view windows_1252);
std::string CoreText(const QString& text);  // a character Windows-1252 lacks becomes "?"

// A deep copy of `image` (a 24-bit image is opaque) with `ratio` as its
// device pixel ratio; a null image for one that cannot be drawn.
QImage QtImage(const Image& image, double ratio);

// Pixel size of the widgets' font at 96 DPI: the size of the system font
// the dialog was designed with. Qt scales it with the window.
constexpr int kWidgetFontPixels = 11;
constexpr int kSmallestFontPixels = 7;

// The application's font at kWidgetFontPixels, or smaller, down to
// kSmallestFontPixels, until each text's width fits `width` (device-
// independent pixels).
QFont FontFitting(std::initializer_list<QString> texts, int width);

// The window centred on the primary screen, no larger than the screen.
void CenterOnPrimaryScreen(QWidget* window);

}  // namespace tintra
