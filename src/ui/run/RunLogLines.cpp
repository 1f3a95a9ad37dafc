#include "ui/run/RunLogLines.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "storage/OutputFile.h"

namespace gleanwork {

namespace {

constexpr std::size_t kMostLatestBytes = std::size_t{64} << 20;
constexpr std::size_t kCopyBlock = std::size_t{1} << 20;

}  // namespace

RunLogLines::RunLogLines(std::size_t keepFirst, std::size_t keepLatest, std::size_t mostCharacters)
    : keepFirst_(keepFirst),
      keepLatest_(std::max<std::size_t>(keepLatest, 1)),
      mostCharacters_(mostCharacters),
      whole_(std::tmpfile()) {}

void RunLogLines::Append(std::string_view line) {
    const std::lock_guard lock(mutex_);
    if (whole_ && !wholeFailed_) {
        wholeFailed_ = std::fwrite(line.data(), 1, line.size(), whole_.get()) != line.size() ||
                       std::fputc('\n', whole_.get()) == EOF;
    }
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
            return "[... " + std::to_string(leftOut_) +
                   " lines left out here; Save Log keeps every line ...]";
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

bool RunLogLines::SaveAll(const std::string& path, int& error) const {
    const std::lock_guard lock(mutex_);
    if (!whole_ || wholeFailed_ || std::fflush(whole_.get()) != 0) {
        error = EIO;
        return false;
    }
    OutputFile file;
    if (!file.Open(path, false, error)) {
        return false;
    }
    std::rewind(whole_.get());
    std::vector<char> block(kCopyBlock);
    for (std::size_t got = 0;
         (got = std::fread(block.data(), 1, block.size(), whole_.get())) > 0;) {
        if (!file.Write(std::string_view(block.data(), got), error)) {
            std::fseek(whole_.get(), 0, SEEK_END);
            return false;
        }
    }
    const bool readWhole = !std::ferror(whole_.get());
    std::fseek(whole_.get(), 0, SEEK_END);
    if (!readWhole) {
        error = EIO;
        return false;
    }
    return file.Commit(error);
}

}  // namespace gleanwork
