#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "engine/RunLog.h"
#include "engine/RunOutput.h"
#include "net/CookieJar.h"
#include "net/PoliteInterval.h"
#include "net/SourceContext.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// Variables of a run, by exact name; looked up by string_view without copies.
using VariableTable = std::map<std::string, std::string, std::less<>>;

// Runs one agent once: reads its source, runs its script over the text,
// writes what the script prints and reports every step to the run log.
// The engine keeps its own copy of the agent, so the caller's record may
// change or go while the run lasts.
class AgentEngine : private SourceLog {
public:
    // `log` may be null: the run is then silent. It must outlive the engine.
    AgentEngine(const AgentDefinition& agent, RunLog* log);

    // One complete run; always ends with "Agent completed.".
    void Run();

    // Reads the agent's source into `text`: FetchHttp for a URL that begins
    // with "http://" or "https://", else ReadFileSource. Returns the reader's result.
    std::int64_t ReadSource(std::string& text);

    // FETCH: reads the page that `reference` names, relative to the current
    // page's address, in place of the source text, exactly as the run read
    // its first page (same client, log lines and errors, the run's cookies,
    // the polite interval). The current page is kept for GoBack with the
    // cursor `position`; the one kept before goes. True when a page was
    // read; the source text is empty otherwise.
    bool FetchPage(std::string_view reference, std::size_t position);

    // BACK: the page kept by the last FetchPage becomes the source text again.
    // Gives the cursor position kept with it, or none when no page is kept.
    std::optional<std::size_t> GoBack();

    // Asks the run to stop before its next script line. Safe from any thread,
    // also before the run has started (it then runs no script line).
    void Stop();
    bool IsRunning() const { return running_.load(std::memory_order_relaxed); }

    void LogLine(std::string_view line) override;
    // Logs the echo of `scriptLine`: "# " followed by the line as stored.
    void LogCommand(std::string_view scriptLine);

    void SetHttpLimits(const HttpLimits& limits) { httpLimits_ = limits; }

    // What reads every page of the run in place of the HTTP client and the
    // file reader, with the same results; for fuzzers, which must reach
    // neither the network nor the disk whatever a script fetches.
    using PageReader = std::function<std::int64_t(const SourceContext&, std::string&)>;
    void SetPageReader(PageReader reader) { pageReader_ = std::move(reader); }

    const AgentDefinition& agent() const { return agent_; }
    RunOutput& output() { return output_; }
    VariableTable& variables() { return variables_; }
    std::string& sourceText() { return sourceText_; }
    std::string& redirectUrl() { return redirectUrl_; }

private:
    // A page kept for GoBack: its text, its address and the cursor on it.
    struct Page {
        std::string text;
        std::string address;
        std::size_t position = 0;
    };

    void OpenOutput();
    // Reads the source that `agent`'s URL names into `text`, and notes the
    // address of what was read (after redirects) as the current page's.
    std::int64_t ReadSourceOf(const AgentDefinition& agent, std::string& text);
    // The same, logging a source that could not be read as the first fetch
    // of a run always has; true when a page was read.
    bool ReadPage(const AgentDefinition& agent, std::string& text);
    // Waits out the polite interval before a fetch from `host`; false when
    // the run was stopped meanwhile.
    bool WaitPolitely(const std::string& host);

    std::atomic<bool> running_{false};
    std::atomic<bool> stopRequested_{false};
    const AgentDefinition agent_;
    RunOutput output_;
    VariableTable variables_;
    std::string sourceText_;
    std::string redirectUrl_;
    RunLog* log_;
    HttpLimits httpLimits_;
    std::string commandEcho_;
    std::string pageAddress_;
    std::optional<Page> previousPage_;
    CookieJar cookies_;
    PoliteInterval interval_;
    PageReader pageReader_;
    std::mutex stopMutex_;
    std::condition_variable stopped_;
};

}  // namespace gleanwork
