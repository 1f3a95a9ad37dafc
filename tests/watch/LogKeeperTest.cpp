#include "watch/LogKeeper.h"

#include <gtest/gtest.h>

#include "support/RecordingRunLog.h"

namespace gleanwork::test {
namespace {

// Every line goes on; the first and the last lines are kept in order, with
// the count of those between them.
TEST(LogKeeper, PassesEveryLineOnAndKeepsTheFirstAndLastInOrder) {
    RecordingRunLog next;
    LogKeeper keeper(next);
    const std::size_t total = 2 * kKeptLogLines + 1234;
    for (std::size_t line = 0; line < total; ++line) {
        keeper.LogLine(std::to_string(line));
    }
    const LogParts parts = keeper.Parts();
    EXPECT_EQ(next.lines.size(), total);
    ASSERT_EQ(parts.head.size(), kKeptLogLines);
    ASSERT_EQ(parts.tail.size(), kKeptLogLines);
    EXPECT_EQ(parts.leftOut, 1234u);
    EXPECT_EQ(parts.head.back(), std::to_string(kKeptLogLines - 1));
    for (std::size_t index = 0; index < kKeptLogLines; ++index) {
        ASSERT_EQ(parts.tail[index], std::to_string(total - kKeptLogLines + index));
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
