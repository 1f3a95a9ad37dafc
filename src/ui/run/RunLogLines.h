#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/OwnedHandle.h"
#include "script/RunLog.h"
#include "watch/LogKeeper.h"

namespace gleanwork {

class OutputFile;

// The lines of one run log: the run log of a run in a window, written by the
// run's thread and read by the window's thread on its timer. Every call takes
// the one lock, so a line is visible to readers as soon as it is taken.
//
// Memory stays bounded however long a run goes: the first `keepFirst` lines
// and the latest `keepLatest` (at most about 64 MiB of them) are kept, each
// up to `mostCharacters`; one row between them says how many were left out.
//
// The whole log, every line whole, goes to unnamed temporary files that
// SaveAll copies out. They are bounded too: the first `filePartBytes` (64
// MiB) of the log, and its latest lines in two parts of as much that take
// turns, so that at least the latest `filePartBytes` are kept; once lines
// fall between the two, the saved log has a line that says how many.
class RunLogLines : public RunLog {
public:
    static constexpr std::size_t kFilePartBytes = std::size_t{64} << 20;

    RunLogLines(std::size_t keepFirst = 2000, std::size_t keepLatest = 100000,
                std::size_t mostCharacters = 8193, std::size_t filePartBytes = kFilePartBytes);

    // A line break inside an entry starts a new row, so that every line of
    // the entry shows.
    void LogLine(std::string_view line) override;
    void LogCommand(std::string_view line) override { Append(line); }
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
    // The rows kept before the gap, and at most the last `mostLatest` after
    // it, with the number of lines left out between them.
    LogParts Parts(std::size_t mostLatest) const;

    // Writes the log to `path`, replacing it as a whole: every line, or, for
    // a log past the files' bound, its first and latest lines with a line
    // between them that says how many were left out. Returns that number (0
    // when every line was written), or nothing, with `error` set to the
    // errno value, when the file could not be written.
    std::optional<std::uint64_t> SaveAll(const std::string& path, int& error) const;

private:
    // One temporary file of the whole log and the lines it holds.
    struct FilePart {
        FileStream file;
        std::uint64_t bytes = 0;
        std::uint64_t lines = 0;

        bool Write(std::string_view line);
        bool CopyTo(OutputFile& to, int& error) const;
        bool Empty();
    };

    std::string LineAt(std::size_t index) const;
    void WriteWhole(std::string_view line);

    const std::size_t keepFirst_;
    const std::size_t keepLatest_;
    const std::size_t mostCharacters_;
    const std::size_t filePartBytes_;
    mutable std::mutex mutex_;
    std::vector<std::string> first_;
    std::deque<std::string> latest_;
    std::size_t latestBytes_ = 0;
    std::uint64_t leftOut_ = 0;
    std::size_t longest_ = 0;
    FilePart fileFirst_;
    std::array<FilePart, 2> fileLatest_;
    std::size_t fileCurrent_ = 0;  // the part of fileLatest_ being written
    std::uint64_t fileLeftOut_ = 0;
    bool wholeFailed_ = false;
};

}  // namespace gleanwork
