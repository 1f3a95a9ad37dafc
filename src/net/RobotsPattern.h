#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// A path of a robots.txt rule, or a request's path and query, in the one
// form that both are compared in: a percent-escape of a letter, digit or
// "-._~" decoded, every other escape with upper-case digits, and bytes
// outside printable ASCII (spaces, controls, UTF-8) percent-encoded.
std::string NormalizeRobotsPath(std::string_view path);

// Whether the rule path `pattern` matches the start of `path` (both
// normalized): "*" stands for any run of bytes, and a "$" that ends the
// pattern makes it match only the whole path.
bool RobotsPatternMatches(std::string_view pattern, std::string_view path);

}  // namespace gleanwork
