#include "script/StepObserver.h"

#include <algorithm>

namespace gleanwork {

void StepObserver::BeforeLine(std::size_t lineIndex, const TextCursor& cursor,
                              const std::string& dataBuffer, bool statusOk,
                              const VariableTable& variables) {
    if (noted_) {
        NoteCollected(cursor, dataBuffer);
    }
    hook_.WaitBeforeLine(StepSnapshot{lineIndex, std::string(cursor.Text()), cursor.Position(),
                                      collectedBegin_, collectedEnd_, dataBuffer, statusOk,
                                      variables});
    noted_ = true;
    cursorBefore_ = cursor.Position();
    bufferSizeBefore_ = dataBuffer.size();
}

void StepObserver::AtEnd(std::size_t lineIndex, const TextCursor& cursor,
                         const std::string& dataBuffer, bool statusOk,
                         const VariableTable& variables) {
    if (!hook_.KeepsEndState()) {
        return;
    }
    if (noted_) {
        NoteCollected(cursor, dataBuffer);
    } else {
        collectedBegin_ = collectedEnd_ = 0;
    }
    hook_.KeepEndState(StepSnapshot{lineIndex, std::string(cursor.Text()), cursor.Position(),
                                    collectedBegin_, collectedEnd_, dataBuffer, statusOk,
                                    variables});
}

// A line that made the buffer grow and moved the cursor forward collected
// the text just before the cursor; a filter may change what reaches the
// buffer, so the range is never longer than the cursor moved.
void StepObserver::NoteCollected(const TextCursor& cursor, const std::string& dataBuffer) {
    const std::size_t position = cursor.Position();
    if (dataBuffer.size() <= bufferSizeBefore_ || position <= cursorBefore_) {
        return;
    }
    const std::size_t length =
        std::min(dataBuffer.size() - bufferSizeBefore_, position - cursorBefore_);
    collectedBegin_ = position - length;
    collectedEnd_ = position;
}

}  // namespace gleanwork
