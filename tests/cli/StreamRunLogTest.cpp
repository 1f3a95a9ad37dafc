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

}  // namespace
}  // namespace gleanwork::test
