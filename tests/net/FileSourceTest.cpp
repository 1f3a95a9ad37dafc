#include "net/FileSource.h"

#include <gtest/gtest.h>

#include "net/FetchFixture.h"
#include "support/TempFolder.h"

namespace gleanwork {
namespace {

using ::gleanwork::test::RecordingSourceLog;
using ::gleanwork::test::TempFolder;
using ::gleanwork::test::WriteFile;

struct FileRead {
    int result;
    std::string text;
    std::vector<std::string> log;
};

FileRead ReadSourceAt(const std::string& path, std::string text = {}) {
    AgentDefinition agent;
    agent.URL = path;
    std::string redirect;
    RecordingSourceLog log;
    SourceContext context{agent, &log, redirect, {}};
    const int result = ReadFileSource(context, text);
    return {result, text, log.lines};
}

TEST(ReadFileSource, ReadsCrLfAsLfAndStopsAtTheFirstZeroByte) {
    TempFolder folder;
    WriteFile(folder / "page.html", std::string("a\r\nb\r\r\nc\rd\n\r\ne\0after\r\n", 22));
    const FileRead read = ReadSourceAt(folder / "page.html");
    EXPECT_EQ(read.result, 1);
    EXPECT_EQ(read.text, "a\nb\r\nc\rd\n\ne");
    EXPECT_EQ(read.log, (std::vector<std::string>{"Reading file: " + folder / "page.html"}));
}

TEST(ReadFileSource, AppendsAndCountsAnEmptyFileAsRead) {
    TempFolder folder;
    WriteFile(folder / "empty", "");
    WriteFile(folder / "tail", "\r\nend");
    EXPECT_EQ(ReadSourceAt(folder / "empty").result, 1);
    EXPECT_EQ(ReadSourceAt(folder / "empty").text, "");
    EXPECT_EQ(ReadSourceAt(folder / "tail", "kept\r").text, "kept\r\nend")
        << "only pairs inside the file are joined";
}

TEST(ReadFileSource, UsesTheUrlAsAPathExactlyAsWritten) {
    TempFolder folder;
    WriteFile(folder / "page", "x");
    for (const std::string& url : {"file://" + folder / "page", "HTTP://" + folder / "page",
                                   folder.Path(), std::string(), folder / "missing"}) {
        const FileRead read = ReadSourceAt(url, "before");
        EXPECT_EQ(read.result, 0) << url;
        EXPECT_EQ(read.text, "before") << url;
        ASSERT_EQ(read.log.size(), 2u);
        EXPECT_EQ(read.log[0], "Reading file: " + url);
        EXPECT_TRUE(read.log[1].starts_with("ERROR: Cannot read ")) << read.log[1];
    }
}

}  // namespace
}  // namespace gleanwork
