#include "script/ScriptInterpreter.h"

#include <algorithm>

#include "base/TextScan.h"
#include "script/ArgumentExpansion.h"

namespace gleanwork {

namespace {

// Trace lines of GETTOKEN, PRINT and PRINTLN show at most this many
// characters of their text; the output always receives the whole text.
constexpr std::size_t kTraceCut = 255;

// The most statements whose outcomes may be pending at once.
constexpr std::size_t kMostPending = 4096;
// Every so many lines, the outcomes known so far are taken, and a statement
// pending for longer than kLongestHold, or with more than kMostLinesAhead
// lines run since, is waited for, so that the lines held back after it are
// neither held long nor many.
constexpr std::uint64_t kLinesBetweenLooks = 64;
constexpr std::chrono::milliseconds kLongestHold{100};
constexpr std::uint64_t kMostLinesAhead = std::uint64_t{1} << 17;

// Lines that reach outside the run, which must not happen before the
// statements before them are known to have run.
bool ReachesOutside(ScriptCommand command) {
    switch (command) {
        case ScriptCommand::kFetch:
        case ScriptCommand::kBack:
        case ScriptCommand::kPrint:
        case ScriptCommand::kPrintLn:
            return true;
        default:
            return false;
    }
}

// The source text as the script sees it: up to its first zero byte.
std::string_view TextBeforeZero(std::string_view source) {
    return source.substr(0, source.find('\0'));
}

}  // namespace

ScriptInterpreter::ScriptInterpreter(const ScriptRun& run)
    : run_(run), script_(run.script), window_(kMostPending) {
    if (run.step != nullptr) {
        stepObserver_.emplace(*run.step);
    }
}

void ScriptInterpreter::RunScript() {
    run_.log.LogLine("Starting script...");
    run_.log.LogLine("");
    const std::size_t lineCount = script_.size();
    lines_.assign(lineCount, PreparedLine());
    OpenPage(0);
    // After going back to a statement that did not run, the next line is
    // the one after it.
    for (lineIndex_ = 0;; ++lineIndex_) {
        if (CatchUpBeforeLine(lineCount)) {
            continue;
        }
        if (lineIndex_ >= lineCount || !ReadyForLine()) {
            break;
        }
        ExecuteLine(lineIndex_);
    }
    // A stop that came after the last look: the run ends at a statement
    // that did not run, as if the stop had come while it ran.
    CatchUp(Catch::kAll);
    if (stepObserver_) {
        stepObserver_->AtEnd(lineIndex_, cursor_, dataBuffer_, statusOk_, run_.variables);
    }
}

std::string ScriptInterpreter::ExpandArgument(std::string_view text) const {
    std::string result;
    AppendExpansion(text, run_.variables, result);
    return result;
}

std::int64_t ScriptInterpreter::FindBookmark(std::string_view name) {
    if (!bookmarks_) {
        bookmarks_.emplace(script_);
    }
    return bookmarks_->Find(name);
}

void ScriptInterpreter::RunStatement(std::string_view statementTemplate) {
    trace_.assign("[SQL]: ");
    AppendExpansion(statementTemplate, run_.variables, trace_);
    run_.log.LogLine(trace_);
    const std::uint64_t contacts = run_.statements.ContactCount();
    bool ran = true;
    const std::uint64_t ticket = run_.statements.Send(statementTemplate, run_.variables, ran);
    SetStatus(ran);
    statusFromOutside_ = run_.statements.ContactCount() != contacts;
    if (ticket != 0) {
        KeepCheckpoint(ticket);
    }
}

void ScriptInterpreter::KeepCheckpoint(std::uint64_t ticket) {
    checkpoints_.push_back({ticket, lineIndex_, cursor_.Position(), outsideResultsUsed_,
                            dataBuffer_, journal_.Position(), loopCheck_, run_.control.Mark(),
                            std::chrono::steady_clock::now(), linesRun_});
}

bool ScriptInterpreter::CatchUpBeforeLine(std::size_t lineCount) {
    if (checkpoints_.empty()) {
        return false;
    }
    if (lineIndex_ >= lineCount || run_.control.Ending() ||
        (stepObserver_ && stepObserver_->Wanted()) ||
        ReachesOutside(Prepare(lineIndex_).line.command)) {
        return CatchUp(Catch::kAll);
    }
    if (checkpoints_.size() >= window_) {
        return CatchUp(Catch::kSome);
    }
    if (++linesRun_ % kLinesBetweenLooks != 0) {
        return false;
    }
    const Checkpoint& front = checkpoints_.front();
    const bool held = linesRun_ - front.linesRun > kMostLinesAhead ||
                      std::chrono::steady_clock::now() - front.sent > kLongestHold;
    return CatchUp(held ? Catch::kSome : Catch::kLook);
}

bool ScriptInterpreter::CatchUp(Catch how) {
    while (!checkpoints_.empty()) {
        outcomes_.clear();
        run_.statements.TakeOutcomes(how != Catch::kLook, outcomes_);
        if (Apply(outcomes_)) {
            return true;
        }
        if (how == Catch::kLook || (how == Catch::kSome && checkpoints_.size() < window_)) {
            break;
        }
    }
    return false;
}

bool ScriptInterpreter::Apply(const std::vector<SentStatement>& outcomes) {
    for (const SentStatement& outcome : outcomes) {
        // Outcomes of statements sent after one that did not run are
        // those of lines that were undone.
        if (checkpoints_.empty() || outcome.ticket != checkpoints_.front().ticket) {
            continue;
        }
        if (!outcome.ran) {
            GoBackTo(checkpoints_.front());
            run_.statements.LogFailure(outcome);
            return true;
        }
        checkpoints_.pop_front();
        window_ = std::min(window_ + 1, kMostPending);
    }
    if (checkpoints_.empty()) {
        journal_.Forget(journal_.Position());
        run_.control.Release(nullptr);
    } else {
        journal_.Forget(checkpoints_.front().journal);
        run_.control.Release(&checkpoints_.front().mark);
    }
    return false;
}

// The state after the statement, but FAILED; the line after it is next.
void ScriptInterpreter::GoBackTo(Checkpoint& point) {
    run_.control.GoBack(point.mark);
    run_.control.Release(nullptr);
    journal_.Undo(point.journal, run_.variables);
    journal_.Forget(journal_.Position());
    lineIndex_ = point.line;
    cursor_.MoveToStart();
    cursor_.MoveTo(point.cursor);
    dataBuffer_ = std::move(point.dataBuffer);
    loopCheck_ = std::move(point.loopCheck);
    outsideResultsUsed_ = point.outsideResultsUsed;
    SetStatus(false);
    statusFromPage_ = false;
    statusFromOutside_ = true;
    checkpoints_.clear();
    window_ = 1;
}

bool ScriptInterpreter::ReadyForLine() {
    if (stepObserver_ && stepObserver_->Wanted()) {
        stepObserver_->BeforeLine(lineIndex_, cursor_, dataBuffer_, statusOk_, run_.variables);
    }
    return run_.control.ContinueRun();
}

ScriptInterpreter::PreparedLine& ScriptInterpreter::Prepare(std::size_t index) {
    PreparedLine& prepared = lines_[index];
    if (!prepared.parsed) {
        prepared.line = ParseScriptLine(script_[index]);
        prepared.echo = "# " + script_[index];
        prepared.parsed = true;
    }
    return prepared;
}

std::string_view ScriptInterpreter::ArgumentOf(PreparedLine& line) {
    if (line.constantArgument) {
        return line.expansionDiffers ? std::string_view(line.expansion) : line.line.argument;
    }
    expansion_.clear();
    if (AppendExpansion(line.line.argument, run_.variables, expansion_)) {
        return expansion_;
    }
    line.constantArgument = true;
    line.expansionDiffers = expansion_ != line.line.argument;
    if (line.expansionDiffers) {
        line.expansion = expansion_;
    }
    return expansion_;
}

void ScriptInterpreter::ExecuteLine(std::size_t index) {
    PreparedLine& line = Prepare(index);
    // A bookmark only marks a place: it writes not even its echo.
    if (line.line.command != ScriptCommand::kBookmark) {
        run_.log.LogCommand(line.echo);
    }
    Execute(line);
}

void ScriptInterpreter::Execute(PreparedLine& line) {
    if (CommandSetsStatus(line.line.command)) {
        statusFromPage_ = false;
    }
    switch (line.line.command) {
#define GLEANWORK_COMMAND_CASE(name, ...) \
    case ScriptCommand::k##name:          \
        return name(line);
        GLEANWORK_SCRIPT_COMMANDS(GLEANWORK_COMMAND_CASE)
#undef GLEANWORK_COMMAND_CASE
        case ScriptCommand::kUnknown:
            return run_.log.LogLine("[Unknown command!]");
    }
}

void ScriptInterpreter::Find(PreparedLine& line) {
    const std::string_view target = ArgumentOf(line);
    const std::size_t found = SearchFor(target);
    if (statusOk_) {
        cursor_.MoveTo(found + target.size());
    }
}

void ScriptInterpreter::Get(PreparedLine& line) {
    const std::string_view count = ArgumentOf(line);
    dataBuffer_.append(cursor_.Advance(ReadDecimal(count)));
    run_.log.LogTrace("<< ", dataBuffer_);
    SetStatus(!cursor_.AtEnd());
    if (!statusOk_) {
        run_.log.LogLine("[End of file]");
    }
}

void ScriptInterpreter::GetUntil(PreparedLine& line) {
    const std::size_t found = SearchFor(ArgumentOf(line));
    if (statusOk_) {
        dataBuffer_.append(cursor_.MoveTo(found));
        run_.log.LogTrace("<< ", dataBuffer_);
    }
}

void ScriptInterpreter::GetToken(PreparedLine& line) {
    const CharacterSet set(ArgumentOf(line));
    const bool movedOverDelimiters = !cursor_.SkipIn(set).empty();
    const std::string_view token = cursor_.SkipNotIn(set);
    dataBuffer_.append(token);
    const bool moved = movedOverDelimiters || !token.empty();
    if (moved) {
        LogCutTrace("<< ", dataBuffer_);
    }
    CheckEndOfToken(moved);
}

void ScriptInterpreter::Skip(PreparedLine& line) {
    SetStatus(!cursor_.Advance(ReadDecimal(ArgumentOf(line))).empty());
}

void ScriptInterpreter::SkipUntil(PreparedLine& line) {
    const std::size_t found = SearchFor(ArgumentOf(line));
    if (statusOk_) {
        cursor_.MoveTo(found);
    }
}

void ScriptInterpreter::SkipAny(PreparedLine& line) {
    const std::string_view characters = ArgumentOf(line);
    if (characters.empty()) {
        SetStatus(false);
        return;
    }
    SetStatus(!cursor_.SkipIn(CharacterSet(characters)).empty());
    if (cursor_.AtEnd()) {
        run_.log.LogLine("[End of file]");
    }
}

void ScriptInterpreter::SkipToken(PreparedLine& line) {
    const CharacterSet set(ArgumentOf(line));
    const bool movedOverDelimiters = !cursor_.SkipIn(set).empty();
    const bool moved = !cursor_.SkipNotIn(set).empty() || movedOverDelimiters;
    CheckEndOfToken(moved);
}

std::size_t ScriptInterpreter::SearchFor(std::string_view target) {
    const std::size_t found = cursor_.Search(target);
    SetStatus(found != std::string_view::npos);
    if (!statusOk_) {
        run_.log.LogLine("[Not found]");
    }
    return found;
}

void ScriptInterpreter::CheckEndOfToken(bool moved) {
    SetStatus(moved);
    if (!moved) {
        run_.log.LogLine("[Not found]");
    }
    if (cursor_.AtEnd()) {
        SetStatus(false);
        run_.log.LogLine("[End of file]");
    }
}

void ScriptInterpreter::Rewind(PreparedLine& line) {
    const std::int64_t steps = ReadDecimal(ArgumentOf(line));
    if (steps == 0) {
        cursor_.MoveToStart();
    } else {
        cursor_.MoveBack(steps);
    }
    SetStatus(true);
}

void ScriptInterpreter::Match(PreparedLine& line) {
    const std::string_view prefix = ArgumentOf(line);
    SetStatus(cursor_.LooksAt(prefix));
    if (!statusOk_) {
        run_.log.LogLine("[No match]");
    }
}

void ScriptInterpreter::MatchAny(PreparedLine& line) {
    const std::string_view characters = ArgumentOf(line);
    const std::string_view rest = cursor_.Rest();
    if (characters.empty() || rest.empty()) {
        return;
    }
    // The character after the one at the cursor is tested; on the last
    // character there is none, and that counts as a match.
    SetStatus(rest.size() < 2 || characters.find(rest[1]) != std::string_view::npos);
    if (!statusOk_) {
        run_.log.LogLine("[No match]");
    }
}

void ScriptInterpreter::Print(PreparedLine& line) {
    const std::string_view text = ArgumentOf(line);
    if (!text.empty()) {
        run_.output.Write(text);
        LogCutTrace(">> ", text);
        return;
    }
    run_.output.Write(dataBuffer_);
    LogCutTrace(">> ", dataBuffer_);
    dataBuffer_.clear();
}

void ScriptInterpreter::PrintLn(PreparedLine& line) {
    const std::string_view text = ArgumentOf(line);
    run_.output.Write(text);
    run_.output.Write("\n");
    LogCutTrace(">> ", text);
}

void ScriptInterpreter::SaveTo(PreparedLine& line) {
    const std::string_view name = ArgumentOf(line);
    trace_.clear();
    trace_.push_back('{');
    trace_.append(name);
    trace_.append("} = ");
    run_.log.LogTrace(trace_, dataBuffer_);
    VariableTable& variables = run_.variables;
    auto found = variables.find(name);
    if (!checkpoints_.empty()) {
        journal_.Note(name, found == variables.end() ? std::nullopt
                                                     : std::optional(std::move(found->second)));
    }
    if (found == variables.end()) {
        found = variables.emplace(std::string(name), std::string()).first;
    }
    found->second.swap(dataBuffer_);
    dataBuffer_.clear();
}

void ScriptInterpreter::Clear(PreparedLine& /*line*/) {
    dataBuffer_.clear();
}

void ScriptInterpreter::JumpIfOk(PreparedLine& line) {
    JumpIf(statusOk_, line);
}

void ScriptInterpreter::JumpIfFailed(PreparedLine& line) {
    JumpIf(!statusOk_, line);
}

// A bookmark is only a place that jumps go to.
void ScriptInterpreter::Bookmark(PreparedLine& /*line*/) {}

// OK when the statement ran, or was only logged for want of a data source;
// FAILED when it did not run.
void ScriptInterpreter::InsertData(PreparedLine& /*line*/) {
    RunStatement(run_.insertStatement);
}

void ScriptInterpreter::UpdateData(PreparedLine& /*line*/) {
    RunStatement(run_.updateStatement);
}

void ScriptInterpreter::Fetch(PreparedLine& line) {
    std::optional<std::string> body;
    if (line.line.body) {
        body = ExpandArgument(*line.line.body);
    }
    SetStatus(run_.pages.Fetch(ArgumentOf(line), body, cursor_.Position()));
    statusFromPage_ = true;
    OpenPage(0);
}

void ScriptInterpreter::Back(PreparedLine& /*line*/) {
    const std::optional<std::size_t> position = run_.pages.Back();
    SetStatus(position.has_value());
    statusFromPage_ = true;
    if (!position) {
        run_.log.LogLine("[No page to go back to]");
        return;
    }
    OpenPage(*position);
}

void ScriptInterpreter::OpenPage(std::size_t position) {
    cursor_ = TextCursor(TextBeforeZero(run_.pages.Text()));
    cursor_.MoveTo(position);
}

void ScriptInterpreter::JumpIf(bool condition, PreparedLine& line) {
    if (statusFromOutside_) {
        ++outsideResultsUsed_;
    }
    // No jump is ever taken at the end of the text, unless the status is
    // that of a page fetched or gone back to.
    if (!condition || (cursor_.AtEnd() && !statusFromPage_)) {
        return;
    }
    const std::string_view name = ArgumentOf(line);
    std::int64_t target = line.jumpTarget.value_or(-1);
    if (!line.jumpTarget) {
        target = FindBookmark(name);
        if (line.constantArgument) {
            line.jumpTarget = target;
        }
    }
    if (target < 0) {
        return;
    }
    lineIndex_ = static_cast<std::size_t>(target);
    trace_.assign("[Jumped to: ");
    trace_.append(name);
    trace_.append("]");
    run_.log.LogLine(trace_);
    EndAnEndlessLoop();
}

void ScriptInterpreter::EndAnEndlessLoop() {
    const JumpPlace place{lineIndex_, cursor_.Position(), statusOk_, statusFromPage_,
                          run_.statements.Available()};
    // A repeat seen past a statement that did not run was never reached.
    if (loopCheck_.Repeats(run_.pages.ReadCount() + outsideResultsUsed_,
                           {place, dataBuffer_, run_.variables, run_.pages}) &&
        !CatchUp(Catch::kAll)) {
        run_.control.EndRun("Endless loop: the script came back to line " +
                            std::to_string(lineIndex_ + 1) +
                            " with nothing changed, so it would repeat forever");
    }
}

void ScriptInterpreter::SetStatus(bool ok) {
    statusOk_ = ok;
    statusFromOutside_ = false;
}

void ScriptInterpreter::LogCutTrace(std::string_view prefix, std::string_view text) {
    run_.log.LogTrace(prefix, text.substr(0, kTraceCut));
}

}  // namespace gleanwork
