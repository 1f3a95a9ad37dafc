// Pages in legacy character sets, read as UTF-8 text.
#include <gtest/gtest.h>

#include "net/PageCharset.h"
#include "script/ValueFilter.h"
#include "support/CaseFile.h"

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
