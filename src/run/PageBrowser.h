#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "net/CookieJar.h"
#include "net/HttpLimits.h"
#include "net/PoliteInterval.h"
#include "net/SourceLog.h"
#include "net/SourceResult.h"
#include "script/ScriptRun.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// The pages of one run: the one that the script works on, and the one kept
// for BACK. Every page is read as the agent's source is (FetchHttp for an
// http:// or https:// address, else ReadFileSource), with the agent's
// settings, the run's cookies and the polite interval between fetches from
// one host, and logs the same lines. A web page without a body is read as
// failure NothingRead. At most two pages are held, however many a run
// fetches.
class PageBrowser : public ScriptPages {
public:
    // `agent` and `log` (which may be null) must outlive the browser.
    PageBrowser(const AgentDefinition& agent, SourceLog* log);

    // Reads the agent's source.
    SourceResult ReadSource();

    // Reads the agent's source as the current page; logs the error "Unable to
    // read specified URL or file" when nothing was read: a file that could
    // not be read, or a web page without a body (whatever its status).
    // Returns the read's failure: none when the source was read whole.
    SourceFailure OpenSource();

    // Makes `text` the current page, at the agent's address, as if read.
    void Show(std::string text);

    std::string_view Text() const override { return current_.text; }

    // An empty reference names no page: it fails with an error line and
    // reads nothing.
    bool Fetch(std::string_view reference, std::size_t position) override;
    std::optional<std::size_t> Back() override;

    // Counts every page asked of a server or a file (or the page reader).
    std::uint64_t ReadCount() const override { return reads_; }
    PagesState CurrentState() const override;

    // The limits of every fetch; a polite wait, too, ends when their stop
    // signal is raised.
    void SetHttpLimits(const HttpLimits& limits) { limits_ = limits; }

    // What reads the page at an address in place of the HTTP client and the
    // file reader, with the same results; for fuzzers, which must reach
    // neither the network nor the disk whatever a script fetches.
    using PageReader = std::function<SourceResult(const std::string& url)>;
    void SetPageReader(PageReader reader) { reader_ = std::move(reader); }

private:
    struct Page {
        std::string text;
        std::string address;
        std::size_t position = 0;  // of the cursor, while the page is kept
        std::uint64_t serial = 0;
    };

    static PageState StateOf(const Page& page);

    // Reads what `url` names, and notes the address of what was read (after
    // redirects) as the current page's.
    SourceResult Read(const std::string& url);
    // The same, logging nothing read as the first page always has.
    SourceResult ReadPage(const std::string& url);
    // Fetches the web page at `url` after the polite wait.
    SourceResult FetchPage(const std::string& url);
    // Waits out the polite interval before a fetch from `host`; false when
    // the run was stopped meanwhile.
    bool WaitPolitely(const std::string& host);
    void LogLine(const std::string& line);
    void LogError(std::string_view reason);

    const AgentDefinition& agent_;
    SourceLog* log_;
    HttpLimits limits_;
    CookieJar cookies_;
    PoliteInterval interval_;
    PageReader reader_;
    Page current_;
    std::optional<Page> kept_;
    std::uint64_t reads_ = 0;
};

}  // namespace gleanwork
