#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

constexpr int kHttpPort = 80;
constexpr int kHttpsPort = 443;

// Reads a port number as a decimal integer (see ReadDecimal); values beyond
// the range of int give its nearest end.
int ReadPort(std::string_view text);

// Whether `url` begins with exactly "https://" (lower case): such a URL is
// fetched over TLS.
bool IsHttpsUrl(std::string_view url);

// Whether `url` begins with exactly "http://" or "https://" (lower case):
// such a URL is fetched with FetchHttp, anything else is a file path.
bool IsWebUrl(std::string_view url);

// The port that the scheme of `url` means when it names none: 443 for
// https://, else 80.
int SchemePort(std::string_view url);

// Splits an http:// or https:// URL (the prefix is optional). The host
// part ends at the first "/", "?" or "#", and a user name and password in
// it (up to its last "@") are left out. Sets `host` to the rest of the host
// part (an IPv6 address without its brackets), and `port` only when it names
// one after a ":" (an empty, non-numeric or zero port gives the scheme's).
// Returns the path from the end of the host part on, query and all, with a
// "/" put before a bare query or fragment, or "/" when there is none.
std::string SplitUrl(std::string_view url, std::string& host, int& port);

// `url` without the user name and password before its host (up to the
// last "@" of its host part): they never go into a request line or a log.
std::string WithoutUserInfo(std::string_view url);

// A request field as it goes on its line: a line break in it (a redirect
// target can carry one) would start a line of its own, so it goes as a space.
std::string OnOneLine(std::string_view field);

// The value of a Host request line: the host (an IPv6 address in brackets),
// and ":" and the port when it is not `schemePort`.
std::string HostField(const std::string& host, int port, int schemePort);

}  // namespace gleanwork
