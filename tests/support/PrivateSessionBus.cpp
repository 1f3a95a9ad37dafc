#include "support/PrivateSessionBus.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <cstring>

namespace gleanwork::test {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kObject = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";

// A bus that lets everyone own any name and call anything.
std::string BusConfiguration(const std::string& socket) {
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n  <type>session</type>\n  <listen>unix:path=" +
           socket +
           "</listen>\n  <auth>EXTERNAL</auth>\n  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n    <allow own=\"*\"/>\n  </policy>\n</busconfig>\n";
}

// The next line `stream` gives, without its line feed; empty at its end.
std::string ReadLine(std::FILE* stream) {
    std::string line;
    for (int c = std::fgetc(stream); c != EOF && c != '\n'; c = std::fgetc(stream)) {
        line.push_back(static_cast<char>(c));
    }
    return line;
}

// Reads the strings of the array of strings at `call`'s read position.
int ReadStrings(sd_bus_message* call, std::vector<std::string>& strings) {
    int result = sd_bus_message_enter_container(call, 'a', "s");
    const char* text = nullptr;
    while (result > 0 && (result = sd_bus_message_read(call, "s", &text)) > 0) {
        strings.emplace_back(text);
    }
    return result < 0 ? result : sd_bus_message_exit_container(call);
}

// Reads the "desktop-entry" hint of the a{sv} at `call`'s read position.
int ReadDesktopEntry(sd_bus_message* call, std::string& desktopEntry) {
    int result = sd_bus_message_enter_container(call, 'a', "{sv}");
    while (result > 0 && (result = sd_bus_message_enter_container(call, 'e', "sv")) > 0) {
        const char* key = nullptr;
        const char* value = nullptr;
        result = sd_bus_message_read(call, "s", &key);
        if (result > 0 && std::strcmp(key, "desktop-entry") == 0) {
            result = sd_bus_message_read(call, "v", "s", &value);
            desktopEntry = value != nullptr ? value : "";
        } else if (result > 0) {
            result = sd_bus_message_skip(call, "v");
        }
        if (result >= 0) {
            result = sd_bus_message_exit_container(call);
        }
    }
    return result < 0 ? result : sd_bus_message_exit_container(call);
}

}  // namespace

void PrivateSessionBus::Start() {
    WriteFile(folder_ / "bus.conf", BusConfiguration(folder_ / "bus"));
    const std::string command =
        "exec dbus-daemon --nofork --print-address=1 --print-pid=1 "
        "--config-file='" +
        folder_ / "bus.conf" + "' 2>/dev/null";
    daemon_.reset(::popen(command.c_str(), "r"));
    address_ = daemon_ ? ReadLine(daemon_.get()) : "";
    pid_ = daemon_ ? std::atoi(ReadLine(daemon_.get()).c_str()) : -1;
    if (!address_.empty() && pid_ > 0) {
        session_.emplace("DBUS_SESSION_BUS_ADDRESS", address_.c_str());
        return;
    }
    const std::string problem = "dbus-daemon did not start on " + folder_ / "bus";
    if (std::getenv("CI") != nullptr) {
        FAIL() << problem;
    }
    GTEST_SKIP() << problem << "; tools/install-deps installs it (with CI set, this fails)";
}

PrivateSessionBus::~PrivateSessionBus() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
    }
}

RecordingNotificationServer::RecordingNotificationServer(const std::string& address,
                                                         std::vector<std::string> capabilities)
    : capabilities_(std::move(capabilities)) {
    sd_bus* bus = nullptr;
    int result = sd_bus_new(&bus);
    bus_.reset(bus);
    const auto step = [&result](int next) { result = result < 0 ? result : next; };
    step(sd_bus_set_address(bus, address.c_str()));
    step(sd_bus_set_bus_client(bus, 1));
    step(sd_bus_start(bus));
    step(sd_bus_request_name(bus, kService, 0));
    step(sd_bus_add_object(bus, nullptr, kObject, &RecordingNotificationServer::Handle, this));
    if (result < 0) {
        problem_ = std::string("the notification server cannot serve: ") + std::strerror(-result);
        return;
    }
    thread_ = std::thread(&RecordingNotificationServer::Serve, this);
}

RecordingNotificationServer::~RecordingNotificationServer() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::vector<ReceivedNotification> RecordingNotificationServer::Received() const {
    const std::lock_guard lock(mutex_);
    return received_;
}

void RecordingNotificationServer::Serve() {
    constexpr std::uint64_t kStopCheckMicroseconds = 50'000;
    while (!stop_) {
        const int processed = sd_bus_process(bus_.get(), nullptr);
        if (processed < 0) {
            return;
        }
        if (processed == 0) {
            sd_bus_wait(bus_.get(), kStopCheckMicroseconds);
        }
    }
}

int RecordingNotificationServer::Handle(sd_bus_message* call, void* server, sd_bus_error*) {
    auto* self = static_cast<RecordingNotificationServer*>(server);
    if (sd_bus_message_is_method_call(call, kInterface, "GetCapabilities") > 0) {
        return self->AnswerCapabilities(call);
    }
    if (sd_bus_message_is_method_call(call, kInterface, "Notify") > 0) {
        return self->Record(call);
    }
    return 0;
}

int RecordingNotificationServer::AnswerCapabilities(sd_bus_message* call) {
    sd_bus_message* reply = nullptr;
    int result = sd_bus_message_new_method_return(call, &reply);
    const OwnedHandle<sd_bus_message, sd_bus_message_unref> owned(reply);
    if (result >= 0) {
        result = sd_bus_message_open_container(reply, 'a', "s");
    }
    for (const std::string& capability : capabilities_) {
        result = result < 0 ? result : sd_bus_message_append(reply, "s", capability.c_str());
    }
    if (result >= 0) {
        result = sd_bus_message_close_container(reply);
    }
    return result < 0 ? result : sd_bus_send(nullptr, reply, nullptr);
}

int RecordingNotificationServer::Record(sd_bus_message* call) {
    ReceivedNotification notification;
    const char* application = nullptr;
    const char* icon = nullptr;
    const char* summary = nullptr;
    const char* body = nullptr;
    std::uint32_t replaces = 0;
    std::int32_t timeout = 0;
    int result =
        sd_bus_message_read(call, "susss", &application, &replaces, &icon, &summary, &body);
    if (result >= 0) {
        notification = {application, icon, summary, body, {}, ""};
        result = ReadStrings(call, notification.actions);
    }
    if (result >= 0) {
        result = ReadDesktopEntry(call, notification.desktopEntry);
    }
    if (result >= 0) {
        result = sd_bus_message_read(call, "i", &timeout);
    }
    if (result < 0) {
        return result;
    }
    const std::lock_guard lock(mutex_);
    received_.push_back(notification);
    return sd_bus_reply_method_return(call, "u", static_cast<std::uint32_t>(40 + received_.size()));
}

}  // namespace gleanwork::test
