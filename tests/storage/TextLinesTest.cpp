#include "storage/TextLines.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using Lines = std::vector<std::string>;

TEST(ReadTextLines, DropsLineEndsEmptyAndCommentLinesAndKeepsEveryOtherByte) {
    const std::string huge(3 << 20, 'x');
    const std::string binary("a\0b\xff\x01", 5);
    const TempFolder folder;
    for (const auto& [content, expected] : std::vector<std::pair<std::string, Lines>>{
             {"A\n;B\n\nC\r\n \tD \r\n;\n", {"A", "C", " \tD "}},
             {"last line without end", {"last line without end"}},
             {"a\rb\n\r\r\n", {"a\rb", "\r"}},  // only the CR of a CR LF pair goes
             {"tail\r", {"tail\r"}},
             {huge + "\n" + binary + "\n", {huge, binary}}}) {
        WriteFile(folder / "f.txt", content);
        Lines lines{"kept"};
        EXPECT_EQ(ReadTextLines(folder / "f.txt", lines), 0);
        Lines wanted = expected;
        wanted.insert(wanted.begin(), "kept");
        EXPECT_TRUE(lines == wanted) << content.substr(0, 40);
    }
    Lines lines{"one"};
    for (const std::string& unreadable : {folder / "missing.txt", folder.Path(), std::string()}) {
        EXPECT_EQ(ReadTextLines(unreadable, lines), -1);
    }
    EXPECT_EQ(lines, Lines{"one"});
}

}  // namespace
}  // namespace gleanwork::test
