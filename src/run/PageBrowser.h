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
#include "run/RobotsGate.h"
#include "script/ScriptRun.h"
#include "storage/AgentDefinition.h"

namespace gleanwork {

// The pages of one run: the one that the script works on, and the one kept
// for BACK. Every page is read as the agent's source is (FetchHttp for an
// http:// or https:// address, else ReadFileSource), with the agent's
// settings, the run's cookies and the polite interval between fetches from
// one host (at least the Crawl-delay that a host's robots.txt asks for),
// and logs the same lines. A web page without a body is read as
// failure NothingRead. Every page is then converted as the agent's CHARSET
// asks, each by what its own reply declares. An agent with ROBOTS=1 asks a
// site for no page that the site's robots.txt disallows. A 429 or 503 that
// asks for a short wait is tried again (see HttpRequest). At most two pages are held, however many
// a run fetches.
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

    // An empty reference names no page, and a file takes no body: either
    // fails with an error line and reads nothing.
    bool Fetch(std::string_view reference, std::optional<std::string_view> body,
               std::size_t position) override;
    std::optional<std::size_t> Back() override;

    // Counts every page asked of a server or a file (or the page reader).
    std::uint64_t ReadCount() const override { return reads_; }
    PagesState CurrentState() const override;

    // The cookies of the run.
    CookieJar& Cookies() { return cookies_; }

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

    // Reads what `url` names (a web page: the reply to a POST of `body` when
    // there is one), and notes the address of what was read (after
    // redirects) as the current page's.
    SourceResult Read(const std::string& url, std::optional<std::string_view> body = {});
    // The same, logging nothing read as the first page always has.
    SourceResult ReadPage(const std::string& url, std::optional<std::string_view> body = {});
    // Fetches the web page at `url` after the polite wait; `contentType`
    // gets the reply's Content-Type.
    SourceResult FetchPage(const std::string& url, std::optional<std::string_view> body,
                           std::string& contentType);
    // Waits out the polite interval before a fetch from `host`; false when
    // the run was stopped meanwhile.
    bool WaitPolitely(const std::string& host);
    // Reads the robots.txt rules for `url` on `host` when the run has none
    // yet, and keeps their Crawl-delay; the result of the fetch when they
    // disallow it (or the run was stopped meanwhile), none when it may go on.
    std::optional<SourceResult> ObeyRobots(const std::string& url, const std::string& host);
    // Logs the error line of a request that is not made for `reason`, and
    // gives its failure.
    SourceResult NotAllowed(const std::string& reason);
    void LogLine(const std::string& line);
    void LogError(std::string_view reason);

    const AgentDefinition& agent_;
    SourceLog* log_;
    HttpLimits limits_;
    CookieJar cookies_;
    PoliteInterval interval_;
    RobotsGate robots_;
    PageReader reader_;
    Page current_;
    std::optional<Page> kept_;
    std::uint64_t reads_ = 0;
};

}  // namespace gleanwork
