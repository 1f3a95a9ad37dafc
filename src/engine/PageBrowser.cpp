#include "engine/PageBrowser.h"

#include "engine/PageAddress.h"
#include "net/FileSource.h"
#include "net/HttpClient.h"
#include "net/UrlSplit.h"

namespace gleanwork {

PageBrowser::PageBrowser(const AgentDefinition& agent, SourceLog* log)
    : agent_(agent), log_(log), interval_(PoliteInterval::Read(agent.INTERVAL)) {
    current_.address = agent.URL;
}

std::int64_t PageBrowser::ReadSource(std::string& text) {
    return Read(agent_, text);
}

void PageBrowser::OpenSource() {
    ReadPage(agent_, current_.text);
}

void PageBrowser::Show(std::string text) {
    current_ = Page{std::move(text), agent_.URL};
    kept_.reset();
}

bool PageBrowser::Fetch(std::string_view reference, std::size_t position) {
    AgentDefinition page = agent_;
    page.URL = ResolvePageAddress(current_.address, reference);
    current_.position = position;
    kept_ = std::move(current_);
    current_ = Page{};
    const bool read = ReadPage(page, current_.text);
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

void PageBrowser::Interrupt() {
    {
        const std::lock_guard lock(waitMutex_);
        interrupted_.store(true);
    }
    waitEnd_.notify_all();
}

std::int64_t PageBrowser::Read(const AgentDefinition& agent, std::string& text) {
    SourceContext context{agent, log_, redirectUrl_, limits_, &cookies_};
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

bool PageBrowser::ReadPage(const AgentDefinition& agent, std::string& text) {
    const std::int64_t result = Read(agent, text);
    if (result == 0) {
        LogLine("ERROR: Unable to read specified URL or file");
    }
    return IsWebUrl(agent.URL) ? result >= 0 : result > 0;
}

bool PageBrowser::WaitPolitely(const std::string& host) {
    const auto wait = interval_.WaitBefore(host, PoliteInterval::Clock::now());
    if (wait <= PoliteInterval::Clock::duration::zero()) {
        return true;
    }
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    LogLine("Waiting " + std::to_string(milliseconds) + " ms before contacting host: " + host);
    std::unique_lock lock(waitMutex_);
    return !waitEnd_.wait_for(lock, wait, [this] { return interrupted_.load(); });
}

void PageBrowser::LogLine(const std::string& line) {
    if (log_ != nullptr) {
        log_->LogLine(line);
    }
}

}  // namespace gleanwork
