// Value filters over values far longer than a page line: each must stay
// linear and exact however many characters it has to change.

#include <gtest/gtest.h>

#include "engine/ValueFilter.h"

namespace gleanwork {
namespace {

std::string Repeat(std::string_view piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        text.append(piece);
    }
    return text;
}

struct HugeCase {
    std::string_view filters;
    std::string_view piece;
    std::string_view filteredPiece;
    std::string_view around;  // what the filter puts before and after
};

TEST(ValueFilterTest, HugeValuesAreFilteredWhole) {
    constexpr std::size_t kTimes = 1 << 18;
    const HugeCase cases[] = {
        {"html", "&amp;amp;", "&amp;", ""}, {"csv", "\"", "\"\"", "\""},
        {"json", "\x01", "\\u0001", "\""},  {"url", " ", "%20", ""},
        {"trim", "a \t\n", "a ", ""},
    };
    for (const HugeCase& huge : cases) {
        SCOPED_TRACE(huge.filters);
        std::string value = Repeat(huge.piece, kTimes);
        ASSERT_TRUE(ApplyValueFilters(huge.filters, value));
        std::string expected = Repeat(huge.filteredPiece, kTimes);
        if (huge.filters == "trim") {
            expected.pop_back();
        }
        EXPECT_EQ(value, std::string(huge.around) + expected + std::string(huge.around));
    }
}

}  // namespace
}  // namespace gleanwork
