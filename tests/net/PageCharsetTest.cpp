// Pages in legacy character sets, read as UTF-8 text, also by a run.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "net/FetchFixture.h"
#include "net/LoopbackServer.h"
#include "net/PageCharset.h"
#include "run/AgentEngine.h"
#include "script/ValueFilter.h"
#include "support/CaseFile.h"
#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

const CaseFile kCharsetCases = ReadCaseFile(GLEANWORK_TEST_DATA "/net/charsets.txt",
                                            {"body", "content-type", "charset", "text", "note"});

TEST(PageCharsetCaseFile, ReadsWithoutErrors) {
    EXPECT_EQ(kCharsetCases.errors, std::vector<std::string>());
}

class PageCharsetCase : public ::testing::TestWithParam<Case> {};

TEST_P(PageCharsetCase, GivesItsTextAndNote) {
    const Case& expected = GetParam();
    SCOPED_TRACE(expected.where);
    const std::string body = expected.Text("body");
    const PageText page = DecodePage(body, expected.Text("content-type"), expected.Text("charset"));
    EXPECT_EQ(page.text, expected.Has("text") ? expected.Text("text") : body);
    EXPECT_EQ(page.converted, expected.Has("text"));
    EXPECT_EQ(page.note, expected.Text("note"));
}

// The same page fetched by a run whose source, another page, declares a set
// of its own: each page is converted by its own reply, with one log line each.
TEST_P(PageCharsetCase, IsSoInARunThatFetchesIt) {
    const Case& expected = GetParam();
    SCOPED_TRACE(expected.where);
    const std::string type = expected.Text("content-type");
    LoopbackServer server(
        {Reply("HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\nstart"),
         Reply("HTTP/1.0 200 OK\r\n" + (type.empty() ? "" : "Content-Type: " + type + "\r\n") +
               "\r\n" + expected.Text("body"))});
    const TempFolder folder;
    AgentDefinition agent = LoopbackAgent(server.Url("/"), folder / "out.txt",
                                          {"FETCH \"/page\"", "GET 1000000", "PRINT"});
    agent.CHARSET = expected.Text("charset");
    RecordingRunLog log;

    AgentEngine(agent, &log).Run();

    const std::string text = expected.Has("text") ? expected.Text("text") : expected.Text("body");
    EXPECT_EQ(ReadFile(folder / "out.txt"), text.substr(0, text.find('\0')));
    const auto notes =
        std::count_if(log.lines.begin(), log.lines.end(), [](const std::string& line) {
            return line.starts_with("Page converted") || line.starts_with("Character set");
        });
    EXPECT_EQ(notes, agent.CHARSET.empty() ? 0 : 2);
    if (!expected.Text("note").empty()) {
        EXPECT_THAT(log.lines, ::testing::Contains(expected.Text("note")));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PageCharsetCase, ::testing::ValuesIn(kCharsetCases.cases),
                         [](const auto& param) { return TestNameOf(param.param.name); });

TEST(PageCharset, LooksForAMetaInTheFirst1024BytesOnly) {
    const std::string meta = "<meta charset=koi8-r>";
    for (const std::size_t padding :
         {std::size_t{1024} - meta.size(), std::size_t{1024} - meta.size() + 1}) {
        const std::string page = std::string(padding, ' ') + meta;
        EXPECT_EQ(DetectPageCharset(page, "").charset.name,
                  padding + meta.size() <= 1024 ? "koi8-r" : "windows-1252")
            << padding;
    }
}

TEST(PageCharset, HtmlEntitiesOfAConvertedPageAreUtf8Too) {
    std::string value = DecodePage("Caf\xe9 &euro; &eacute;&#233;", "", "auto").text;
    ASSERT_TRUE(ApplyValueFilters("html", value));
    EXPECT_EQ(value, "Café € éé");
}

}  // namespace
}  // namespace gleanwork::test
