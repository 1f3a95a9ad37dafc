#include <gtest/gtest.h>

#include "support/CaseFile.h"
#include "support/TempFolder.h"
#include "watch/CronSchedule.h"

namespace gleanwork::test {
namespace {

TEST(TranslateToCron, SaysInCronWhatCronCanSayAndRefusesTheRest) {
    const ScopedEnvironment zone("TZ", "Europe/Berlin");
    std::vector<std::string> errors;
    const Table rows = ReadTable(GLEANWORK_TEST_DATA "/watch/cron.txt", "translations", errors);
    EXPECT_EQ(errors, std::vector<std::string>());
    ASSERT_EQ(LocalZoneName(), "Europe/Berlin");
    for (const auto& row : rows) {
        const CalendarParse parse = ParseCalendarExpression(row.at(0));
        ASSERT_TRUE(parse.expression) << row.at(0) << ": " << parse.reason;
        const CronTranslation cron = TranslateToCron(*parse.expression, LocalZoneName());
        if (row.at(1) == "refused") {
            EXPECT_FALSE(cron.schedule) << row.at(0);
            EXPECT_NE(cron.reason.find(row.at(2)), std::string::npos)
                << row.at(0) << ": " << cron.reason;
        } else {
            ASSERT_TRUE(cron.schedule) << row.at(0) << ": " << cron.reason;
            EXPECT_EQ(cron.schedule->fields, row.at(1)) << row.at(0);
            EXPECT_EQ(cron.schedule->timeZone, row.at(2)) << row.at(0);
        }
    }
    EXPECT_FALSE(TranslateToCron(*ParseCalendarExpression("daily").expression, "").schedule);
}

}  // namespace
}  // namespace gleanwork::test
