#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "base/OwnedHandle.h"

namespace gleanwork {

// The lines of one run log, appended by the run's thread and read by the
// window's thread. Every call takes the one lock, so an appended line is
// visible to readers as soon as Append returns.
//
// Memory stays bounded however long a run goes: the first `keepFirst` lines
// and the latest `keepLatest` (at most about 64 MiB of them) are kept, each
// up to `mostCharacters`; one row between them says how many were left out.
// The whole log, every line whole, goes to an unnamed temporary file that
// SaveAll copies out.
class RunLogLines {
public:
    RunLogLines(std::size_t keepFirst = 2000, std::size_t keepLatest = 100000,
                std::size_t mostCharacters = 8193);

    void Append(std::string_view line);

    // The rows: the kept lines and, once lines were left out, the row that
    // says so. Never shrinks.
    std::size_t Count() const;
    // The text of row `index`, or its first `mostCharacters`; empty text when
    // there is no such row. Rows after the gap move on as lines are left out.
    std::string Line(std::size_t index, std::size_t mostCharacters = std::string::npos) const;
    // The length in characters of the longest line so far.
    std::size_t LongestLength() const;
    std::uint64_t LeftOut() const;

    // Writes the whole log to `path`, replacing it as a whole. False, with
    // `error` set to the errno value, when it could not be written.
    bool SaveAll(const std::string& path, int& error) const;

private:
    std::string LineAt(std::size_t index) const;

    const std::size_t keepFirst_;
    const std::size_t keepLatest_;
    const std::size_t mostCharacters_;
    mutable std::mutex mutex_;
    std::vector<std::string> first_;
    std::deque<std::string> latest_;
    std::size_t latestBytes_ = 0;
    std::uint64_t leftOut_ = 0;
    std::size_t longest_ = 0;
    FileStream whole_;
    bool wholeFailed_ = false;
};

}  // namespace gleanwork
