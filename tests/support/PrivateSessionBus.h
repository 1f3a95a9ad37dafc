#pragma once

#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "base/OwnedHandle.h"
#include "support/TempFolder.h"

namespace gleanwork::test {

// A session bus of a test's own: a dbus-daemon listening on a socket in a
// temporary folder, with no services to start on demand. It is the session
// bus (DBUS_SESSION_BUS_ADDRESS) while the object lives, and stopped when it
// goes.
class PrivateSessionBus {
public:
    ~PrivateSessionBus();

    // Starts the daemon. When that fails, fails the test with the variable CI
    // set and skips it elsewhere: check IsSkipped() and HasFailure() after it.
    void Start();
    const std::string& Address() const { return address_; }

private:
    TempFolder folder_;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> daemon_{nullptr, ::pclose};
    pid_t pid_ = -1;
    std::string address_;
    std::optional<ScopedEnvironment> session_;
};

// One Notify call as the notification server received it.
struct ReceivedNotification {
    std::string application;
    std::string icon;
    std::string summary;
    std::string body;
    std::vector<std::string> actions;
    std::string desktopEntry;  // the "desktop-entry" hint
};

// A notification server on the bus at `address` that owns
// org.freedesktop.Notifications, says it has `capabilities`, and records the
// notifications it is given, answering each with the id 41, 42, ... It
// serves on a thread of its own until the object goes.
class RecordingNotificationServer {
public:
    RecordingNotificationServer(const std::string& address, std::vector<std::string> capabilities);
    ~RecordingNotificationServer();
    RecordingNotificationServer(const RecordingNotificationServer&) = delete;
    RecordingNotificationServer& operator=(const RecordingNotificationServer&) = delete;

    // Empty when it serves, else why not.
    const std::string& Problem() const { return problem_; }
    std::vector<ReceivedNotification> Received() const;

private:
    static int Handle(sd_bus_message* call, void* server, sd_bus_error* error);
    int AnswerCapabilities(sd_bus_message* call);
    int Record(sd_bus_message* call);
    void Serve();

    std::vector<std::string> capabilities_;
    OwnedHandle<sd_bus, sd_bus_flush_close_unref> bus_;
    std::string problem_;
    mutable std::mutex mutex_;
    std::vector<ReceivedNotification> received_;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

}  // namespace gleanwork::test
