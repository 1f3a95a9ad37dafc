// Replays every checked-in fuzz input (the seed corpus and the inputs that
// once broke something) through its fuzz target, so the normal test run
// keeps every fixed fault fixed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "FuzzTargets.h"

namespace gleanwork::fuzz {

// Names a target in test output.
void PrintTo(const FuzzTarget& target, std::ostream* out) {
    *out << target.name;
}

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputsOf(std::string_view target) {
    std::vector<fs::path> inputs;
    for (const char* kind : {"corpus", "regressions"}) {
        const fs::path folder = fs::path(GLEANWORK_FUZZ_DATA) / kind / target;
        if (!fs::is_directory(folder)) {
            continue;
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (entry.is_regular_file()) {
                inputs.push_back(entry.path());
            }
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FuzzReplay : public ::testing::TestWithParam<FuzzTarget> {};

TEST_P(FuzzReplay, CheckedInInputsPass) {
    const std::vector<fs::path> inputs = InputsOf(GetParam().name);
    EXPECT_FALSE(inputs.empty()) << "no seed corpus for " << GetParam().name;
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        GetParam().run(ReadBytes(input));
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay,
                         ::testing::ValuesIn(AllFuzzTargets().begin(), AllFuzzTargets().end()),
                         [](const ::testing::TestParamInfo<FuzzTarget>& target) {
                             return std::string(target.param.name);
                         });

}  // namespace
}  // namespace gleanwork::fuzz
