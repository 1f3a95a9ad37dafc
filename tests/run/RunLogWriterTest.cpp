#include "run/RunLogWriter.h"

#include <gtest/gtest.h>

#include "support/RecordingRunLog.h"

using namespace gleanwork;

namespace {

// Held lines come out in the order logged, once each, however many are held
// at a time; dropped ones never come out, and a dropped error line is no
// error of the run.
TEST(RunLogWriter, HeldLinesComeOutInOrderOnceEachAndDroppedOnesNever) {
    test::RecordingRunLog sink;
    RunLogWriter writer(&sink);
    std::vector<std::string> expected = {"before"};
    writer.LogLine("before");
    writer.Hold();
    for (int n = 0; n < 20000; ++n) {
        const std::uint64_t mark = writer.Position();
        const std::string line = "line " + std::to_string(n);
        writer.LogLine(line);
        writer.LogCommand("ERROR: # " + line);
        expected.push_back(line);
        if (n % 7 == 3) {
            writer.DropFrom(mark + 1);
        } else {
            expected.push_back("ERROR: # " + line);
        }
        if (n % 100 == 99) {
            writer.WriteBefore(writer.Position() - 50);
        }
        if (n == 0) {
            writer.DropFrom(mark);
            expected = {"before"};
        }
    }
    EXPECT_FALSE(sink.lines.empty());
    writer.WriteAll();
    writer.LogLine("after");
    expected.push_back("after");
    EXPECT_EQ(sink.lines, expected);

    RunLogWriter dropping(&sink);
    dropping.Hold();
    dropping.LogLine("ERROR: dropped");
    dropping.DropFrom(0);
    dropping.WriteAll();
    EXPECT_FALSE(dropping.ErrorLogged());
}

}  // namespace
