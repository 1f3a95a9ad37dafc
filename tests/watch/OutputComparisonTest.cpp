// Output comparison: the cases of comparisons.txt, and edit scripts checked
// against the outputs they join on generated outputs.

#include <gtest/gtest.h>

#include <random>

#include "support/CaseFile.h"
#include "watch/OutputComparison.h"
#include "watch/UnifiedDiff.h"

namespace gleanwork::test {
namespace {

// The output of section `name` of `c`: its lines, each ended by a line
// feed, or the bytes of section "`name` bytes".
std::string Output(const Case& c, const std::string& name) {
    if (c.Has(name + " bytes")) {
        return c.Text(name + " bytes");
    }
    const std::string text = c.Text(name);
    return text.empty() ? text : text + "\n";
}

TEST(OutputComparison, ComparesAsTheCasesSay) {
    const CaseFile file = ReadCaseFile(
        GLEANWORK_TEST_DATA "/watch/comparisons.txt",
        {"before", "after", "before bytes", "after bytes", "rules", "counts", "hunks", "error"});
    EXPECT_EQ(file.errors, std::vector<std::string>());
    for (const Case& c : file.cases) {
        SCOPED_TRACE(c.where + ": " + c.name);
        ComparisonRules rules;
        std::optional<LinePattern> pattern;
        std::string error;
        for (const std::string& rule : c.Lines("rules")) {
            rules.anyOrder = rules.anyOrder || rule == "order";
            if (rule.starts_with("ignore=")) {
                pattern = LinePattern::Compile(rule.substr(7), error);
                rules.ignoredLines = pattern ? &*pattern : nullptr;
            }
        }
        EXPECT_EQ(error, c.Text("error"));
        const std::string before = Output(c, "before");
        const std::string after = Output(c, "after");
        const OutputComparison comparison = CompareOutputs(before, after, rules);
        EXPECT_EQ(
            "+" + std::to_string(comparison.added) + " -" + std::to_string(comparison.removed),
            c.Text("counts"));
        const std::string diff = UnifiedDiff(comparison, "a\t1", "b\t2");
        const std::string hunks = c.Text("hunks");
        EXPECT_EQ(diff, hunks.empty() ? "" : "--- a\t1\n+++ b\t2\n" + hunks + "\n");
    }
}

// Outputs of few distinct lines, so that lines repeat, move and change
// together, in stretches that the anchors split and that they do not.
std::string RandomOutput(std::mt19937& random, std::size_t lines, unsigned distinct) {
    std::string output;
    for (std::size_t n = 0; n < lines; ++n) {
        output += std::to_string(random() % distinct) + "\n";
    }
    return output;
}

TEST(OutputComparison, EveryScriptTurnsTheOneOutputIntoTheOther) {
    std::mt19937 random(7);
    for (int round = 0; round < 400; ++round) {
        const std::string before = RandomOutput(random, random() % 60, 2 + round % 40);
        std::string after = round % 3 == 0 ? before.substr(before.size() / 3) + before
                                           : RandomOutput(random, random() % 60, 2 + round % 40);
        const OutputComparison comparison = CompareOutputs(before, after, {});
        std::size_t a = 0;
        std::size_t b = 0;
        for (const LineEdit edit : comparison.script) {
            if (edit == LineEdit::kSame) {
                ASSERT_EQ(comparison.before.at(a), comparison.after.at(b)) << before << after;
            }
            a += edit != LineEdit::kAdded ? 1 : 0;
            b += edit != LineEdit::kRemoved ? 1 : 0;
        }
        EXPECT_EQ(a, comparison.before.size());
        EXPECT_EQ(b, comparison.after.size());
    }
}

}  // namespace
}  // namespace gleanwork::test
