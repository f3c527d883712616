// A stand-in for the desktop portal's colour pick, on the session bus that
// DBUS_SESSION_BUS_ADDRESS names (a private one in the tests). It owns
// org.freedesktop.portal.Desktop and answers PickColor as its argument says:
//   color R G B    the pick succeeds with (R, G, B), doubles 0..1 ("nan" too);
//                  the Response comes before the call's reply, on the handle
//                  the caller's handle_token names, as a client that subscribes
//                  late would miss it
//   legacy R G B   as color, on a handle of its own (a portal older than handle
//                  tokens), 100 ms after the reply
//   cancel         the user cancelled: response 1, no results
//   silent         never answers; a Close of the request prints "closed"
// Usage: portal_standin_tool MODE [R G B]

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QObject>
#include <QTimer>
#include <QVariantMap>
#include <cstdio>
#include <cstdlib>

namespace {

struct PortalRgb {
  double red = 0;
  double green = 0;
  double blue = 0;
};

QDBusArgument& operator<<(QDBusArgument& out, const PortalRgb& rgb) {
  out.beginStructure();
  out << rgb.red << rgb.green << rgb.blue;
  out.endStructure();
  return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, PortalRgb& rgb) {
  in.beginStructure();
  in >> rgb.red >> rgb.green >> rgb.blue;
  in.endStructure();
  return in;
}

}  // namespace

Q_DECLARE_METATYPE(PortalRgb)

namespace {

enum class Mode { kColor, kLegacy, kCancel, kSilent };

// Exported under both interfaces: PickColor on the portal's object, Close on
// the request handles. QtDBus calls slots only on a QObject of its own class.
class StandInPortal : public QObject {
  Q_OBJECT

 public:
  Mode mode = Mode::kColor;
  PortalRgb rgb;

 public slots:
  QDBusObjectPath PickColor(const QString& parent_window, const QVariantMap& options,
                            const QDBusMessage& call) {
    (void)parent_window;
    QString sender = call.service();
    sender.remove(QLatin1Char(':')).replace(QLatin1Char('.'), QLatin1Char('_'));
    QString handle = QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender +
                     QLatin1Char('/') + options.value(QStringLiteral("handle_token")).toString();
    if (mode == Mode::kLegacy) handle = QStringLiteral("/org/freedesktop/portal/desktop/request/1");
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.registerObject(handle, QStringLiteral("org.freedesktop.portal.Request"), this,
                       QDBusConnection::ExportAllSlots);
    switch (mode) {
      case Mode::kColor:
        SendResponse(handle, 0);
        break;
      case Mode::kLegacy:
        QTimer::singleShot(100, this, [this, handle] { SendResponse(handle, 0); });
        break;
      case Mode::kCancel:
        SendResponse(handle, 1);
        break;
      case Mode::kSilent:
        break;
    }
    return QDBusObjectPath(handle);
  }

  void Close() {
    std::printf("closed\n");
    std::fflush(stdout);
  }

 private:
  void SendResponse(const QString& handle, uint response) {
    QDBusMessage signal = QDBusMessage::createSignal(
        handle, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
    QVariantMap results;
    if (response == 0) results.insert(QStringLiteral("color"), QVariant::fromValue(rgb));
    signal << response << results;
    QDBusConnection::sessionBus().send(signal);
  }
};

bool ParseMode(int argc, char** argv, StandInPortal& portal) {
  if (argc < 2) return false;
  const QString mode = QString::fromLocal8Bit(argv[1]);
  if (mode == QStringLiteral("cancel") || mode == QStringLiteral("silent")) {
    portal.mode = mode == QStringLiteral("cancel") ? Mode::kCancel : Mode::kSilent;
    return argc == 2;
  }
  if (mode != QStringLiteral("color") && mode != QStringLiteral("legacy")) return false;
  if (argc != 5) return false;
  portal.mode = mode == QStringLiteral("color") ? Mode::kColor : Mode::kLegacy;
  portal.rgb = {std::strtod(argv[2], nullptr), std::strtod(argv[3], nullptr),
                std::strtod(argv[4], nullptr)};
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  qDBusRegisterMetaType<PortalRgb>();
  StandInPortal portal;
  if (!ParseMode(argc, argv, portal)) {
    std::fprintf(stderr, "usage: portal_standin_tool color|legacy R G B | cancel | silent\n");
    return 2;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"),
                          QStringLiteral("org.freedesktop.portal.Screenshot"), &portal,
                          QDBusConnection::ExportAllSlots) ||
      !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
    std::fprintf(stderr, "portal_standin_tool: cannot take the portal's name on the bus\n");
    return 1;
  }
  return app.exec();
}

#include "portal_standin_tool.moc"
