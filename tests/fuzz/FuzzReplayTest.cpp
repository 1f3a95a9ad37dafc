// Replays every checked-in fuzz input (the seed corpus and the inputs that
// once broke something) through its fuzz target, so the normal test run
// keeps every fixed fault fixed.
#include <gtest/gtest.h>

#include <filesystem>

#include "FuzzFrame.h"
#include "support/TempFolder.h"

namespace gleanwork::fuzz {

void PrintTo(const FuzzTarget& target, std::ostream* out) {
    *out << target.name;
}

namespace {

class FuzzReplay : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzReplay, CheckedInInputsPass) {
    int inputs = 0;
    for (const char* kind : {"corpus", "regressions"}) {
        const auto folder = std::filesystem::path(GLEANWORK_FUZZ_DATA) / kind / GetParam().name;
        if (std::filesystem::is_directory(folder)) {
            for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                SCOPED_TRACE(entry.path().string());
                GetParam().run(test::ReadFile(entry.path()));
                ++inputs;
            }
        }
    }
    EXPECT_GT(inputs, 0) << "no seed corpus";
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(AllFuzzTargets()),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace gleanwork::fuzz
