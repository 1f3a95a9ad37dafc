// The libFuzzer entry of one fuzz target, named at build time by
// GLEANWORK_FUZZ_ENTRY.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gleanwork::fuzz::GLEANWORK_FUZZ_ENTRY(
        std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
