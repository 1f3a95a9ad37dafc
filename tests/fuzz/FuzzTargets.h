#pragma once

#include <span>
#include <string_view>

namespace gleanwork::fuzz {

// The fuzz targets: each takes arbitrary bytes, drives one part of the
// program with them and aborts when that part breaks one of its promises.
// libFuzzer calls them through LibFuzzerMain.cpp; the test suite replays the
// checked-in inputs through the same functions.
void FuzzReadTextLines(std::string_view input);
void FuzzReadAgentFile(std::string_view input);
void FuzzInterpreter(std::string_view input);
void FuzzExpandArgument(std::string_view input);
void FuzzSplitUrl(std::string_view input);
void FuzzHttpReply(std::string_view input);
void FuzzEncodeBase64(std::string_view input);

struct FuzzTarget {
    std::string_view name;  // also the folder of its inputs
    void (*run)(std::string_view input);
};

std::span<const FuzzTarget> AllFuzzTargets();

}  // namespace gleanwork::fuzz
