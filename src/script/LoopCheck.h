#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "script/ScriptRun.h"
#include "script/VariableTable.h"

namespace gleanwork {

// What decides a script's next steps after a jump, as far as the run itself
// can change it. The small part: the line jumped to, the cursor, the status
// and whether it came from a page, and whether the database can still be
// reached.
struct JumpPlace {
    std::size_t line = 0;
    std::size_t cursor = 0;
    bool statusOk = false;
    bool statusFromPage = false;
    bool databaseAvailable = false;
    bool operator==(const JumpPlace&) const = default;
};

// The whole of it: the place, the data buffer, the variables, and the pages
// (the current one, and the one kept for BACK with its cursor).
struct JumpState {
    JumpPlace place;
    const std::string& dataBuffer;
    const VariableTable& variables;
    const ScriptPages& pages;
};

// Tells when a script can only repeat itself: it is at a jump with
// everything as it was at an earlier jump, and nothing was taken from
// outside the run in between (a page read, or the result of a database
// statement that a jump then went by), so each step after it does exactly
// what it did after the earlier one, forever.
//
// The states at the jumps are compared exactly, with one state kept at a
// time (Brent's cycle detection: a copy taken at the 2nd, 4th, 8th, ...
// jump since the last thing taken from outside), so a loop is found within
// about twice the jumps it took to start repeating plus its length, and the
// check costs a few comparisons per jump and one copy of the buffer and
// the variables at most.
class LoopCheck {
public:
    // `outside` counts what the run has taken from outside so far. True when
    // `state` is one seen before at a jump since `outside` last changed.
    bool Repeats(std::uint64_t outside, const JumpState& state);

private:
    struct Saved {
        JumpPlace place;
        std::string dataBuffer;
        VariableTable variables;
        PagesState pages;
    };

    bool SameAsSaved(const JumpState& state) const;
    void Save(const JumpState& state);

    std::uint64_t outside_ = UINT64_MAX;
    std::uint64_t jumps_ = 0;
    std::uint64_t nextSave_ = 0;
    bool haveSaved_ = false;
    Saved saved_;
};

}  // namespace gleanwork
