#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "net/LoopbackServer.h"
#include "support/CheckedTable.h"
#include "watch/AlertJson.h"
#include "watch/AlertPost.h"
#include "watch/AlertRule.h"
#include "watch/AlertWebhook.h"

namespace gleanwork::test {
namespace {

// The rows of table `name` of tests/data/watch/`file`, each of `fields` fields.
Table Rows(const std::string& file, const std::string& name, std::size_t fields) {
    return CheckedTable(GLEANWORK_TEST_DATA "/watch/" + file, name, fields);
}

std::vector<std::string> WordsOf(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

std::string Joined(const std::vector<std::string>& words, const std::string& separator) {
    std::string text;
    for (const std::string& word : words) {
        text += (text.empty() ? "" : separator) + word;
    }
    return text;
}

TEST(AlertRuleTest, SendsOneAlertPerIncident) {
    for (const auto& row : Rows("alert-rules.txt", "choose", 3)) {
        const NotifyOnChoice wanted = ReadNotifyOn(row.at(1));
        std::vector<std::string> previous;
        std::vector<std::string> sent;
        for (const std::string& outcome : WordsOf(row.at(0))) {
            const std::optional<AlertEvent> event = ChooseAlert(outcome, previous, wanted);
            sent.push_back(event ? AlertEventWord(*event) : "-");
            previous.insert(previous.begin(), outcome);
        }
        EXPECT_EQ(Joined(sent, " "), row.at(2)) << row.at(0) << " => " << row.at(1);
    }
}

TEST(AlertRuleTest, ReadsNotifyOn) {
    for (const auto& row : Rows("alert-rules.txt", "notifyon", 3)) {
        const NotifyOnChoice choice = ReadNotifyOn(row.at(0));
        std::vector<std::string> events;
        for (const AlertEvent event : choice.events) {
            events.push_back(AlertEventWord(event));
        }
        EXPECT_EQ(Joined(events, " "), row.at(1)) << row.at(0);
        EXPECT_EQ(Joined(choice.unknownWords, " | "), row.at(2)) << row.at(0);
    }
}

TEST(AlertJsonTest, QuotesAnyTextAsValidJson) {
    for (const auto& row : Rows("alert-json.txt", "quote", 2)) {
        EXPECT_EQ(JsonQuoted(row.at(0)), row.at(1)) << row.at(0);
    }
}

TEST(AlertJsonTest, CarriesTheAlertsFields) {
    const AlertRun run{"Prices \"EU\"", "failed", "ERROR: Socket read failed with code 104", 2, 1,
                       "-old\n+new\n"};
    EXPECT_EQ(AlertJson(AlertEvent::kFailure, run),
              "{\"agent\":\"Prices \\\"EU\\\"\",\"event\":\"failure\",\"outcome\":\"failed\","
              "\"error\":\"ERROR: Socket read failed with code 104\",\"added\":2,\"removed\":1,"
              "\"diff\":\"-old\\n+new\\n\"}");
}

TEST(AlertWebhookTest, PostsTheAlertToWebAddressesOnly) {
    const AlertRun run{"Prices", "changed", "", 1, 0, "+new\n"};
    for (const auto& row : Rows("alert-webhooks.txt", "deliver", 4)) {
        std::string posted;
        const WebPost post = [&](const std::string& url, const std::string& type,
                                 const std::string& body) {
            posted = url + " " + type + " " + body;
            return WebPostResult{std::stoi(row.at(1)), row.at(2)};
        };
        const AlertDelivery delivery = DeliverByWebhook(row.at(0), AlertEvent::kChange, run, post);
        EXPECT_EQ(delivery.reason, row.at(3)) << row.at(0);
        EXPECT_EQ(delivery.delivered, row.at(3).empty()) << row.at(0);
        const bool sent = row.at(3).find("not sent") == std::string::npos;
        EXPECT_EQ(
            posted,
            sent ? row.at(0) + " application/json " + AlertJson(AlertEvent::kChange, run) : "")
            << row.at(0);
    }
}

// The HTTP client's POST: the alert as a JSON body; a status of 400 or above
// and a server that cannot be reached are failed deliveries.
TEST(AlertWebhookTest, PostsThroughTheHttpClient) {
    const AlertRun run{"Prices", "failed", "ERROR: x", 0, 0, ""};
    const std::string json = AlertJson(AlertEvent::kFailure, run);
    LoopbackServer server(
        {Reply("HTTP/1.0 204 No Content\r\n\r\n"), Reply("HTTP/1.0 500 Oops\r\n\r\nx")});
    const RefusingPort refusing;
    const std::pair<std::string, std::string> rows[] = {
        {server.Url("/hook?t=s"), ""},
        {server.Url(), "Alert webhook at 127.0.0.1 refused the alert with HTTP status 500"},
        {refusing.Url(), "Alert webhook at 127.0.0.1 could not be reached: Failed to connect"},
    };
    for (const auto& [url, reason] : rows) {
        EXPECT_EQ(DeliverByWebhook(url, AlertEvent::kFailure, run, HttpWebPost()).reason, reason);
    }
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].starts_with("POST /hook?t=s HTTP/1.0\r\n")) << requests[0];
    EXPECT_NE(requests[0].find("\r\nContent-Type: application/json\r\nContent-Length: " +
                               std::to_string(json.size()) + "\r\n"),
              std::string::npos)
        << requests[0];
    EXPECT_TRUE(requests[0].ends_with("\r\n\r\n" + json)) << requests[0];
}

}  // namespace
}  // namespace gleanwork::test
