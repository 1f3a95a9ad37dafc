#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

constexpr int kHttpPort = 80;

// Reads a port number as a decimal integer (see ReadDecimal); values beyond
// the range of int give its nearest end.
int ReadPort(std::string_view text);

// Splits an http:// URL (the prefix is optional). Sets `host` to the part
// before the first "/", and `port` only when that part names one after a ":"
// (an empty, non-numeric or zero port gives 80). Returns the path from the
// first "/" on, query and all, or "/" when there is none.
std::string SplitUrl(std::string_view url, std::string& host, int& port);

}  // namespace gleanwork
