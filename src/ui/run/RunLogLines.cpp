#include "ui/run/RunLogLines.h"

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "storage/OutputFile.h"

namespace gleanwork {

namespace {

constexpr std::size_t kMostLatestBytes = std::size_t{64} << 20;
constexpr std::size_t kCopyBlock = std::size_t{1} << 20;

}  // namespace

// The two counts are updated on either side of the writes: updated
// together, the compiler makes one 16-byte load and store of them, which
// halved the window's lines per second (bench/runlog).
bool RunLogLines::FilePart::Write(std::string_view line) {
    if (!file) {
        file.reset(std::tmpfile());
    }
    bytes += line.size() + 1;
    const bool written = file &&
                         std::fwrite(line.data(), 1, line.size(), file.get()) == line.size() &&
                         std::fputc('\n', file.get()) != EOF;
    ++lines;
    return written;
}

// Appends the part to `to`, and leaves the part ready for more lines.
bool RunLogLines::FilePart::CopyTo(OutputFile& to, int& error) const {
    if (!file) {
        return true;
    }
    if (std::fflush(file.get()) != 0) {
        error = EIO;
        return false;
    }
    std::rewind(file.get());
    std::vector<char> block(kCopyBlock);
    bool written = true;
    for (std::size_t got = 0;
         written && (got = std::fread(block.data(), 1, block.size(), file.get())) > 0;) {
        written = to.Write(std::string_view(block.data(), got), error);
    }
    const bool readWhole = !std::ferror(file.get());
    std::fseek(file.get(), 0, SEEK_END);
    if (written && !readWhole) {
        error = EIO;
    }
    return written && readWhole;
}

bool RunLogLines::FilePart::Empty() {
    bytes = 0;
    lines = 0;
    return !file || (std::fflush(file.get()) == 0 && ::ftruncate(::fileno(file.get()), 0) == 0 &&
                     std::fseek(file.get(), 0, SEEK_SET) == 0);
}

RunLogLines::RunLogLines(std::size_t keepFirst, std::size_t keepLatest, std::size_t mostCharacters,
                         std::size_t filePartBytes)
    : keepFirst_(keepFirst),
      keepLatest_(std::max<std::size_t>(keepLatest, 1)),
      mostCharacters_(mostCharacters),
      filePartBytes_(filePartBytes) {}

// The first part takes lines until it holds filePartBytes_; then the latest
// parts take turns, the one that starts again giving up its lines.
void RunLogLines::WriteWhole(std::string_view line) {
    if (wholeFailed_) {
        return;
    }
    FilePart* part = &fileFirst_;
    if (fileFirst_.bytes >= filePartBytes_) {
        if (fileLatest_[fileCurrent_].bytes >= filePartBytes_) {
            fileCurrent_ = 1 - fileCurrent_;
            fileLeftOut_ += fileLatest_[fileCurrent_].lines;
            wholeFailed_ = !fileLatest_[fileCurrent_].Empty();
        }
        part = &fileLatest_[fileCurrent_];
    }
    wholeFailed_ = wholeFailed_ || !part->Write(line);
}

void RunLogLines::LogLine(std::string_view line) {
    for (std::size_t lineEnd = line.find('\n'); lineEnd != std::string_view::npos;
         lineEnd = line.find('\n')) {
        Append(line.substr(0, lineEnd));
        line.remove_prefix(lineEnd + 1);
    }
    Append(line);
}

void RunLogLines::Append(std::string_view line) {
    const std::lock_guard lock(mutex_);
    WriteWhole(line);
    longest_ = std::max(longest_, line.size());
    std::string kept(line.substr(0, mostCharacters_));
    if (first_.size() < keepFirst_) {
        first_.push_back(std::move(kept));
        return;
    }
    latestBytes_ += kept.size();
    latest_.push_back(std::move(kept));
    while (latest_.size() > 1 &&
           (latest_.size() > keepLatest_ || latestBytes_ > kMostLatestBytes)) {
        latestBytes_ -= latest_.front().size();
        latest_.pop_front();
        ++leftOut_;
    }
}

std::size_t RunLogLines::Count() const {
    const std::lock_guard lock(mutex_);
    return first_.size() + (leftOut_ > 0 ? 1 : 0) + latest_.size();
}

std::string RunLogLines::Line(std::size_t index, std::size_t mostCharacters) const {
    const std::lock_guard lock(mutex_);
    std::string line = LineAt(index);
    if (line.size() > mostCharacters) {
        line.resize(mostCharacters);
    }
    return line;
}

std::string RunLogLines::LineAt(std::size_t index) const {
    if (index < first_.size()) {
        return first_[index];
    }
    index -= first_.size();
    if (leftOut_ > 0) {
        if (index == 0) {
            const std::string kept =
                fileLeftOut_ == 0 ? "every line"
                                  : "all but " + std::to_string(fileLeftOut_) + " lines of the log";
            return "[... " + std::to_string(leftOut_) + " lines left out here; Save Log keeps " +
                   kept + " ...]";
        }
        --index;
    }
    return index < latest_.size() ? latest_[index] : std::string();
}

std::size_t RunLogLines::LongestLength() const {
    const std::lock_guard lock(mutex_);
    return longest_;
}

std::uint64_t RunLogLines::LeftOut() const {
    const std::lock_guard lock(mutex_);
    return leftOut_;
}

LogParts RunLogLines::Parts(std::size_t mostLatest) const {
    const std::lock_guard lock(mutex_);
    const std::size_t skipped = latest_.size() - std::min(latest_.size(), mostLatest);
    return {first_, leftOut_ + skipped, {latest_.begin() + skipped, latest_.end()}};
}

std::optional<std::uint64_t> RunLogLines::SaveAll(const std::string& path, int& error) const {
    const std::lock_guard lock(mutex_);
    if (wholeFailed_) {
        error = EIO;
        return std::nullopt;
    }
    OutputFile file;
    if (!file.Open(path, false, error) || !fileFirst_.CopyTo(file, error)) {
        return std::nullopt;
    }
    if (fileLeftOut_ > 0 &&
        !file.Write("[... " + std::to_string(fileLeftOut_) + " lines left out here ...]\n",
                    error)) {
        return std::nullopt;
    }
    const FilePart& older = fileLatest_[1 - fileCurrent_];
    if (!older.CopyTo(file, error) || !fileLatest_[fileCurrent_].CopyTo(file, error) ||
        !file.Commit(error)) {
        return std::nullopt;
    }
    return fileLeftOut_;
}

}  // namespace gleanwork
