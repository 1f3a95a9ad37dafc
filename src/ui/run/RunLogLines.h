#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace gleanwork {

// The lines of one run log, appended by the run's thread and read by the
// window's thread. Every call takes the one lock, so an appended line is
// visible to readers as soon as Append returns. The characters are packed
// into large blocks and indexed, so millions of short lines cost little more
// than their text.
class RunLogLines {
public:
    void Append(std::string_view line);

    std::size_t Count() const;
    // The line at `index`, or its first `mostCharacters`; empty text when
    // there is no such line.
    std::string Line(std::size_t index, std::size_t mostCharacters = std::string::npos) const;
    // The length in characters of the longest line so far.
    std::size_t LongestLength() const;

private:
    // Where a line's text lies. A block is at most 1 MiB unless it holds
    // one longer line alone (at offset 0), so 32 bits hold block and offset.
    struct LineSpan {
        std::uint32_t block;
        std::uint32_t offset;
        std::size_t length;
    };

    mutable std::mutex mutex_;
    std::vector<std::string> blocks_;
    // A deque grows without moving what it holds, so no append ever copies
    // the whole index while it holds the lock.
    std::deque<LineSpan> spans_;
    std::size_t longest_ = 0;
};

}  // namespace gleanwork
