#include "FuzzTargets.h"

#include <array>

namespace gleanwork::fuzz {

std::span<const FuzzTarget> AllFuzzTargets() {
    static constexpr std::array kTargets{
        FuzzTarget{"ReadTextLines", FuzzReadTextLines},
        FuzzTarget{"ReadAgentFile", FuzzReadAgentFile},
    };
    return kTargets;
}

}  // namespace gleanwork::fuzz
