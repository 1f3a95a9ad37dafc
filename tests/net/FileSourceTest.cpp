#include "net/FileSource.h"

#include <gtest/gtest.h>

#include "net/FetchFixture.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

// Reads `url` after `text`; checks the log lines (a failed read adds the
// reason) and returns the result.
int ReadSourceAt(const std::string& url, std::string& text) {
    AgentDefinition agent;
    agent.URL = url;
    std::string redirect;
    RecordingSourceLog log;
    const int result = ReadFileSource({agent, &log, redirect, {}}, text);
    EXPECT_EQ(log.lines.size(), result > 0 ? 1U : 2U);
    EXPECT_EQ(log.lines.at(0), "Reading file: " + url);
    EXPECT_TRUE(result > 0 || log.lines.back().starts_with("ERROR: Cannot read ")) << url;
    return result;
}

// A path is read exactly as written: no scheme is taken off it.
TEST(ReadFileSource, JoinsCrLfPairsOfTheFileOnlyAndStopsAtTheFirstZeroByte) {
    const TempFolder folder;
    const std::string page = folder / "page";
    using Row = std::tuple<std::string, std::string, std::string, std::string, int>;
    for (const auto& [url, content, before, after, result] : {
             Row{page, std::string("a\r\nb\r\r\nc\rd\n\r\ne\0after\r\n", 22), "",
                 "a\nb\r\nc\rd\n\ne", 1},
             Row{page, "\r\nend", "kept\r", "kept\r\nend", 1},
             Row{page, "", "", "", 1},
             Row{"file://" + page, "x", "before", "before", 0},
             Row{"HTTP://" + page, "x", "before", "before", 0},
             Row{folder.Path(), "x", "before", "before", 0},
             Row{"", "x", "before", "before", 0},
             Row{folder / "missing", "x", "before", "before", 0},
         }) {
        WriteFile(page, content);
        std::string text = before;
        EXPECT_EQ(ReadSourceAt(url, text), result) << url;
        EXPECT_EQ(text, after) << url;
    }
}

}  // namespace
}  // namespace gleanwork::test
