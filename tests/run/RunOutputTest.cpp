#include "run/RunOutput.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

// How many lines the file at `path` has, each of one character repeated.
int UniformLines(const std::string& path) {
    std::istringstream lines(ReadFile(path));
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        EXPECT_EQ(line.find_first_not_of(line.front()), std::string::npos) << line.substr(0, 80);
    }
    return count;
}

struct AppendingRun {
    explicit AppendingRun(const std::string& path) {
        int error = 0;
        EXPECT_TRUE(output.OpenFile(path, true, error));
    }
    RunLogWriter log{nullptr};
    RunControl control{log};
    RunOutput output{log, control};
};

// Runs that append to one output file at once never splice their lines:
// each writes whole lines only, in one write at a time. The runs here take
// turns line by line, so their writes interleave as those of processes can.
TEST(RunOutput, RunsAppendingToOneFileAtOnceKeepTheirLinesWhole) {
    const TempFolder folder;
    const std::string path = folder / "out.txt";
    std::array<AppendingRun, 3> runs{AppendingRun(path), AppendingRun(path), AppendingRun(path)};
    constexpr int kLines = 20000;
    for (int line = 0; line < kLines; ++line) {
        for (std::size_t run = 0; run < runs.size(); ++run) {
            runs[run].output.Write(std::string(1 + (line + run * 31) % 97, 'a' + run));
            runs[run].output.Write("\n");
        }
    }
    for (AppendingRun& run : runs) {
        run.output.Close(true);
    }
    EXPECT_EQ(UniformLines(path), static_cast<int>(runs.size()) * kLines);
}

// A text of more than 16 MB goes out without a copy in the buffer: its whole
// lines at once, while the start of a line after them waits for its end.
TEST(RunOutput, ALongTextKeepsTheLineItEndsInWhole) {
    const TempFolder folder;
    const std::string path = folder / "out.txt";
    std::array<AppendingRun, 2> runs{AppendingRun(path), AppendingRun(path)};
    std::string lines;
    for (int line = 0; lines.size() <= (std::size_t{16} << 20); ++line) {
        lines.append(std::string(1000, 'a')).append("\n");
    }
    runs[0].output.Write(lines + "aaa");
    runs[1].output.Write("bbb\n");
    runs[1].output.Close(true);
    runs[0].output.Write("a\n");
    runs[0].output.Close(true);
    EXPECT_EQ(UniformLines(path), static_cast<int>(lines.size() / 1001) + 2);
}

}  // namespace
}  // namespace gleanwork::test
