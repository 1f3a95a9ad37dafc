#pragma once

#include <string>
#include <vector>

namespace gleanwork {

// Appends the usable lines of the text file at `path` to `lines`: line ends
// (LF or CR LF) removed, empty lines and lines beginning with ";" dropped,
// every other byte kept. Lines of any length are delivered whole.
// Returns 0 when the file could be read, -1 otherwise (`lines` unchanged).
// With `lineNumbers`, the number in the file (from 1) of each line appended
// is appended there.
int ReadTextLines(const std::string& path, std::vector<std::string>& lines,
                  std::vector<std::size_t>* lineNumbers = nullptr);

}  // namespace gleanwork
