// The libFuzzer entry of the fuzz target named at build time by
// GLEANWORK_FUZZ_NAME.
#include <cstdint>
#include <cstdlib>

#include "FuzzFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto run = [] {
        for (const gleanwork::fuzz::FuzzTarget& target : gleanwork::fuzz::AllFuzzTargets()) {
            if (target.name == GLEANWORK_FUZZ_NAME) {
                return target.run;
            }
        }
        std::abort();
    }();
    run(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
