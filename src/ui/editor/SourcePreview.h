#pragma once

#include <string>
#include <string_view>

namespace gleanwork {

// The text prepared for display: a carriage return is put before every line
// feed that does not directly follow one, including a line feed at the very
// start. The text ends at its first zero byte, as it does for a script.
std::string AddCarriageReturns(std::string_view text);

}  // namespace gleanwork
