#include "watch/LineDiff.h"

#include <dtl/dtl.hpp>

#include <algorithm>
#include <utility>

namespace gleanwork {

namespace {

using Lines = std::span<const std::uint32_t>;

void Append(EditScript& script, LineEdit edit, std::size_t count) {
    script.insert(script.end(), count, edit);
}

// Compares the stretches between two anchors. A line that the other
// stretch lacks cannot be kept, so it is taken out before dtl sees the rest
// and put back as removed or added in its place.
class StretchDiff {
public:
    explicit StretchDiff(std::size_t distinct) : seen_(distinct, 0) {}

    void Diff(Lines before, Lines after, EditScript& script) {
        const std::vector<std::size_t> keptBefore = LinesAlsoIn(before, after);
        const std::vector<std::size_t> keptAfter = LinesAlsoIn(after, before);
        std::size_t inBefore = 0;
        std::size_t inAfter = 0;
        if (!keptBefore.empty()) {
            std::vector<std::uint32_t> a;
            std::vector<std::uint32_t> b;
            for (const std::size_t at : keptBefore) {
                a.push_back(before[at]);
            }
            for (const std::size_t at : keptAfter) {
                b.push_back(after[at]);
            }
            dtl::Diff<std::uint32_t> diff(a, b);
            diff.compose();
            std::size_t keptA = 0;
            std::size_t keptB = 0;
            for (const auto& [line, info] : diff.getSes().getSequence()) {
                const bool takesBefore = info.type != dtl::SES_ADD;
                const bool takesAfter = info.type != dtl::SES_DELETE;
                if (takesBefore) {
                    Append(script, LineEdit::kRemoved, keptBefore[keptA] - inBefore);
                    inBefore = keptBefore[keptA++] + 1;
                }
                if (takesAfter) {
                    Append(script, LineEdit::kAdded, keptAfter[keptB] - inAfter);
                    inAfter = keptAfter[keptB++] + 1;
                }
                script.push_back(takesBefore && takesAfter ? LineEdit::kSame
                                 : takesBefore             ? LineEdit::kRemoved
                                                           : LineEdit::kAdded);
            }
        }
        Append(script, LineEdit::kRemoved, before.size() - inBefore);
        Append(script, LineEdit::kAdded, after.size() - inAfter);
    }

private:
    // The places of the lines of `lines` that `other` holds too.
    std::vector<std::size_t> LinesAlsoIn(Lines lines, Lines other) {
        ++generation_;
        for (const std::uint32_t line : other) {
            seen_[line] = generation_;
        }
        std::vector<std::size_t> places;
        for (std::size_t at = 0; at < lines.size(); ++at) {
            if (seen_[lines[at]] == generation_) {
                places.push_back(at);
            }
        }
        return places;
    }

    std::vector<std::size_t> seen_;  // the generation that last saw each line
    std::size_t generation_ = 0;
};

// The pairs of places of the lines that occur once in `before` and once in
// `after`, as many as keep their order in both (the longest increasing run,
// found by patience sorting).
std::vector<std::pair<std::size_t, std::size_t>> Anchors(Lines before, Lines after,
                                                         std::size_t distinct) {
    std::vector<std::uint32_t> countBefore(distinct, 0);
    std::vector<std::uint32_t> countAfter(distinct, 0);
    std::vector<std::size_t> placeAfter(distinct, 0);
    for (const std::uint32_t line : before) {
        ++countBefore[line];
    }
    for (std::size_t at = 0; at < after.size(); ++at) {
        ++countAfter[after[at]];
        placeAfter[after[at]] = at;
    }
    std::vector<std::pair<std::size_t, std::size_t>> unique;
    for (std::size_t at = 0; at < before.size(); ++at) {
        const std::uint32_t line = before[at];
        if (countBefore[line] == 1 && countAfter[line] == 1) {
            unique.emplace_back(at, placeAfter[line]);
        }
    }
    std::vector<std::size_t> tails;  // per run length, the pair that ends the best run
    std::vector<std::size_t> previous(unique.size());
    for (std::size_t at = 0; at < unique.size(); ++at) {
        const auto longer = std::lower_bound(
            tails.begin(), tails.end(), unique[at].second,
            [&](std::size_t tail, std::size_t place) { return unique[tail].second < place; });
        previous[at] = longer == tails.begin() ? unique.size() : *(longer - 1);
        if (longer == tails.end()) {
            tails.push_back(at);
        } else {
            *longer = at;
        }
    }
    std::vector<std::pair<std::size_t, std::size_t>> chain;
    for (std::size_t at = tails.empty() ? unique.size() : tails.back(); at < unique.size();
         at = previous[at]) {
        chain.push_back(unique[at]);
    }
    std::reverse(chain.begin(), chain.end());
    return chain;
}

}  // namespace

EditScript DiffLines(Lines before, Lines after, std::size_t distinct) {
    std::size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head]) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        ++tail;
    }
    const Lines a = before.subspan(head, before.size() - head - tail);
    const Lines b = after.subspan(head, after.size() - head - tail);

    EditScript script;
    script.reserve(before.size() + after.size());
    Append(script, LineEdit::kSame, head);
    StretchDiff stretch(distinct);
    std::size_t fromA = 0;
    std::size_t fromB = 0;
    for (const auto& [atA, atB] : Anchors(a, b, distinct)) {
        stretch.Diff(a.subspan(fromA, atA - fromA), b.subspan(fromB, atB - fromB), script);
        script.push_back(LineEdit::kSame);
        fromA = atA + 1;
        fromB = atB + 1;
    }
    stretch.Diff(a.subspan(fromA), b.subspan(fromB), script);
    Append(script, LineEdit::kSame, tail);
    return script;
}

}  // namespace gleanwork
