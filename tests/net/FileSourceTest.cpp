#include "net/FileSource.h"

#include <gtest/gtest.h>

#include "net/FetchFixture.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

// A path is read exactly as written: no scheme is taken off it. A failed
// read logs the reason after the path.
TEST(ReadFileSource, JoinsCrLfPairsOfTheFileOnlyAndStopsAtTheFirstZeroByte) {
    const TempFolder folder;
    const std::string page = folder / "page";
    constexpr std::size_t kMostBytes = 22;  // the first file's size
    using Row = std::tuple<std::string, std::string, std::string, SourceFailureKind>;
    for (const auto& [url, content, text, failure] : {
             Row{page, std::string("a\r\nb\r\r\nc\rd\n\r\ne\0after\r\n", 22), "a\nb\r\nc\rd\n\ne",
                 SourceFailureKind::None},
             Row{page, "\r\nend", "\nend", SourceFailureKind::None},
             Row{page, "", "", SourceFailureKind::None},
             Row{page, std::string(kMostBytes + 1, 'x'), "", SourceFailureKind::TooLarge},
             Row{"file://" + page, "x", "", SourceFailureKind::Unreadable},
             Row{"HTTP://" + page, "x", "", SourceFailureKind::Unreadable},
             Row{folder.Path(), "x", "", SourceFailureKind::Unreadable},
             Row{"", "x", "", SourceFailureKind::Unreadable},
             Row{folder / "missing", "x", "", SourceFailureKind::Unreadable},
         }) {
        WriteFile(page, content);
        RecordingSourceLog log;
        const SourceResult read = ReadFileSource(url, kMostBytes, &log);
        EXPECT_EQ(read.text, text) << url;
        EXPECT_EQ(read.failure.kind, failure) << url;
        ASSERT_EQ(log.lines.size(), read.failure.Failed() ? 2U : 1U) << url;
        EXPECT_EQ(log.lines.at(0), "Reading file: " + url);
        if (read.failure.Failed()) {
            EXPECT_EQ(log.lines.back(), "ERROR: " + read.failure.reason);
            EXPECT_TRUE(read.failure.reason.starts_with("Cannot read ")) << url;
        }
    }
}

}  // namespace
}  // namespace gleanwork::test
