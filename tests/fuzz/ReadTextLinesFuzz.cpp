// Arbitrary file bytes through ReadTextLines, compared with a plain model of
// its rules, and every line through ReadDecimal, compared with a model that
// reads the digits as text.
#include <algorithm>
#include <charconv>
#include <limits>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "base/TextScan.h"
#include "storage/TextLines.h"

namespace gleanwork::fuzz {

namespace {

std::vector<std::string> ModelLines(std::string_view content) {
    std::vector<std::string> lines;
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        if (end == std::string_view::npos) {
            content = {};
        } else {
            if (line.ends_with('\r')) {
                line.remove_suffix(1);
            }
            content.remove_prefix(end + 1);
        }
        if (!line.empty() && line.front() != ';') {
            lines.emplace_back(line);
        }
    }
    return lines;
}

std::int64_t ModelDecimal(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t\n\v\f\r");
    text.remove_prefix(start == std::string_view::npos ? text.size() : start);
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+')) {
        text.remove_prefix(1);
    }
    std::string_view digits = text.substr(0, text.find_first_not_of("0123456789"));
    digits.remove_prefix(std::min(digits.size(), digits.find_first_not_of('0')));
    constexpr std::string_view kMaxDigits = "9223372036854775807";
    std::int64_t magnitude = std::numeric_limits<std::int64_t>::max();
    if (digits.size() < kMaxDigits.size() ||
        (digits.size() == kMaxDigits.size() && digits <= kMaxDigits)) {
        magnitude = 0;
        std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    }
    return negative ? -magnitude : magnitude;
}

}  // namespace

void FuzzReadTextLines(std::string_view input) {
    const std::string path = WriteScratchFile("lines.txt", input);
    std::vector<std::string> lines{"kept"};
    FUZZ_CHECK(ReadTextLines(path, lines) == 0);
    FUZZ_CHECK(!lines.empty() && lines.front() == "kept");
    lines.erase(lines.begin());
    FUZZ_CHECK(lines == ModelLines(input));
    for (const std::string& line : lines) {
        FUZZ_CHECK(ReadDecimal(line) == ModelDecimal(line));
    }
}

}  // namespace gleanwork::fuzz
