#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// Eight lower-case hexadecimal digits of the SHA-256 digest of `name`: a
// short mark that keeps apart names that were cut or changed to fit a
// system's rules.
std::string NameDigest(std::string_view name);

}  // namespace gleanwork
