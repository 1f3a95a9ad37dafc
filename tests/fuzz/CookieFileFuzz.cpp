// Arbitrary cookie files: whatever cookies are read from one are written
// back and read again unchanged.
#include "FuzzFrame.h"
#include "net/CookieFile.h"

namespace gleanwork::fuzz {

namespace {

bool SameCookies(const StoredCookie& a, const StoredCookie& b) {
    return a.name == b.name && a.value == b.value && a.domain == b.domain && a.path == b.path &&
           a.hostOnly == b.hostOnly && a.secure == b.secure && a.httpOnly == b.httpOnly &&
           a.expires == b.expires;
}

}  // namespace

FUZZ_TARGET(CookieFile) {
    const auto now = CookieJar::Clock::from_time_t(1700000000);
    CookieJar first;
    FUZZ_CHECK(ReadCookieFile(WriteScratchFile("cookies.txt", input), first, now).done);
    const CookieFileResult written = WriteCookieFile(ScratchFolder() + "/written.txt", first, now);
    FUZZ_CHECK(written.done);
    CookieJar second;
    const CookieFileResult read = ReadCookieFile(written.path, second, now);
    FUZZ_CHECK(read.done && read.passedOver == 0 && read.cookies == written.cookies);
    const std::vector<StoredCookie> before = first.List(now);
    const std::vector<StoredCookie> after = second.List(now);
    std::size_t at = 0;
    for (const StoredCookie& cookie : before) {
        if (at < after.size() && SameCookies(cookie, after[at])) {
            ++at;
        }
    }
    FUZZ_CHECK(at == after.size() && after.size() == written.cookies);
}

}  // namespace gleanwork::fuzz
