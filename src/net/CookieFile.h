#pragma once

#include <cstddef>
#include <string>

#include "net/CookieJar.h"

namespace gleanwork {

// What reading or writing a cookie file came to.
struct CookieFileResult {
    bool done = false;           // false: the file could not be read or written
    std::string path;            // the file, after the installation folder
    std::size_t cookies = 0;     // cookies read into the jar, or written
    std::size_t passedOver = 0;  // lines not understood, or cookies that fit no line
    std::string reason;          // why it was not done: the system's text
};

// A cookie file is the Netscape format that curl, wget and browsers'
// exporters use: one cookie a line, seven fields parted by tabs (domain,
// "TRUE" when hosts under the domain get it too, path, "TRUE" for a secure
// cookie, expiry in seconds since 1970 with 0 for a session cookie, name,
// value); "#HttpOnly_" before the domain of an HttpOnly cookie; other lines
// that begin with "#", and empty ones, are comments. `path` is the agent's
// COOKIEFILE: a relative one is in the installation folder.

// Adds the cookies of the file at `path` to `jar`: those not expired at
// `now`, session cookies included. A line with six fields is a cookie with an
// empty value (as curl reads it); other lines it cannot read are passed over
// and counted. A file that does not exist yet holds no cookies and is no
// failure.
CookieFileResult ReadCookieFile(const std::string& path, CookieJar& jar,
                                CookieJar::Clock::time_point now = CookieJar::Clock::now());

// Replaces the file at `path`, as a whole or not at all and readable by its
// owner alone, with the cookies of `jar` not expired at `now`, session
// cookies included (so that a login lasts to the next run). A cookie with a
// tab or line break in a field cannot be written on one line and is passed
// over.
CookieFileResult WriteCookieFile(const std::string& path, const CookieJar& jar,
                                 CookieJar::Clock::time_point now = CookieJar::Clock::now());

}  // namespace gleanwork
