#include "watch/UnifiedDiff.h"

#include <algorithm>
#include <array>

namespace gleanwork {

namespace {

constexpr std::size_t kContextLines = 3;

// A hunk's range of lines: its first line and how many, as diff writes it
// (the count left out when it is 1; an empty range names the line before).
std::string Range(std::size_t first, std::size_t count) {
    if (count == 0) {
        return std::to_string(first - 1) + ",0";
    }
    return count == 1 ? std::to_string(first) : std::to_string(first) + "," + std::to_string(count);
}

void AppendLine(std::string& text, char mark, std::string_view line) {
    text += mark;
    text += line;
    text += '\n';
}

// Writes the hunks, walking the script once.
class HunkWriter {
public:
    HunkWriter(const OutputComparison& comparison, std::string& text)
        : lines_{&comparison.before, &comparison.after}, script_(comparison.script), text_(text) {}

    // Writes the hunk of script steps [`from`, `to`).
    void Write(std::size_t from, std::size_t to) {
        SkipTo(from);
        std::array<std::size_t, 2> count{};
        for (std::size_t step = from; step < to; ++step) {
            count[0] += script_[step] != LineEdit::kAdded ? 1 : 0;
            count[1] += script_[step] != LineEdit::kRemoved ? 1 : 0;
        }
        text_ +=
            "@@ -" + Range(line_[0] + 1, count[0]) + " +" + Range(line_[1] + 1, count[1]) + " @@\n";
        while (step_ < to) {
            if (script_[step_] == LineEdit::kSame) {
                AppendLine(text_, ' ', (*lines_[0])[line_[0]]);
                Take(LineEdit::kSame);
                continue;
            }
            std::size_t end = step_;
            while (end < to && script_[end] != LineEdit::kSame) {
                ++end;
            }
            WriteChanges(end, LineEdit::kRemoved, '-', 0);
            WriteChanges(end, LineEdit::kAdded, '+', 1);
            step_ = end;
        }
    }

private:
    void Take(LineEdit edit) {
        line_[0] += edit != LineEdit::kAdded ? 1 : 0;
        line_[1] += edit != LineEdit::kRemoved ? 1 : 0;
        ++step_;
    }

    void SkipTo(std::size_t step) {
        while (step_ < step) {
            Take(script_[step_]);
        }
    }

    // The lines of the changes up to step `end` that are `edit`, of side `side`.
    void WriteChanges(std::size_t end, LineEdit edit, char mark, std::size_t side) {
        for (std::size_t step = step_; step < end; ++step) {
            if (script_[step] == edit) {
                AppendLine(text_, mark, (*lines_[side])[line_[side]++]);
            }
        }
    }

    std::array<const std::vector<std::string_view>*, 2> lines_;
    const EditScript& script_;
    std::string& text_;
    std::size_t step_ = 0;
    std::array<std::size_t, 2> line_{};  // the lines of each side before step_
};

}  // namespace

std::string UnifiedDiff(const OutputComparison& comparison, std::string_view beforeLabel,
                        std::string_view afterLabel) {
    if (comparison.Equal()) {
        return {};
    }
    std::string text =
        "--- " + std::string(beforeLabel) + "\n+++ " + std::string(afterLabel) + "\n";
    const EditScript& script = comparison.script;
    HunkWriter writer(comparison, text);
    std::size_t step = 0;
    while (true) {
        while (step < script.size() && script[step] == LineEdit::kSame) {
            ++step;
        }
        if (step == script.size()) {
            return text;
        }
        const std::size_t from = step >= kContextLines ? step - kContextLines : 0;
        std::size_t lastChange = step;
        for (std::size_t sameRun = 0; step < script.size() && sameRun <= 2 * kContextLines;
             ++step) {
            sameRun = script[step] == LineEdit::kSame ? sameRun + 1 : 0;
            lastChange = sameRun == 0 ? step : lastChange;
        }
        step = lastChange + 1;
        writer.Write(from, std::min(script.size(), lastChange + 1 + kContextLines));
    }
}

}  // namespace gleanwork
