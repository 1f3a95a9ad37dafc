#include "watch/LogKeeper.h"

#include <gtest/gtest.h>

#include "support/RecordingRunLog.h"

namespace gleanwork::test {
namespace {

// Past twice the lines kept, the keeper holds the first ones and the last
// ones in order, however they came (lines, echoes, traces in two parts, one
// of them long), and passes every line on whole.
TEST(LogKeeper, KeepsTheFirstAndLastLinesInOrderAndPassesAllOn) {
    RecordingRunLog next;
    LogKeeper keeper(next);
    const std::size_t total = 2 * kKeptLogLines + 7;
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < total; ++at) {
        const std::string text = std::to_string(at) + std::string(at == total - 3 ? 1000 : 0, 'x');
        lines.push_back("<< " + text);
        if (at % 3 == 0) {
            keeper.LogTrace("<< ", text);
        } else if (at % 3 == 1) {
            keeper.LogLine(lines.back());
        } else {
            keeper.LogCommand(lines.back());
        }
    }
    EXPECT_EQ(next.Lines(), lines);
    const LogParts parts = keeper.Parts();
    EXPECT_EQ(parts.head, std::vector(lines.begin(), lines.begin() + kKeptLogLines));
    EXPECT_EQ(parts.leftOut, 7u);
    EXPECT_EQ(parts.tail, std::vector(lines.end() - kKeptLogLines, lines.end()));
}

}  // namespace
}  // namespace gleanwork::test
