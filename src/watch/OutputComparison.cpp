#include "watch/OutputComparison.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace gleanwork {

namespace {

std::vector<std::string_view> LinesTakingPart(std::string_view output,
                                              const ComparisonRules& rules) {
    std::vector<std::string_view> lines;
    while (!output.empty()) {
        const std::size_t end = output.find('\n');
        const std::string_view line = output.substr(0, end);
        output.remove_prefix(end == std::string_view::npos ? output.size() : end + 1);
        if (rules.ignoredLines == nullptr || !rules.ignoredLines->Matches(line)) {
            lines.push_back(line);
        }
    }
    if (rules.anyOrder) {
        std::sort(lines.begin(), lines.end());
    }
    return lines;
}

// Numbers the lines of both lists alike: equal lines, equal numbers.
class LineNumbering {
public:
    explicit LineNumbering(std::size_t lines) { numbers_.reserve(lines); }

    std::vector<std::uint32_t> Number(const std::vector<std::string_view>& lines) {
        std::vector<std::uint32_t> numbered;
        numbered.reserve(lines.size());
        for (const std::string_view line : lines) {
            const auto next = static_cast<std::uint32_t>(numbers_.size());
            numbered.push_back(numbers_.try_emplace(line, next).first->second);
        }
        return numbered;
    }

    std::size_t Distinct() const { return numbers_.size(); }

private:
    std::unordered_map<std::string_view, std::uint32_t> numbers_;
};

}  // namespace

OutputComparison CompareOutputs(std::string_view before, std::string_view after,
                                const ComparisonRules& rules) {
    OutputComparison comparison;
    comparison.before = LinesTakingPart(before, rules);
    comparison.after = LinesTakingPart(after, rules);
    LineNumbering numbering(comparison.before.size() + comparison.after.size());
    const std::vector<std::uint32_t> a = numbering.Number(comparison.before);
    const std::vector<std::uint32_t> b = numbering.Number(comparison.after);
    comparison.script = DiffLines(a, b, numbering.Distinct());
    comparison.added = static_cast<std::size_t>(
        std::count(comparison.script.begin(), comparison.script.end(), LineEdit::kAdded));
    comparison.removed = static_cast<std::size_t>(
        std::count(comparison.script.begin(), comparison.script.end(), LineEdit::kRemoved));
    return comparison;
}

}  // namespace gleanwork
