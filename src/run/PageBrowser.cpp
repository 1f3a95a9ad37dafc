#include "run/PageBrowser.h"

#include <poll.h>

#include "base/ReadyWait.h"
#include "net/FileSource.h"
#include "net/HttpClient.h"
#include "net/UrlSplit.h"
#include "run/PageAddress.h"

namespace gleanwork {

PageBrowser::PageBrowser(const AgentDefinition& agent, SourceLog* log)
    : agent_(agent), log_(log), interval_(PoliteInterval::Read(agent.INTERVAL)) {
    current_.address = agent.URL;
}

std::int64_t PageBrowser::ReadSource(std::string& text) {
    return Read(agent_, text);
}

std::int64_t PageBrowser::OpenSource() {
    const std::int64_t result = ReadPage(agent_, current_.text);
    current_.serial = reads_;
    return result;
}

void PageBrowser::Show(std::string text) {
    current_ = Page{std::move(text), agent_.URL, 0, ++reads_};
    kept_.reset();
}

bool PageBrowser::Fetch(std::string_view reference, std::size_t position) {
    current_.position = position;
    kept_ = std::move(current_);
    current_ = Page{};
    current_.address = kept_->address;
    if (reference.empty()) {
        LogLine("ERROR: FETCH has no address to read");
        return false;
    }
    AgentDefinition page = agent_;
    page.URL = ResolvePageAddress(kept_->address, reference);
    const std::int64_t result = ReadPage(page, current_.text);
    current_.serial = reads_;
    const bool read = IsWebUrl(page.URL) ? result >= 0 : result > 0;
    if (!read) {
        current_.text.clear();
    }
    return read;
}

std::optional<std::size_t> PageBrowser::Back() {
    if (!kept_) {
        return std::nullopt;
    }
    current_ = std::move(*kept_);
    kept_.reset();
    return current_.position;
}

PagesState PageBrowser::CurrentState() const {
    PagesState state{StateOf(current_), std::nullopt, 0};
    if (kept_) {
        state.kept = StateOf(*kept_);
        state.keptPosition = kept_->position;
    }
    return state;
}

PageState PageBrowser::StateOf(const Page& page) {
    return {page.text.empty() ? 0 : page.serial, page.address};
}

std::int64_t PageBrowser::Read(const AgentDefinition& agent, std::string& text) {
    ++reads_;
    SourceContext context{agent, log_, redirectUrl_, limits_, &cookies_};
    context.homeUrl = agent_.URL;  // credentials go to the agent's own site, whatever page is read
    current_.address = agent.URL;
    if (reader_) {
        return reader_(context, text);
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
        current_.address = redirectUrl_;
        interval_.Record(CookieOriginOf(redirectUrl_).host, end);
    }
    return result;
}

std::int64_t PageBrowser::ReadPage(const AgentDefinition& agent, std::string& text) {
    const std::int64_t result = Read(agent, text);
    if (result == 0) {
        LogLine("ERROR: Unable to read specified URL or file");
    }
    return result;
}

bool PageBrowser::WaitPolitely(const std::string& host) {
    const auto wait = interval_.WaitBefore(host, PoliteInterval::Clock::now());
    if (wait <= PoliteInterval::Clock::duration::zero()) {
        return true;
    }
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    LogLine("Waiting " + std::to_string(milliseconds) + " ms before contacting host: " + host);
    const auto end = PoliteInterval::Clock::now() + wait;
    return WaitReady(-1, POLLIN, end, limits_.stop) == WaitResult::TimedOut;
}

void PageBrowser::LogLine(const std::string& line) {
    if (log_ != nullptr) {
        log_->LogLine(line);
    }
}

}  // namespace gleanwork
