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
    std::uint64_t errors = 0;
    writer.LogLine("before");
    writer.Hold();
    for (int n = 0; n < 20000; ++n) {
        const std::uint64_t mark = writer.Position();
        const std::string line = "line " + std::to_string(n);
        writer.LogLine(line);
        writer.LogError("# " + line);
        expected.push_back(line);
        if (n % 7 == 3) {
            writer.DropFrom(mark + 1);
        } else {
            expected.push_back("ERROR: # " + line);
            ++errors;
        }
        if (n % 100 == 99) {
            writer.WriteBefore(writer.Position() - 50);
        }
        if (n == 0) {
            writer.DropFrom(mark);
            expected = {"before"};
            errors = 0;
        }
    }
    EXPECT_FALSE(sink.lines.empty());
    writer.WriteAll();
    writer.LogLine("after");
    expected.push_back("after");
    EXPECT_EQ(sink.lines, expected);
    EXPECT_EQ(writer.ErrorCount(), errors);
    EXPECT_EQ(writer.FirstError(), "ERROR: # line 1");

    RunLogWriter dropping(&sink);
    dropping.Hold();
    dropping.LogError("dropped");
    dropping.DropFrom(0);
    dropping.WriteAll();
    EXPECT_EQ(dropping.ErrorCount(), 0u);
}

}  // namespace
