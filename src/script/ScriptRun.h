#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/RunLog.h"
#include "script/StepHook.h"
#include "script/VariableTable.h"

namespace gleanwork {

// Which pages a run has, for telling whether it is back where it was: the
// current page and the one kept for BACK with its cursor. Every page read
// has a serial of its own, except that every empty page has serial 0.
struct PageState {
    std::uint64_t serial = 0;
    std::string address;
    bool operator==(const PageState&) const = default;
};
struct PagesState {
    PageState current;
    std::optional<PageState> kept;
    std::size_t keptPosition = 0;
    bool operator==(const PagesState&) const = default;
};

// The pages a script works on: the current one, and the one kept for BACK.
class ScriptPages {
public:
    virtual ~ScriptPages() = default;

    // The text of the current page.
    virtual std::string_view Text() const = 0;

    // Reads the page that `reference` names, relative to the current page's
    // address, as the new current page (with a `body`: the reply to a form
    // that posts it); the old one is kept for Back with the cursor
    // `position`. True when a page was read; the current page is empty
    // otherwise.
    virtual bool Fetch(std::string_view reference, std::optional<std::string_view> body,
                       std::size_t position) = 0;

    // Makes the kept page current again. Gives the cursor position kept with
    // it, or none when no page is kept.
    virtual std::optional<std::size_t> Back() = 0;

    // How many times a page was asked for, whatever came of it: what the run
    // may find different if it asks again.
    virtual std::uint64_t ReadCount() const = 0;
    virtual PagesState CurrentState() const = 0;
};

// What became of a statement sent without waiting for it (see
// ScriptStatements::Send).
struct SentStatement {
    std::uint64_t ticket = 0;
    bool ran = true;
    bool lost = false;  // the connection went, and with it what the run's statements did
    std::string error;  // why it did not run
};

// Where INSERTDATA and UPDATEDATA statements go.
class ScriptStatements {
public:
    virtual ~ScriptStatements() = default;

    // Runs the statement that `statementTemplate` stands for with the
    // variables' values. True when it ran, or when there is nowhere to run it.
    virtual bool Execute(std::string_view statementTemplate, const VariableTable& variables) = 0;

    // Sends the statement, as Execute runs it, to run after every statement
    // sent before it, and gives its ticket (counting up from 1) without
    // waiting for it, where the database takes statements so. Otherwise the
    // statement runs at once, as Execute, `ran` says how it went, and the
    // ticket is 0. Whatever happens to a sent statement, every statement
    // sent after it does nothing until TakeOutcomes has reported it.
    virtual std::uint64_t Send(std::string_view statementTemplate, const VariableTable& variables,
                               bool& ran) {
        ran = Execute(statementTemplate, variables);
        return 0;
    }
    // Appends what became of sent statements, in the order sent; with
    // `wait`, waits until there is something to report if a sent statement
    // has not been reported yet.
    virtual void TakeOutcomes(bool /*wait*/, std::vector<SentStatement>& /*outcomes*/) {}
    // Logs that the sent statement `outcome` did not run, as Execute logs it.
    virtual void LogFailure(const SentStatement& /*outcome*/) {}

    // How many statements reached (or tried to reach) the database: what may
    // come out differently when tried again.
    virtual std::uint64_t ContactCount() const = 0;
    // Whether statements may still reach the database.
    virtual bool Available() const = 0;
};

// Where PRINT and PRINTLN write.
class ScriptOutput {
public:
    virtual ~ScriptOutput() = default;
    virtual void Write(std::string_view text) = 0;
};

// A point of a run that the interpreter may go back to: how many lines it
// had logged and how many steps it had taken.
struct RunMark {
    std::uint64_t lines = 0;
    std::uint64_t steps = 0;
};

// Whether the script's next line may run.
class ScriptControl {
public:
    virtual ~ScriptControl() = default;

    // Called before each script line: whether it may run.
    virtual bool ContinueRun() = 0;

    // Ends the run on the failure `reason`, logged as an error line: no
    // further script line runs.
    virtual void EndRun(const std::string& reason) = 0;

    // Whether the next ContinueRun may end the run.
    virtual bool Ending() const { return false; }

    // Marks this point of the run; lines logged from here on are held back
    // until Release lets them go.
    virtual RunMark Mark() { return {}; }
    // Goes back to `mark`: the lines logged and the steps taken since are
    // undone.
    virtual void GoBack(const RunMark& /*mark*/) {}
    // Lets the held lines logged before `mark` go, or (null) all of them,
    // holding no more.
    virtual void Release(const RunMark* /*mark*/) {}
};

// What the interpreter is given for one run of a script: its lines and the
// statement templates of INSERTDATA and UPDATEDATA, the pages, the run's
// variables, where its output, statements and log go, the control that says
// whether the next line may run, and the hook that may pause it between
// lines (null: the run never pauses). Everything referred to outlives the
// interpreter.
struct ScriptRun {
    const std::vector<std::string>& script;
    std::string_view insertStatement;
    std::string_view updateStatement;
    ScriptPages& pages;
    VariableTable& variables;
    ScriptOutput& output;
    ScriptStatements& statements;
    RunLog& log;
    ScriptControl& control;
    StepHook* step;
};

}  // namespace gleanwork
