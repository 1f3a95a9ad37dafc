#include "FuzzTargets.h"

#include <array>

namespace gleanwork::fuzz {

std::span<const FuzzTarget> AllFuzzTargets() {
    static constexpr std::array kTargets{
        FuzzTarget{"ReadTextLines", FuzzReadTextLines},
        FuzzTarget{"ReadAgentFile", FuzzReadAgentFile},
        FuzzTarget{"Interpreter", FuzzInterpreter},
        FuzzTarget{"ExpandArgument", FuzzExpandArgument},
        FuzzTarget{"SplitUrl", FuzzSplitUrl},
        FuzzTarget{"HttpReply", FuzzHttpReply},
        FuzzTarget{"EncodeBase64", FuzzEncodeBase64},
    };
    return kTargets;
}

}  // namespace gleanwork::fuzz
