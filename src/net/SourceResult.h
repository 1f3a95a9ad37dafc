#pragma once

#include <string>

namespace gleanwork {

// Why reading a source failed, or None.
enum class SourceFailureKind {
    None,
    SocketLibrary,     // the socket library did not start
    NoSocket,          // no socket could be made
    NameNotResolved,   // the host has no address
    ConnectRefused,    // no address took the connection ...
    ConnectTimedOut,   // ... or answered in time ...
    ConnectFailed,     // ... or could be reached otherwise
    TunnelRefused,     // the proxy opened no tunnel for https://
    Tls,               // the secure connection failed (the reason says why)
    ReceiveFailed,     // a receive failed: the reply holds what came before
    ReceiveTimedOut,   // nothing came within the receive limit: the same
    HttpStatus,        // the final reply's status is 400 or above
    CutShort,          // the body is shorter than its head announced
    TooLarge,          // the source outgrew its limit (or announced it would)
    TooManyRedirects,  // the last reply that may be followed redirects again
    FetchTimedOut,     // the whole fetch took longer than its limit
    Stopped,           // the run was stopped (nothing is logged)
    Unreadable,        // the file could not be read
    NothingRead,       // a web page without a body
    NotAllowed,        // not asked for: the site's robots.txt disallows it, or the
                       // proxy that the environment names cannot be used
};

// What went wrong while a source was read: the kind, and the reason as the
// error line that reported it says it (empty for a stop, which reports
// nothing).
struct SourceFailure {
    SourceFailureKind kind = SourceFailureKind::None;
    std::string reason;

    bool Failed() const { return kind != SourceFailureKind::None; }

    // Whether the read still gave a page to work on, if not a whole one: a
    // reply whose status is a failure, whose last receive failed or that had
    // no body is a page all the same.
    bool GavePage() const {
        switch (kind) {
            case SourceFailureKind::None:
            case SourceFailureKind::ReceiveFailed:
            case SourceFailureKind::ReceiveTimedOut:
            case SourceFailureKind::HttpStatus:
            case SourceFailureKind::NothingRead:
                return true;
            default:
                return false;
        }
    }
};

// A source's text as a reader gave it, and its failure, if any. A read
// that gave no page has an empty text.
struct SourceResult {
    std::string text;
    SourceFailure failure;
};

}  // namespace gleanwork
