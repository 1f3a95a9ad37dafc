#include "watch/LogKeeper.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/RecordingRunLog.h"

namespace gleanwork::test {
namespace {

// Every line goes on; the first and the last lines are kept in order, with
// the count of those between them.
TEST(LogKeeper, PassesEveryLineOnAndKeepsTheFirstAndLastInOrder) {
    for (const std::size_t total :
         {kKeptLogLines / 2, kKeptLogLines + 5, 2 * kKeptLogLines + 1234, 4 * kKeptLogLines + 7}) {
        RecordingRunLog next;
        LogKeeper keeper(next);
        for (std::size_t line = 0; line < total; ++line) {
            keeper.LogLine(std::to_string(line));
        }
        const LogParts parts = keeper.Parts();
        EXPECT_EQ(next.lines.size(), total);
        const std::size_t head = std::min(total, kKeptLogLines);
        const std::size_t tail = std::min(total - head, kKeptLogLines);
        ASSERT_EQ(parts.head.size(), head);
        ASSERT_EQ(parts.tail.size(), tail) << total;
        EXPECT_EQ(parts.leftOut, total - head - tail);
        EXPECT_EQ(parts.head.back(), std::to_string(head - 1));
        for (std::size_t index = 0; index < tail; ++index) {
            ASSERT_EQ(parts.tail[index], std::to_string(total - tail + index)) << total;
        }
    }
}

// A trace line, given in two parts, goes on and is kept as one line.
TEST(LogKeeper, PassesTraceLinesOnAndKeepsThemWhole) {
    RecordingRunLog next;
    LogKeeper keeper(next);
    keeper.LogTrace("<< ", "text");
    EXPECT_EQ(next.lines, std::vector<std::string>{"<< text"});
    EXPECT_EQ(keeper.Parts().head, std::vector<std::string>{"<< text"});
}

}  // namespace
}  // namespace gleanwork::test
