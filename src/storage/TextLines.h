#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// Appends the usable lines of the text file at `path` to `lines`: line ends
// (LF or CR LF) removed, empty lines and lines beginning with ";" dropped,
// every other byte kept. Lines of any length are delivered whole.
// Returns 0 when the file could be read, -1 otherwise (`lines` unchanged).
int ReadTextLines(const std::string& path, std::vector<std::string>& lines);

// Reads the decimal integer at the start of `text`: leading white space, an
// optional sign, then digits up to the first other character. No digits
// gives 0; values beyond the 64-bit range are clamped to it.
std::int64_t ReadDecimal(std::string_view text);

}  // namespace gleanwork
