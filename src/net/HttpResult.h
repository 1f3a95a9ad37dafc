#pragma once

#include <string>
#include <vector>

#include "net/SourceResult.h"

namespace gleanwork {

// What a fetch came to. The head and body are those of the final reply (the
// last one received); `body` is its body byte for byte, and empty when the
// failure gave no page (see SourceFailure::GavePage). `finalUrl` is the
// address of the last request made or tried: the request's own, or the last
// of `redirects`, the address of every request that a redirect made, in
// order (each target resolved against the address that redirected to it).
struct HttpResult {
    int statusCode = 0;      // 0 when no reply, or no three-digit code, came
    std::string statusLine;  // without its CR LF
    std::string head;        // the status line and header lines, each ended by CR LF
    std::string body;
    std::string finalUrl;
    std::vector<std::string> redirects;
    SourceFailure failure;
};

}  // namespace gleanwork
