#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ReusingQueue.h"
#include "script/BookmarkIndex.h"
#include "script/CommandTable.h"
#include "script/LoopCheck.h"
#include "script/ScriptLine.h"
#include "script/ScriptRun.h"
#include "script/StepObserver.h"
#include "script/TextCursor.h"
#include "script/VariableJournal.h"

namespace gleanwork {

// Executes an agent's script once over the run's source text, which ends at
// its first zero byte. It moves a cursor over the text, collects pieces of it
// in a data buffer, prints to the run's output, saves variables, jumps on the
// status of the last test and reports every command in the run log.
//
// Where the statements can be sent without waiting for their outcomes, the
// script goes on past them as if they ran, keeping what it needs to go
// back to each one. When one did not run, the run goes back to it (its
// log, step count, cursor, data buffer, variables and loop check as they
// were then), logs why, sets FAILED and goes on from there: the log, the
// output and the database end as when each statement is waited for. It
// waits for every outcome before a line that reaches outside the run
// (FETCH, BACK, PRINT, PRINTLN), before a pause, a stop or a limit, when
// a loop is found, at the end, and when too many outcomes are pending.
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

    // What the run keeps to go back to a statement sent whose outcome is not
    // known yet: its ticket, its line, and the state after it.
    struct Checkpoint {
        std::uint64_t ticket = 0;
        std::size_t line = 0;
        std::size_t cursor = 0;
        std::uint64_t outsideResultsUsed = 0;
        std::string dataBuffer;
        std::size_t journal = 0;
        LoopCheck loopCheck;
        RunMark mark;
        std::chrono::steady_clock::time_point sent;
        std::uint64_t linesRun = 0;
    };
    // How long CatchUp waits for outcomes.
    enum class Catch {
        kLook,  // not at all: takes those known
        kSome,  // until fewer than the window of them are pending
        kAll,   // until none is
    };

    // Before each line: pauses when stepping asks for it; false once the
    // run is stopped.
    bool ReadyForLine();
    // Before the line at lineIndex_: learns what became of the statements
    // sent, as far as that line or the state of the run needs. True when the
    // run went back to a statement that did not run.
    bool CatchUpBeforeLine(std::size_t lineCount);
    bool CatchUp(Catch how);
    // True when the run went back to a statement that did not run.
    bool Apply(const std::vector<SentStatement>& outcomes);
    void GoBackTo(Checkpoint& point);
    void KeepCheckpoint(std::uint64_t ticket);
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
    // Statements sent and not known to have run, oldest first.
    ReusingQueue<Checkpoint> checkpoints_;
    VariableJournal journal_;
    std::vector<SentStatement> outcomes_;
    // The most statements pending before the run waits for outcomes: one
    // after a statement that did not run, one more for each that ran since,
    // so that what is done again after a failure stays below what ran.
    std::size_t window_;
    // Lines run while statements were pending.
    std::uint64_t linesRun_ = 0;
};

}  // namespace gleanwork
