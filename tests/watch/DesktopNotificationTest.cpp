#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/PrivateSessionBus.h"
#include "support/TempFolder.h"
#include "watch/AlertDispatch.h"
#include "watch/AlertJson.h"
#include "watch/DesktopNotification.h"

namespace gleanwork::test {
namespace {

const AlertRun kFailedRun{"Prices", "failed", "ERROR: <title> not found & no price", 0, 0, ""};
const AlertRun kChangedRun{
    "Pr\xE9"
    "ces",
    "changed",
    "",
    3,
    1,
    "-old\n+new\n+more\n+most\n"};

class DesktopNotificationTest : public testing::Test {
protected:
    void SetUp() override { bus_.Start(); }

    // Serves notifications on the private bus, with or without markup.
    RecordingNotificationServer& Serve(bool markup) {
        std::vector<std::string> capabilities = {"actions", "body"};
        if (markup) {
            capabilities.emplace_back("body-markup");
        }
        server_.emplace(bus_.Address(), capabilities);
        EXPECT_EQ(server_->Problem(), "");
        return *server_;
    }

    PrivateSessionBus bus_;
    std::optional<RecordingNotificationServer> server_;
};

TEST_F(DesktopNotificationTest, ShowsTheAgentTheEventAndWhatHappened) {
    const RecordingNotificationServer& server = Serve(false);
    const DesktopNotification shown = ShowDesktopNotification(AlertEvent::kFailure, kFailedRun);
    EXPECT_EQ(shown.state, DesktopNotification::State::kShown) << shown.reason;
    EXPECT_EQ(shown.id, 41U);
    ASSERT_EQ(server.Received().size(), 1U);
    const ReceivedNotification received = server.Received().front();
    EXPECT_EQ(received.application, "Gleanwork");
    EXPECT_EQ(received.icon, "gleanwork");
    EXPECT_EQ(received.summary, "Prices");
    EXPECT_EQ(received.body, "failure: ERROR: <title> not found & no price");
    EXPECT_EQ(received.actions, (std::vector<std::string>{"default", "Show history"}));
    EXPECT_EQ(received.desktopEntry, "gleanwork");
}

TEST_F(DesktopNotificationTest, EscapesMarkupAndMendsUtf8) {
    const RecordingNotificationServer& server = Serve(true);
    ShowDesktopNotification(AlertEvent::kFailure, kFailedRun);
    const DesktopNotification shown = ShowDesktopNotification(AlertEvent::kChange, kChangedRun);
    EXPECT_EQ(shown.state, DesktopNotification::State::kShown) << shown.reason;
    EXPECT_EQ(shown.id, 42U);
    ASSERT_EQ(server.Received().size(), 2U);
    EXPECT_EQ(server.Received().at(0).body,
              "failure: ERROR: &lt;title&gt; not found &amp; no price");
    EXPECT_EQ(server.Received().at(1).summary, "Pr\uFFFDces");
    EXPECT_EQ(server.Received().at(1).body, "change: +3 \u22121");
}

TEST_F(DesktopNotificationTest, PassesOverADesktopWithoutBusOrServer) {
    const DesktopNotification noServer = ShowDesktopNotification(AlertEvent::kChange, kChangedRun);
    EXPECT_EQ(noServer.state, DesktopNotification::State::kNoDesktop) << noServer.reason;
    TempFolder empty;
    const ScopedEnvironment noBus("DBUS_SESSION_BUS_ADDRESS",
                                  ("unix:path=" + empty / "bus").c_str());
    const DesktopNotification none = ShowDesktopNotification(AlertEvent::kChange, kChangedRun);
    EXPECT_EQ(none.state, DesktopNotification::State::kNoDesktop) << none.reason;
}

TEST_F(DesktopNotificationTest, SendsEachAlertOnceToEveryChannelAndReportsFailures) {
    const RecordingNotificationServer& server = Serve(false);
    AgentDefinition agent;
    agent.NOTIFYON = "failure recovery sometimes";
    agent.NOTIFYCOMMAND = "echo 'mail: no route' >&2; exit 75";
    agent.NOTIFYURL = "https://hooks.test/services/T0/secret-token";
    std::vector<std::string> posts;
    const AlertChannels channels{
        [&posts](const std::string& url, const std::string& type, const std::string& body) {
            posts.push_back(url + " " + type + " " + body);
            return WebPostResult{500, ""};
        }};

    const AlertReport failure = SendRunAlerts(agent, kFailedRun, {"ok"}, channels);
    EXPECT_EQ(failure.event, AlertEvent::kFailure);
    EXPECT_EQ(failure.notificationId, 41U);
    EXPECT_EQ(failure.errors,
              (std::vector<std::string>{
                  "Alert command exited with status 75: mail: no route",
                  "Alert webhook at hooks.test refused the alert with HTTP status 500"}));
    EXPECT_EQ(failure.notes, (std::vector<std::string>{"NOTIFYON: \"sometimes\" names no event "
                                                       "(the events are failure, change, empty "
                                                       "and recovery)"}));
    EXPECT_EQ(posts, (std::vector<std::string>{agent.NOTIFYURL + " application/json " +
                                               AlertJson(AlertEvent::kFailure, kFailedRun)}));

    const AlertReport again = SendRunAlerts(agent, kFailedRun, {"failed", "ok"}, channels);
    EXPECT_EQ(again.event, std::nullopt);
    EXPECT_EQ(again.errors, std::vector<std::string>());
    EXPECT_EQ(posts.size(), 1U);
    EXPECT_EQ(server.Received().size(), 1U);
}

}  // namespace
}  // namespace gleanwork::test
