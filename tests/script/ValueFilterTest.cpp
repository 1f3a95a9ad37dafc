// Value filters over values far longer than a page line: each must stay
// linear and exact however many characters it has to change.

#include "script/ValueFilter.h"

#include <gtest/gtest.h>

#include <array>

namespace gleanwork {
namespace {

TEST(ValueFilterTest, HugeValuesAreFilteredWhole) {
    const auto repeat = [](std::string_view piece) {
        std::string text;
        for (int i = 0; i < (1 << 18); ++i) {
            text.append(piece);
        }
        return text;
    };
    // The filters, a piece of the value, the piece filtered, what the filter
    // puts before and after the value.
    using Row = std::array<std::string_view, 4>;
    for (const auto& [filters, piece, filtered, around] :
         {Row{"html", "&amp;amp;", "&amp;", ""}, Row{"csv", "\"", "\"\"", "\""},
          Row{"json", "\x01", "\\u0001", "\""}, Row{"url", " ", "%20", ""},
          Row{"trim", "a \t\n", "a ", ""}}) {
        std::string value = repeat(piece);
        ASSERT_TRUE(ApplyValueFilters(filters, value));
        std::string expected = repeat(filtered);
        if (filters == "trim") {
            expected.pop_back();
        }
        EXPECT_EQ(value, std::string(around) + expected + std::string(around)) << filters;
    }
}

// Unicode white space in UTF-8 goes as ASCII's does; bytes of other
// characters that look like it are kept.
TEST(ValueFilterTest, TrimTakesUnicodeWhiteSpace) {
    using Row = std::array<std::string_view, 2>;
    for (const auto& [value, trimmed] :
         {Row{"\xE2\x82\xAC\xC2\xA0"
              "44.50",
              "\xE2\x82\xAC 44.50"},
          Row{"\xC2\xA0 a\xE2\x80\x83\t\xE3\x80\x80"
              "b\xE2\x80\xAF\xC2\x85",
              "a b"},
          Row{"\xC3\xA0\xE2\x80\xA0\xA0", "\xC3\xA0\xE2\x80\xA0\xA0"}}) {
        std::string filtered(value);
        ASSERT_TRUE(ApplyValueFilters("trim", filtered));
        EXPECT_EQ(filtered, trimmed) << value;
    }
}

}  // namespace
}  // namespace gleanwork
