#include "engine/RunOutput.h"

#include <gtest/gtest.h>

#include <latch>
#include <sstream>
#include <thread>

#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

// Runs that append to one output file at once never splice their lines:
// each writes whole lines only, one write at a time.
TEST(RunOutput, RunsAppendingToOneFileAtOnceKeepTheirLinesWhole) {
    const TempFolder folder;
    const std::string path = folder / "out.txt";
    constexpr int kRuns = 8;
    constexpr int kLines = 20000;
    std::latch start(kRuns);
    std::vector<std::jthread> runs;
    for (int run = 0; run < kRuns; ++run) {
        runs.emplace_back([&, letter = static_cast<char>('a' + run)] {
            RunLogWriter log(nullptr);
            RunControl control(log);
            RunOutput output(log, control);
            int error = 0;
            EXPECT_TRUE(output.OpenFile(path, true, error));
            start.arrive_and_wait();
            for (int line = 0; line < kLines; ++line) {
                output.Write(std::string(1 + line % 97, letter));
                output.Write("\n");
            }
            output.Close(true);
        });
    }
    runs.clear();
    std::istringstream lines(ReadFile(path));
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        ASSERT_EQ(line.find_first_not_of(line.front()), std::string::npos) << line;
    }
    EXPECT_EQ(count, kRuns * kLines);
}

}  // namespace
}  // namespace gleanwork::test
