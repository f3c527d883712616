// The desktop portal's colour pick, for a Wayland session where no program
// may read the screen: the portal lets the user point at a pixel and hands
// its colour back.
#pragma once

#include "picker/color_model.h"

class QDBusConnection;

namespace tintra {

// How long the portal may take for the user to point at a pixel, ms.
constexpr int kPortalPickTimeoutMs = 120000;

// Asks the portal on `bus` for a colour (org.freedesktop.portal.Screenshot's
// PickColor) and waits for its answer in a local event loop, at most
// `timeout_ms`. True with `color` (alpha byte 0) the picked colour; false,
// with `color` unchanged, when the user cancelled, the portal is missing or
// failed, its answer is not a colour, or the time ran out (the request is
// then closed).
bool PickColorWithPortal(QDBusConnection& bus, int timeout_ms, ColorValue& color);

}  // namespace tintra
