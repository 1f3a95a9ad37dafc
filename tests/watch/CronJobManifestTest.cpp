#include <gtest/gtest.h>

#include "watch/CronJobManifest.h"
#include "watch/YamlText.h"

namespace gleanwork::test {
namespace {

TEST(CronJobManifest, RefusesAgentsThatCannotRunAsACronJob) {
    const CalendarTime now =
        std::chrono::time_point_cast<std::chrono::microseconds>(std::chrono::system_clock::now());
    CronJobSettings settings{"gleanwork:1.0", "", "", "", 1 << 20, "Europe/Berlin"};
    const auto manifest = [&](const char* name, const char* schedule, const char* password) {
        AgentDefinition agent;
        agent.name = name;
        agent.SCHEDULE = schedule;
        agent.DBPASS = password;
        return MakeCronJobManifest(agent, settings, now);
    };
    for (const CronJobManifest& refused :
         {manifest("a", "", ""), manifest("a", "*:*:30", ""), manifest("a", "25:00", ""),
          manifest("a", "daily", "s3cret"), manifest("caf\xe9", "daily", "")}) {
        EXPECT_EQ(refused.yaml, "");
        EXPECT_FALSE(refused.error.empty());
    }
    EXPECT_NE(manifest("a", "25:00", "").error.find("Invalid argument"), std::string::npos);
    settings.secret = "passwords";
    const CronJobManifest accepted = manifest("a", "daily", "s3cret");
    EXPECT_EQ(accepted.error, "");
    EXPECT_EQ(accepted.yaml.find("s3cret"), std::string::npos);
    EXPECT_NE(accepted.yaml.find("name: passwords"), std::string::npos);
    // 1 MiB of source: 3 MiB for it and its copies, 64 MiB for the program.
    EXPECT_NE(accepted.yaml.find("memory: 67Mi"), std::string::npos);
}

// Characters that js-yaml reads as they are but other readers (kubectl's)
// refuse or take for line breaks.
TEST(YamlQuoted, EscapesWhatYamlReadersDoNotAllTakeAsItIs) {
    EXPECT_EQ(YamlQuoted("a\"\\\t\x01\xc2\x85\xe2\x80\xa8\xef\xbb\xbf\xc3\xa9"),
              "\"a\\\"\\\\\\t\\u0001\\u0085\\u2028\\uFEFF\xc3\xa9\"");
}

}  // namespace
}  // namespace gleanwork::test
