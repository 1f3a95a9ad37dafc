#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/BookmarkIndex.h"
#include "script/CommandTable.h"
#include "script/LoopCheck.h"
#include "script/ScriptLine.h"
#include "script/ScriptRun.h"
#include "script/StepObserver.h"
#include "script/TextCursor.h"

namespace gleanwork {

// Executes an agent's script once over the run's source text, which ends at
// its first zero byte. It moves a cursor over the text, collects pieces of it
// in a data buffer, prints to the run's output, saves variables, jumps on the
// status of the last test and reports every command in the run log.
//
// Every line means what parsing and expanding it afresh at that moment would
// give. What cannot change while the script runs is kept after the first
// execution of a line: its command, its unexpanded argument, the expansion of
// an argument that names no variable, and the target of a jump to such an
// argument.
class ScriptInterpreter {
public:
    explicit ScriptInterpreter(const ScriptRun& run);

    // Runs the script from its first line until it passes its last line or
    // finds the run stopped before a line.
    void RunScript();

    // The expansion of `text` with the run's current variables.
    std::string ExpandArgument(std::string_view text) const;

private:
    // One script line as far as it is known not to change.
    struct PreparedLine {
        bool parsed = false;
        ScriptLine line;
        std::string echo;               // "# " and the line, as the run log shows it
        bool constantArgument = false;  // the expansion looks no variable up
        bool expansionDiffers = false;  // and differs from the argument
        std::string expansion;
        std::optional<std::int64_t> jumpTarget;  // of a constant argument
    };

    // Before each line: pauses when stepping asks for it; false once the
    // run is stopped.
    bool ReadyForLine();
    PreparedLine& Prepare(std::size_t index);
    std::string_view ArgumentOf(PreparedLine& line);
    void ExecuteLine(std::size_t index);
    void Execute(PreparedLine& line);

    // One member per command of the command table, named as its row.
#define GLEANWORK_COMMAND_MEMBER(name, ...) void name(PreparedLine& line);
    GLEANWORK_SCRIPT_COMMANDS(GLEANWORK_COMMAND_MEMBER)
#undef GLEANWORK_COMMAND_MEMBER
    void JumpIf(bool condition, PreparedLine& line);
    // The index of the first BOOKMARK line named exactly `name`, or -1.
    std::int64_t FindBookmark(std::string_view name);
    // Logs "[SQL]: " and the expansion of `statementTemplate`, then runs the
    // statement. The status: OK when it ran or there is nowhere to run it.
    void RunStatement(std::string_view statementTemplate);
    // After a jump: ends the run with an error line when the script can
    // only repeat itself from here (see LoopCheck).
    void EndAnEndlessLoop();
    void SetStatus(bool ok);
    // The position of the next occurrence of `target` after the cursor, and
    // the status it gives; "[Not found]" and npos when there is none.
    std::size_t SearchFor(std::string_view target);
    // After a token command: FAILED and "[End of file]" at the end of the text.
    void CheckEndOfToken(bool moved);
    // Puts the cursor on the run's current page, at `position`.
    void OpenPage(std::size_t position);

    void LogCutTrace(std::string_view prefix, std::string_view text);

    ScriptRun run_;
    const std::vector<std::string>& script_;
    TextCursor cursor_;
    bool statusOk_ = true;
    // The status comes from FETCH or BACK: a jump on it is taken even at the
    // end of the text, where an empty or failed page leaves the cursor.
    bool statusFromPage_ = false;
    // The status is the result of a database statement: what it may be
    // another time is up to the database.
    bool statusFromOutside_ = false;
    // How many jumps went by a status from outside.
    std::uint64_t outsideResultsUsed_ = 0;
    LoopCheck loopCheck_;
    std::string dataBuffer_;
    std::size_t lineIndex_ = 0;
    std::vector<PreparedLine> lines_;
    std::optional<BookmarkIndex> bookmarks_;
    std::optional<StepObserver> stepObserver_;
    std::string expansion_;  // the expansion of an argument that names variables
    std::string trace_;
};

}  // namespace gleanwork
