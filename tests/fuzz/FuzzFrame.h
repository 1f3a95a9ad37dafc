#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gleanwork::fuzz {

// A fuzz target takes arbitrary bytes, drives one part of the program with
// them and aborts when that part breaks one of its promises. libFuzzer calls
// one through LibFuzzerMain.cpp; the test suite replays the checked-in
// inputs through every one.
struct FuzzTarget {
    std::string_view name;  // also the folder of its inputs
    void (*run)(std::string_view input);
};

std::vector<FuzzTarget>& AllFuzzTargets();

struct FuzzRegistration {
    FuzzRegistration(std::string_view name, void (*run)(std::string_view)) {
        AllFuzzTargets().push_back({name, run});
    }
};

// Defines and registers the fuzz target `Name`.
#define FUZZ_TARGET(Name)                                                                   \
    static void Fuzz##Name(std::string_view input);                                         \
    static const ::gleanwork::fuzz::FuzzRegistration registration##Name(#Name, Fuzz##Name); \
    static void Fuzz##Name(std::string_view input)

// Reports a broken promise on standard error and aborts, so that libFuzzer
// keeps the input and a replaying test fails.
[[noreturn]] void FailCheck(const char* condition, const char* file, int line);

#define FUZZ_CHECK(condition) \
    ((condition) ? void() : ::gleanwork::fuzz::FailCheck(#condition, __FILE__, __LINE__))

// A temporary folder that lives as long as the process.
const std::string& ScratchFolder();

// Writes `bytes` to the file `name` in the scratch folder; returns its path.
std::string WriteScratchFile(const std::string& name, std::string_view bytes);

// The lines (split at each line feed) of `input` up to its first zero byte;
// `rest` gets what follows that byte (nothing when there is none).
std::vector<std::string> LinesBeforeZero(std::string_view input, std::string_view& rest);

}  // namespace gleanwork::fuzz
