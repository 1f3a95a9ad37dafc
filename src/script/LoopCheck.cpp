#include "script/LoopCheck.h"

namespace gleanwork {

namespace {

// The first jump after something taken from outside whose state is kept: a
// loop that takes something from outside at every turn copies nothing.
constexpr std::uint64_t kFirstSave = 2;

}  // namespace

bool LoopCheck::Repeats(std::uint64_t outside, const JumpState& state) {
    if (outside != outside_) {
        outside_ = outside;
        jumps_ = 0;
        nextSave_ = kFirstSave;
        haveSaved_ = false;
    }
    ++jumps_;
    if (haveSaved_ && SameAsSaved(state)) {
        return true;
    }
    if (jumps_ == nextSave_) {
        Save(state);
        nextSave_ *= 2;
    }
    return false;
}

bool LoopCheck::SameAsSaved(const JumpState& state) const {
    return state.place == saved_.place && state.dataBuffer.size() == saved_.dataBuffer.size() &&
           state.variables.size() == saved_.variables.size() &&
           state.dataBuffer == saved_.dataBuffer && state.variables == saved_.variables &&
           state.pages.CurrentState() == saved_.pages;
}

void LoopCheck::Save(const JumpState& state) {
    saved_.place = state.place;
    saved_.dataBuffer = state.dataBuffer;
    saved_.variables = state.variables;
    saved_.pages = state.pages.CurrentState();
    haveSaved_ = true;
}

}  // namespace gleanwork
