// What the Qt shell's windows share: the core's Windows-1252 texts as Qt
// strings and back, the core's images as Qt images, and a font sized so that
// texts fit the fixed widths the layout gives them.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <QWindow>
#include <Qt>
#include <initializer_list>
#include <memory>
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

// The flags of the shell's top-level windows: a dialog window (no minimise
// or maximise button) with a title and a close box.
inline constexpr Qt::WindowFlags kDialogWindowFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowCloseButtonHint;

// On X11, when $WINDOWID names a window (the terminal the program was
// started from), makes `window` transient for it, so that the window
// manager keeps it above the terminal and shows it as the terminal's
// dialog. Call before the window is shown. Gives the terminal's foreign
// window, which must outlive `window`; nullptr when there is none.
std::unique_ptr<QWindow> MakeTransientForTerminal(QWidget* window);

// Shows `window` in front with the keyboard focus: raised, activated and
// asked to be activated by the window system. The start-up notices are
// Qt's: on X11 the xcb platform reads DESKTOP_STARTUP_ID when it connects,
// puts it on the first window and ends the start-up once that window shows;
// on Wayland the activation request hands XDG_ACTIVATION_TOKEN (left in the
// environment for it) to the compositor.
void ShowInFront(QWidget* window);

}  // namespace tintra
