#include "run/RunLogWriter.h"

#include "base/ErrorLine.h"

namespace gleanwork {

namespace {

// Written lines are cleared from the front of the held ones once there are
// this many, and they are half of all.
constexpr std::size_t kWrittenBeforeClearing = 4096;

}  // namespace

void RunLogWriter::LogLine(std::string_view line) {
    Take(line, Kind::kLine);
}

void RunLogWriter::LogCommand(std::string_view line) {
    Take(line, Kind::kCommand);
}

// A trace line goes on in its two parts, unless it is held.
void RunLogWriter::LogTrace(std::string_view prefix, std::string_view text) {
    if (holding_) {
        heldText_.append(prefix);
        return Take(text, Kind::kLine);
    }
    ++base_;
    if (log_ != nullptr) {
        log_->LogTrace(prefix, text);
    }
}

void RunLogWriter::LogError(std::string_view reason) {
    Take(ErrorLine(reason), Kind::kError);
}

void RunLogWriter::Take(std::string_view line, Kind kind) {
    if (!holding_) {
        ++base_;
        Write(line, kind);
        return;
    }
    heldText_.append(line);
    held_.push_back({heldText_.size(), kind});
}

void RunLogWriter::Write(std::string_view line, Kind kind) {
    if (kind == Kind::kError && errors_++ == 0) {
        firstError_ = line;
    }
    if (log_ == nullptr) {
        return;
    }
    if (kind == Kind::kCommand) {
        log_->LogCommand(line);
    } else {
        log_->LogLine(line);
    }
}

void RunLogWriter::DropFrom(std::uint64_t position) {
    const std::size_t kept = position - base_;
    if (kept < held_.size()) {
        held_.resize(kept);
        heldText_.resize(held_.empty() ? 0 : held_.back().end);
    }
}

void RunLogWriter::WriteBefore(std::uint64_t position) {
    std::size_t begin = firstHeld_ == 0 ? 0 : held_[firstHeld_ - 1].end;
    for (; firstHeld_ < held_.size() && base_ + firstHeld_ < position; ++firstHeld_) {
        const HeldLine& line = held_[firstHeld_];
        Write(std::string_view(heldText_).substr(begin, line.end - begin), line.kind);
        begin = line.end;
    }
    if (firstHeld_ == held_.size() ||
        (firstHeld_ >= kWrittenBeforeClearing && firstHeld_ * 2 >= held_.size())) {
        heldText_.erase(0, begin);
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(firstHeld_));
        for (HeldLine& line : held_) {
            line.end -= begin;
        }
        base_ += firstHeld_;
        firstHeld_ = 0;
    }
}

void RunLogWriter::WriteAll() {
    WriteBefore(Position());
    holding_ = false;
}

}  // namespace gleanwork
