#include "run/RunCookieFile.h"

#include <string>

#include "net/CookieFile.h"

namespace gleanwork {

namespace {

std::string CookieCount(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " cookie" : " cookies");
}

// "; N lines passed over" when there were any, for the log line of a read or
// write.
std::string PassedOver(const CookieFileResult& result, const char* what) {
    if (result.passedOver == 0) {
        return {};
    }
    return "; " + std::to_string(result.passedOver) + " " + what + " passed over";
}

}  // namespace

void RunCookieFile::Load() {
    if (agent_.COOKIEFILE.empty()) {
        return;
    }
    const CookieFileResult read = ReadCookieFile(agent_.COOKIEFILE, jar_);
    loaded_ = read.done;
    if (!read.done) {
        log_.LogError("Cannot read cookie file " + read.path + ": " + read.reason);
        return;
    }
    log_.LogLine("Cookie file " + read.path + ": " + CookieCount(read.cookies) + " read" +
                 PassedOver(read, "lines"));
}

void RunCookieFile::Save() {
    if (agent_.COOKIEFILE.empty()) {
        return;
    }
    if (!loaded_) {
        log_.LogLine("Cookie file left as it was: the run could not read it");
        return;
    }
    const CookieFileResult written = WriteCookieFile(agent_.COOKIEFILE, jar_);
    if (!written.done) {
        log_.LogError("Cannot write cookie file " + written.path + ": " + written.reason);
        return;
    }
    log_.LogLine("Cookie file " + written.path + ": " + CookieCount(written.cookies) + " written" +
                 PassedOver(written, "cookies"));
}

}  // namespace gleanwork
