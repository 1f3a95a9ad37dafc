#include "ui/admin/NotificationClicks.h"

#include <QDBusConnection>

#include "watch/DesktopNotification.h"
#include "watch/NotificationLedger.h"

namespace gleanwork {

NotificationClicks::NotificationClicks(std::function<void(const std::string&)> open,
                                       QObject* parent)
    : QObject(parent), open_(std::move(open)) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    listening_ = bus.isConnected() && bus.connect(QStringLiteral("org.freedesktop.Notifications"),
                                                  QStringLiteral("/org/freedesktop/Notifications"),
                                                  QStringLiteral("org.freedesktop.Notifications"),
                                                  QStringLiteral("ActionInvoked"), this,
                                                  SLOT(OnActionInvoked(uint, QString)));
}

void NotificationClicks::OnActionInvoked(uint id, const QString& action) {
    if (action != QLatin1String(kAlertNotificationAction)) {
        return;
    }
    if (const std::optional<std::string> agent = AgentOfNotification(id)) {
        open_(*agent);
    }
}

}  // namespace gleanwork
