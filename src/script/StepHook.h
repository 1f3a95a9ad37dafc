#pragma once

#include <cstddef>
#include <string>

#include "script/VariableTable.h"

namespace gleanwork {

// What a paused run shows: the line it will execute next, the cursor, the
// text the last collecting command added to the data buffer, the buffer,
// the status and every variable.
struct StepSnapshot {
    std::size_t lineIndex = 0;
    std::string sourceText;  // up to its first zero byte
    std::size_t cursor = 0;
    std::size_t collectedBegin = 0;  // an empty range when nothing was collected
    std::size_t collectedEnd = 0;
    std::string dataBuffer;
    bool statusOk = true;
    VariableTable variables;
};

// What may pause a run between script lines. The run asks IsArmed() before
// each line; only when it is true does it take a snapshot and call
// WaitBeforeLine(), so that a run that is never paused pays little per line.
class StepHook {
public:
    virtual ~StepHook() = default;

    virtual bool IsArmed() const = 0;

    // Pauses, as the hook decides, before the line `snapshot.lineIndex`.
    virtual void WaitBeforeLine(StepSnapshot snapshot) = 0;

    // Whether the state the script ends in is wanted; the run then hands it
    // over once the script has ended.
    virtual bool KeepsEndState() const = 0;
    virtual void KeepEndState(StepSnapshot snapshot) = 0;
};

}  // namespace gleanwork
