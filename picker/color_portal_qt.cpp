// The portal's colour pick: subscribe to the Response signal of the request
// handle the portal will use (derived from our unique bus name and a token of
// ours), then call PickColor. A portal older than handle tokens returns
// another handle: the subscription moves to it.

#include "picker/color_portal_qt.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>
#include <QVariantMap>
#include <optional>

#include "picker/portal_color.h"

namespace tintra {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kRequestPrefix = QStringLiteral("/org/freedesktop/portal/desktop/request/");

// The colour in the results of a Response: "color" holding (ddd).
std::optional<ColorValue> ColorOfResults(const QVariantMap& results) {
  const auto found = results.constFind(QStringLiteral("color"));
  if (found == results.constEnd() || !found->canConvert<QDBusArgument>()) return std::nullopt;
  const QDBusArgument argument = found->value<QDBusArgument>();
  // Anything but three doubles in a structure is no colour; reading it as one
  // would read garbage.
  if (argument.currentSignature() != QStringLiteral("(ddd)")) return std::nullopt;
  double red = 0;
  double green = 0;
  double blue = 0;
  argument.beginStructure();
  argument >> red >> green >> blue;
  argument.endStructure();
  return ColorOfPortalChannels(red, green, blue);
}

}  // namespace

// Receives the Response signal of one request and ends the wait.
class PortalResponse : public QObject {
  Q_OBJECT

 public:
  QEventLoop loop;
  bool answered = false;
  std::optional<ColorValue> color;  // set when the answer is a pick with a colour

 public slots:
  void OnResponse(uint response, const QVariantMap& results) {
    if (answered) return;
    answered = true;
    if (response == 0) color = ColorOfResults(results);
    loop.quit();
  }
};

bool PickColorWithPortal(QDBusConnection& bus, int timeout_ms, ColorValue& color) {
  if (!bus.isConnected()) return false;
  // The handle is /org/freedesktop/portal/desktop/request/SENDER/TOKEN, SENDER
  // being our unique name without ':' and with '_' for '.'.
  const QString token =
      QStringLiteral("tintra%1").arg(QRandomGenerator::global()->generate64(), 0, 16);
  QString sender = bus.baseService();
  sender.remove(QLatin1Char(':')).replace(QLatin1Char('.'), QLatin1Char('_'));
  QString handle = kRequestPrefix + sender + QLatin1Char('/') + token;

  PortalResponse response;
  const char* slot = SLOT(OnResponse(uint, QVariantMap));
  if (!bus.connect(kPortalService, handle, kRequestInterface, QStringLiteral("Response"), &response,
                   slot)) {
    return false;
  }

  QDBusMessage call = QDBusMessage::createMethodCall(
      kPortalService, kPortalPath, kScreenshotInterface, QStringLiteral("PickColor"));
  QVariantMap options;
  options.insert(QStringLiteral("handle_token"), token);
  call << QString() << options;  // no parent window to name on Wayland
  QDBusPendingCallWatcher watcher(bus.asyncCall(call, timeout_ms));
  bool failed = false;
  QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &response.loop, [&] {
    const QDBusPendingReply<QDBusObjectPath> reply = watcher;
    if (reply.isError()) {
      failed = true;
      response.loop.quit();
      return;
    }
    const QString returned = reply.value().path();
    if (returned != handle && !response.answered) {
      bus.disconnect(kPortalService, handle, kRequestInterface, QStringLiteral("Response"),
                     &response, slot);
      handle = returned;
      bus.connect(kPortalService, handle, kRequestInterface, QStringLiteral("Response"), &response,
                  slot);
    }
  });
  QTimer timer;
  timer.setSingleShot(true);
  QObject::connect(&timer, &QTimer::timeout, &response.loop, &QEventLoop::quit);
  timer.start(timeout_ms);

  // The answer may have come with the call's reply already.
  if (!response.answered) response.loop.exec();

  bus.disconnect(kPortalService, handle, kRequestInterface, QStringLiteral("Response"), &response,
                 slot);
  if (!response.answered && !failed) {
    // Out of time: take the portal's picker away.
    bus.call(QDBusMessage::createMethodCall(kPortalService, handle, kRequestInterface,
                                            QStringLiteral("Close")),
             QDBus::NoBlock);
  }
  if (!response.color) return false;
  color = *response.color;
  return true;
}

}  // namespace tintra

#include "color_portal_qt.moc"
