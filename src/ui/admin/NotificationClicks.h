#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>

namespace gleanwork {

// Listens on the session bus for clicks on the alerts' desktop
// notifications (the notification server's ActionInvoked signal with the
// alerts' action) and hands the name of the agent that the clicked
// notification is about to `open`. Without a session bus it does nothing.
class NotificationClicks : public QObject {
    Q_OBJECT

public:
    NotificationClicks(std::function<void(const std::string& agent)> open, QObject* parent);

    // True when it listens.
    bool IsListening() const { return listening_; }

private slots:
    void OnActionInvoked(uint id, const QString& action);

private:
    std::function<void(const std::string&)> open_;
    bool listening_ = false;
};

}  // namespace gleanwork
