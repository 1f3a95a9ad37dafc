#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/StepControl.h"
#include "engine/TextCursor.h"
#include "engine/VariableTable.h"

namespace gleanwork {

// The interpreter's side of a StepControl: before each line it notes where
// the last line collected text, and pauses when the control is armed.
class StepObserver {
public:
    explicit StepObserver(StepControl& control) : control_(control) {}

    // Asked before each line: true when BeforeLine must be called, that is
    // while the control is armed. Inline, so that an unarmed run pays one
    // load and one store per line.
    bool Wanted() {
        const bool armed = control_.IsArmed();
        noted_ = noted_ && armed;
        return armed;
    }

    // Called before the line at `lineIndex` runs, when Wanted() says so.
    void BeforeLine(std::size_t lineIndex, const TextCursor& cursor, const std::string& dataBuffer,
                    bool statusOk, const VariableTable& variables);
    // Called once the script has ended, after the line before `lineIndex`:
    // hands the state it ended in to the control when that keeps it.
    void AtEnd(std::size_t lineIndex, const TextCursor& cursor, const std::string& dataBuffer,
               bool statusOk, const VariableTable& variables);

private:
    void NoteCollected(const TextCursor& cursor, const std::string& dataBuffer);

    StepControl& control_;
    bool noted_ = false;  // the state before the previous line was noted
    std::size_t cursorBefore_ = 0;
    std::size_t bufferSizeBefore_ = 0;
    std::size_t collectedBegin_ = 0;
    std::size_t collectedEnd_ = 0;
};

}  // namespace gleanwork
