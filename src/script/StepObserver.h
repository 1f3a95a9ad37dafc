#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "script/StepHook.h"
#include "script/TextCursor.h"
#include "script/VariableTable.h"

namespace gleanwork {

// The interpreter's side of a StepHook: before each line it notes where
// the last line collected text, and pauses when the hook is armed.
class StepObserver {
public:
    explicit StepObserver(StepHook& hook) : hook_(hook) {}

    // Asked before each line: true when BeforeLine must be called, that is
    // while the hook is armed. Inline, so that an unarmed run pays one
    // call and one store per line.
    bool Wanted() {
        const bool armed = hook_.IsArmed();
        noted_ = noted_ && armed;
        return armed;
    }

    // Called before the line at `lineIndex` runs, when Wanted() says so.
    void BeforeLine(std::size_t lineIndex, const TextCursor& cursor, const std::string& dataBuffer,
                    bool statusOk, const VariableTable& variables);
    // Called once the script has ended, after the line before `lineIndex`:
    // hands the state it ended in to the hook when that keeps it.
    void AtEnd(std::size_t lineIndex, const TextCursor& cursor, const std::string& dataBuffer,
               bool statusOk, const VariableTable& variables);

private:
    void NoteCollected(const TextCursor& cursor, const std::string& dataBuffer);

    StepHook& hook_;
    bool noted_ = false;  // the state before the previous line was noted
    std::size_t cursorBefore_ = 0;
    std::size_t bufferSizeBefore_ = 0;
    std::size_t collectedBegin_ = 0;
    std::size_t collectedEnd_ = 0;
};

}  // namespace gleanwork
