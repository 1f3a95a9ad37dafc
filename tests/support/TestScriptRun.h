#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ErrorLine.h"
#include "script/ScriptRun.h"
#include "support/RecordingRunLog.h"

namespace gleanwork::test {

// One page, the text a script runs over. FETCH reads no page (the current
// one is then empty) and BACK returns to the page kept.
class TextPages : public ScriptPages {
public:
    explicit TextPages(std::string text) : current_(std::move(text)) {}

    std::string_view Text() const override { return current_; }
    bool Fetch(std::string_view /*reference*/, std::optional<std::string_view> /*body*/,
               std::size_t position) override {
        kept_ = std::move(current_);
        keptPosition_ = position;
        current_.clear();
        return false;
    }
    std::optional<std::size_t> Back() override {
        if (!kept_) {
            return std::nullopt;
        }
        current_ = std::move(*kept_);
        kept_.reset();
        return keptPosition_;
    }
    std::uint64_t ReadCount() const override { return 0; }
    PagesState CurrentState() const override {
        return {{current_.empty() ? 0U : 1U, {}},
                kept_ ? std::optional<PageState>(PageState{1, {}}) : std::nullopt,
                keptPosition_};
    }

private:
    std::string current_;
    std::optional<std::string> kept_;
    std::size_t keptPosition_ = 0;
};

// Statements with nowhere to run: each one is OK.
class NoStatements : public ScriptStatements {
public:
    bool Execute(std::string_view /*statementTemplate*/,
                 const VariableTable& /*variables*/) override {
        return true;
    }
    std::uint64_t ContactCount() const override { return 0; }
    bool Available() const override { return true; }
};

// The output as one text.
class TextOutput : public ScriptOutput {
public:
    void Write(std::string_view text) override { written.append(text); }
    std::string written;
};

// Lets every line run until Stop, EndRun or `maxSteps` lines, so that a
// script that cannot end fails instead of hanging; EndRun logs its line.
class StepLimit : public ScriptControl {
public:
    explicit StepLimit(RunLog& log) : log_(log) {}

    bool ContinueRun() override {
        if (++steps_ > maxSteps) {
            log_.LogLine("[More steps than the test allows]");
            Stop();
        }
        return !stopped_;
    }
    void EndRun(const std::string& reason) override {
        log_.LogLine(ErrorLine(reason));
        Stop();
    }
    void Stop() { stopped_ = true; }

    std::uint64_t maxSteps = 1000000;

private:
    RunLog& log_;
    std::uint64_t steps_ = 0;
    bool stopped_ = false;
};

// A script run over `text` that reaches nothing outside the test: its log
// is recorded, its output kept as text, its statements run nowhere.
struct TestScriptRun {
    explicit TestScriptRun(std::string text = {}) : pages(std::move(text)) {}

    // The run of `script` with the statement templates given; `script` must
    // outlive it.
    ScriptRun For(const std::vector<std::string>& script, std::string_view insertStatement = {},
                  std::string_view updateStatement = {}) {
        return {script, insertStatement, updateStatement, pages, variables, output, statements,
                log,    control,         nullptr};
    }

    RecordingRunLog log;
    TextPages pages;
    VariableTable variables;
    TextOutput output;
    NoStatements statements;
    StepLimit control{log};
};

}  // namespace gleanwork::test
