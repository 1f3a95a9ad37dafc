#include "net/FileSource.h"

#include <gtest/gtest.h>

#include "net/FetchFixture.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

// Reads `url` after `text`; checks the log line and returns the result.
int ReadSourceAt(const std::string& url, std::string& text) {
    AgentDefinition agent;
    agent.URL = url;
    std::string redirect;
    RecordingSourceLog log;
    const int result = ReadFileSource({agent, &log, redirect, {}}, text);
    EXPECT_EQ(log.lines, std::vector<std::string>{"Reading file: " + url});
    return result;
}

TEST(ReadFileSource, JoinsCrLfPairsOfTheFileOnlyAndStopsAtTheFirstZeroByte) {
    const TempFolder folder;
    for (const auto& [before, content, after] :
         {std::tuple<std::string, std::string, std::string>{
              "", std::string("a\r\nb\r\r\nc\rd\n\r\ne\0after\r\n", 22), "a\nb\r\nc\rd\n\ne"},
          {"kept\r", "\r\nend", "kept\r\nend"},
          {"", "", ""}}) {
        WriteFile(folder / "page", content);
        std::string text = before;
        EXPECT_EQ(ReadSourceAt(folder / "page", text), 1);
        EXPECT_EQ(text, after);
    }
}

TEST(ReadFileSource, UsesTheUrlAsAPathExactlyAsWritten) {
    const TempFolder folder;
    WriteFile(folder / "page", "x");
    for (const std::string& url : {"file://" + folder / "page", "HTTP://" + folder / "page",
                                   folder.Path(), std::string(), folder / "missing"}) {
        std::string text = "before";
        EXPECT_EQ(ReadSourceAt(url, text), 0) << url;
        EXPECT_EQ(text, "before") << url;
    }
}

}  // namespace
}  // namespace gleanwork::test
