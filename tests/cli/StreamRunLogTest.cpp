#include "cli/StreamRunLog.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "base/FileDescriptor.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using namespace std::chrono_literals;

// Lines of every length, in a block of 64 bytes: whichever of them crosses
// the end of the block or does not fit in one, each reaches the file whole
// and in order, while the log's own thread writes what was added, and all
// of them are there before the log goes.
TEST(StreamRunLog, EveryLineReachesTheFileWholeInOrderAndInTime) {
    const TempFolder folder;
    const std::string path = folder / "run.log";
    const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    StreamRunLog log(StreamRunLog::Destination::File, file.Get(), path, {}, 64, 1ms);
    std::string expected;
    for (std::size_t line = 0; line < 5000; ++line) {
        const std::string text(line % 100, static_cast<char>('a' + line % 26));
        log.LogLine(text);
        expected += text + "\n";
    }
    log.LogCommand("# a\nb\\");
    expected += "# a\\nb\\\\\n";
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::filesystem::file_size(path) < expected.size() &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(ReadFile(path), expected);
}

// A line feed, carriage return or backslash at any place of a line of any
// length, in the text of a trace or in its prefix, is written escaped; lines
// longer than the block of 64 bytes too.
TEST(StreamRunLog, EscapesLineBreaksAndBackslashesWhereverTheyStand) {
    const TempFolder folder;
    const std::string path = folder / "run.log";
    const FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    StreamRunLog log(StreamRunLog::Destination::File, file.Get(), path, {}, 64, 1h);
    const auto escaped = [](std::string_view text) {
        std::string out;
        for (const char c : text) {
            out += c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\\' ? "\\\\" : std::string(1, c);
        }
        return out;
    };
    std::string expected;
    for (std::size_t size = 1; size < 80; ++size) {
        for (std::size_t at = 0; at < size; ++at) {
            std::string text(size, 'x');
            text[at] = "\n\r\\"[at % 3];
            const std::string prefix = at % 4 == 0 ? "{\\} = " : "<< ";
            log.LogTrace(prefix, text);
            expected += escaped(prefix + text) + "\n";
        }
    }
    ASSERT_TRUE(log.Flush());
    EXPECT_EQ(ReadFile(path), expected);
}

}  // namespace
}  // namespace gleanwork::test
