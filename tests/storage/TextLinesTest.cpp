#include "storage/TextLines.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/TextScan.h"
#include "support/TempFolder.h"

namespace gleanwork {
namespace {

using ::gleanwork::test::TempFolder;
using ::gleanwork::test::WriteFile;
using Lines = std::vector<std::string>;

Lines ReadLinesOf(const std::string& content) {
    TempFolder folder;
    WriteFile(folder / "f.txt", content);
    Lines lines;
    EXPECT_EQ(ReadTextLines(folder / "f.txt", lines), 0);
    return lines;
}

TEST(ReadTextLines, DropsLineEndsEmptyAndCommentLinesAndKeepsTheRest) {
    EXPECT_EQ(ReadLinesOf("A\n;B\n\nC\r\n \tD \r\n;\n"), (Lines{"A", "C", " \tD "}));
    EXPECT_EQ(ReadLinesOf("last line without end"), (Lines{"last line without end"}));
    EXPECT_EQ(ReadLinesOf(""), Lines{});
    // Carriage returns that end no line are kept.
    EXPECT_EQ(ReadLinesOf("a\rb\n\r\r\n"), (Lines{"a\rb", "\r"}));
    EXPECT_EQ(ReadLinesOf("tail\r"), (Lines{"tail\r"}));
}

TEST(ReadTextLines, DeliversHugeLinesWholeAndKeepsEveryByte) {
    const std::string huge(3 * 1024 * 1024, 'x');
    EXPECT_EQ(ReadLinesOf(huge + "\nshort\n"), (Lines{huge, "short"}));
    const std::string binary("a\0b\xff\x01", 5);
    EXPECT_EQ(ReadLinesOf(binary + "\n"), (Lines{binary}));
}

TEST(ReadTextLines, AppendsToTheListAndLeavesItAloneOnFailure) {
    TempFolder folder;
    WriteFile(folder / "f.txt", "two\n");
    Lines lines{"one"};
    EXPECT_EQ(ReadTextLines(folder / "f.txt", lines), 0);
    EXPECT_EQ(lines, (Lines{"one", "two"}));

    EXPECT_EQ(ReadTextLines(folder / "missing.txt", lines), -1);
    EXPECT_EQ(ReadTextLines(folder.Path(), lines), -1);  // a folder, not a file
    EXPECT_EQ(ReadTextLines("", lines), -1);
    EXPECT_EQ(lines, (Lines{"one", "two"}));
}

TEST(ReadDecimal, ReadsLikeAtoiAndNeverOverflows) {
    EXPECT_EQ(ReadDecimal("  7x"), 7);
    EXPECT_EQ(ReadDecimal("yes"), 0);
    EXPECT_EQ(ReadDecimal(""), 0);
    EXPECT_EQ(ReadDecimal("-12"), -12);
    EXPECT_EQ(ReadDecimal("+3"), 3);
    EXPECT_EQ(ReadDecimal("\t\n\v\f\r 42"), 42);
    EXPECT_EQ(ReadDecimal("- 5"), 0);
    EXPECT_EQ(ReadDecimal("99999999999999999999999"), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(ReadDecimal("-99999999999999999999999"), -std::numeric_limits<std::int64_t>::max());
}

}  // namespace
}  // namespace gleanwork
