#include "watch/DesktopNotification.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "base/OwnedHandle.h"
#include "base/SystemReason.h"
#include "net/Utf8Conversion.h"

namespace gleanwork {

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kObject = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr const char* kApplication = "Gleanwork";
constexpr const char* kIcon = "gleanwork";          // the installed icon's name
constexpr const char* kDesktopEntry = "gleanwork";  // gleanwork.desktop
constexpr const char* kActionLabel = "Show history";

using Bus = OwnedHandle<sd_bus, sd_bus_flush_close_unref>;
using BusMessage = OwnedHandle<sd_bus_message, sd_bus_message_unref>;

// The error a bus call may set, freed when the object goes.
class BusError {
public:
    BusError() = default;
    BusError(const BusError&) = delete;
    BusError& operator=(const BusError&) = delete;
    ~BusError() { sd_bus_error_free(&error_); }

    sd_bus_error* Get() { return &error_; }

    // True when no notification server owns its name on the bus.
    bool NoServer() const {
        return sd_bus_error_has_names(&error_, SD_BUS_ERROR_SERVICE_UNKNOWN,
                                      SD_BUS_ERROR_NAME_HAS_NO_OWNER) != 0;
    }

    // The bus's message for a call that gave `result`.
    std::string Text(int result) const {
        return error_.message != nullptr ? error_.message : SystemReason(-result);
    }

private:
    sd_bus_error error_{};
};

// What a failed call that gave `result` and `error` comes to.
DesktopNotification NotShown(int result, const BusError& error) {
    const bool busGone = result == -ECONNRESET || result == -ENOTCONN || result == -ECONNREFUSED;
    if (error.NoServer() || busGone) {
        return {DesktopNotification::State::kNoDesktop, 0, error.Text(result)};
    }
    return {DesktopNotification::State::kFailed, 0,
            "Desktop notification not shown: " + error.Text(result)};
}

// Asks the server which features it has. Negative: the call's error.
int ReadCapabilities(sd_bus* bus, BusError& error, std::vector<std::string>& capabilities) {
    sd_bus_message* answer = nullptr;
    int result = sd_bus_call_method(bus, kService, kObject, kInterface, "GetCapabilities",
                                    error.Get(), &answer, "");
    const BusMessage reply(answer);
    if (result >= 0) {
        result = sd_bus_message_enter_container(answer, 'a', "s");
    }
    const char* capability = nullptr;
    while (result > 0 && (result = sd_bus_message_read(answer, "s", &capability)) > 0) {
        capabilities.emplace_back(capability);
    }
    return result;
}

// `text` with the characters that notification markup gives a meaning
// written as entities.
std::string EscapeMarkup(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

// Shows a notification with the action kAlertNotificationAction and sets
// `id` to the server's id for it. Negative: the call's error.
int Notify(sd_bus* bus, const std::string& summary, const std::string& body, BusError& error,
           std::uint32_t& id) {
    sd_bus_message* answer = nullptr;
    int result = sd_bus_call_method(bus, kService, kObject, kInterface, "Notify", error.Get(),
                                    &answer, "susssasa{sv}i", kApplication, 0U, kIcon,
                                    summary.c_str(), body.c_str(), 2U, kAlertNotificationAction,
                                    kActionLabel, 1U, "desktop-entry", "s", kDesktopEntry, -1);
    const BusMessage reply(answer);
    if (result >= 0) {
        result = sd_bus_message_read(answer, "u", &id);
    }
    return result;
}

}  // namespace

std::string NotificationBody(AlertEvent event, const AlertRun& run) {
    const std::string detail =
        !run.firstError.empty()
            ? run.firstError
            : "+" + std::to_string(run.linesAdded) + " \u2212" + std::to_string(run.linesRemoved);
    return std::string(AlertEventWord(event)) + ": " + detail;
}

DesktopNotification ShowDesktopNotification(AlertEvent event, const AlertRun& run,
                                            std::chrono::milliseconds limit) {
    sd_bus* opened = nullptr;
    int result = sd_bus_open_user(&opened);
    const Bus bus(opened);
    BusError error;
    if (result < 0) {
        return {DesktopNotification::State::kNoDesktop, 0, "no session bus: " + error.Text(result)};
    }
    sd_bus_set_method_call_timeout(bus.get(), static_cast<std::uint64_t>(limit.count()) * 1000);
    std::vector<std::string> capabilities;
    result = ReadCapabilities(bus.get(), error, capabilities);
    if (result < 0) {
        return NotShown(result, error);
    }
    const bool markup =
        std::find(capabilities.begin(), capabilities.end(), "body-markup") != capabilities.end();
    const std::string body = ValidUtf8(NotificationBody(event, run));
    std::uint32_t id = 0;
    result = Notify(bus.get(), ValidUtf8(run.agent), markup ? EscapeMarkup(body) : body, error, id);
    if (result < 0) {
        return NotShown(result, error);
    }
    return {DesktopNotification::State::kShown, id, ""};
}

}  // namespace gleanwork
