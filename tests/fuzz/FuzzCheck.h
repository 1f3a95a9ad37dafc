#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/TempFolder.h"

namespace gleanwork::fuzz {

// Reports a broken promise on standard error and aborts, so that libFuzzer
// keeps the input and a replaying test fails.
[[noreturn]] void FailCheck(const char* condition, const char* file, int line);

#define FUZZ_CHECK(condition)                                             \
    do {                                                                  \
        if (!(condition)) {                                               \
            ::gleanwork::fuzz::FailCheck(#condition, __FILE__, __LINE__); \
        }                                                                 \
    } while (false)

// A temporary folder that lives as long as the process; fuzz targets keep
// their files in it and overwrite them on every input.
const test::TempFolder& ScratchFolder();

// Writes `bytes` to the file `name` in the scratch folder; returns its path.
std::string WriteScratchFile(const std::string& name, std::string_view bytes);

// Splits `input` at its first zero byte: the part before it goes to `head`,
// the part after it is returned (empty when there is no zero byte).
std::string_view SplitAtZero(std::string_view input, std::string_view& head);

// The lines of `text`, split at each line feed.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace gleanwork::fuzz
