#include "engine/AgentEngine.h"

#include "engine/PageAddress.h"
#include "engine/ScriptInterpreter.h"
#include "net/FileSource.h"
#include "net/HttpClient.h"
#include "net/UrlSplit.h"

namespace gleanwork {

AgentEngine::AgentEngine(const AgentDefinition& agent, RunLog* log)
    : agent_(agent), log_(log), interval_(PoliteInterval::Read(agent.INTERVAL)) {}

void AgentEngine::Run() {
    LogLine("Engine started.");
    running_.store(true);
    if (stopRequested_.load()) {
        running_.store(false);
    }
    LogLine("Setting variables...");
    ReadPage(agent_, sourceText_);
    OpenOutput();
    ScriptInterpreter(*this).RunScript();
    output_.Close();
    LogLine("Agent completed.");
}

std::int64_t AgentEngine::ReadSource(std::string& text) {
    return ReadSourceOf(agent_, text);
}

std::int64_t AgentEngine::ReadSourceOf(const AgentDefinition& agent, std::string& text) {
    SourceContext context{agent, this, redirectUrl_, httpLimits_, &cookies_};
    pageAddress_ = agent.URL;
    if (pageReader_) {
        return pageReader_(context, text);
    }
    if (!IsWebUrl(agent.URL)) {
        return ReadFileSource(context, text);
    }
    const std::string host = CookieOriginOf(agent.URL).host;
    if (!WaitPolitely(host)) {
        return -1;
    }
    const std::int64_t result = FetchHttp(context, text);
    const PoliteInterval::Clock::time_point end = PoliteInterval::Clock::now();
    interval_.Record(host, end);
    if (context.redirects > 0) {
        pageAddress_ = redirectUrl_;
        interval_.Record(CookieOriginOf(pageAddress_).host, end);
    }
    return result;
}

bool AgentEngine::ReadPage(const AgentDefinition& agent, std::string& text) {
    const std::int64_t result = ReadSourceOf(agent, text);
    if (result == 0) {
        LogLine("ERROR: Unable to read specified URL or file");
    }
    const bool web = IsWebUrl(agent.URL);
    return web ? result >= 0 : result > 0;
}

bool AgentEngine::WaitPolitely(const std::string& host) {
    const auto wait = interval_.WaitBefore(host, PoliteInterval::Clock::now());
    if (wait <= PoliteInterval::Clock::duration::zero()) {
        return true;
    }
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    LogLine("Waiting " + std::to_string(milliseconds) + " ms before contacting host: " + host);
    std::unique_lock lock(stopMutex_);
    return !stopped_.wait_for(lock, wait, [this] { return stopRequested_.load(); });
}

bool AgentEngine::FetchPage(std::string_view reference, std::size_t position) {
    AgentDefinition page = agent_;
    page.URL = ResolvePageAddress(pageAddress_, reference);
    previousPage_ = Page{std::move(sourceText_), std::move(pageAddress_), position};
    sourceText_ = std::string();
    const bool read = ReadPage(page, sourceText_);
    if (!read) {
        sourceText_.clear();
    }
    return read;
}

std::optional<std::size_t> AgentEngine::GoBack() {
    if (!previousPage_) {
        return std::nullopt;
    }
    sourceText_ = std::move(previousPage_->text);
    pageAddress_ = std::move(previousPage_->address);
    const std::size_t position = previousPage_->position;
    previousPage_.reset();
    return position;
}

void AgentEngine::Stop() {
    {
        const std::lock_guard lock(stopMutex_);
        stopRequested_.store(true);
        running_.store(false);
    }
    stopped_.notify_all();
}

void AgentEngine::LogLine(std::string_view line) {
    if (log_ != nullptr) {
        log_->LogLine(line);
    }
}

void AgentEngine::LogCommand(std::string_view scriptLine) {
    if (log_ == nullptr) {
        return;
    }
    commandEcho_.assign("# ");
    commandEcho_.append(scriptLine);
    log_->LogCommand(commandEcho_);
}

void AgentEngine::OpenOutput() {
    if (agent_.FILE.empty()) {
        output_.UseStandardOutput();
        return;
    }
    LogLine("Opening output file: " + agent_.FILE);
    if (!output_.OpenFile(agent_.FILE, agent_.APPEND != 0)) {
        LogLine("Error opening output file!");
        output_.UseStandardOutput();
    }
}

}  // namespace gleanwork
