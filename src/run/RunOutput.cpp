#include "run/RunOutput.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "base/SystemReason.h"

namespace gleanwork {

namespace {

// Printed text gathers up to this size before its whole lines are written.
constexpr std::size_t kBufferSize = std::size_t{64} << 10;
// A line that grows past this size is written in pieces.
constexpr std::size_t kLongestWholeLine = std::size_t{16} << 20;

}  // namespace

bool RunOutput::OpenFile(const std::string& path, bool append, int& error) {
    Close(false);
    if (!file_.Open(path, append, error)) {
        return false;
    }
    path_ = path;
    append_ = append;
    target_ = Target::File;
    return true;
}

void RunOutput::UseStandardOutput() {
    Close(false);
    target_ = Target::StandardOutput;
}

void RunOutput::UseNothing() {
    Close(false);
}

void RunOutput::Write(std::string_view text) {
    if (text.empty()) {
        return;
    }
    lineEnds_ += static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
    openLine_ = text.back() != '\n';
    if (target_ == Target::Nothing || failed_) {
        return;
    }
    if (buffer_.size() + text.size() >= kLongestWholeLine) {
        // A text this long goes out from where it is, its whole lines or a
        // piece of one line, rather than through a copy in the buffer.
        const std::size_t lineEnd = text.rfind('\n');
        const std::size_t direct = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
        WriteOut(buffer_.size());
        WriteBytes(text.substr(0, direct));
        text.remove_prefix(direct);
    }
    buffer_.append(text);
    if (buffer_.size() < kBufferSize) {
        return;
    }
    if (const std::size_t lineEnd = text.rfind('\n'); lineEnd != std::string_view::npos) {
        WriteOut(buffer_.size() - text.size() + lineEnd + 1);
    } else if (buffer_.size() >= kLongestWholeLine) {
        WriteOut(buffer_.size());
    }
}

void RunOutput::WriteOut(std::size_t size) {
    WriteBytes(std::string_view(buffer_.data(), size));
    buffer_.erase(0, failed_ ? buffer_.size() : size);
}

void RunOutput::WriteBytes(std::string_view bytes) {
    if (bytes.empty() || failed_) {
        return;
    }
    int error = 0;
    if (target_ == Target::File && !file_.Write(bytes, error)) {
        ReportFailure("Cannot write " + path_, error);
    } else if (target_ == Target::StandardOutput && !WriteAll(STDOUT_FILENO, bytes)) {
        ReportFailure("Cannot write to standard output", errno);
    }
}

OutputFate RunOutput::Close(bool keep) {
    WriteOut(buffer_.size());
    OutputFate fate =
        target_ == Target::StandardOutput ? OutputFate::kStandardOutput : OutputFate::kNone;
    if (target_ == Target::File) {
        fate = CloseFile(keep);
    }
    target_ = Target::Nothing;
    failed_ = false;
    return fate;
}

OutputFate RunOutput::CloseFile(bool keep) {
    const OutputFate written = append_ ? OutputFate::kAppended : OutputFate::kReplaced;
    outputStart_ = static_cast<std::uint64_t>(file_.AppendStart());
    if (!keep || failed_) {
        const bool asBefore = file_.Discard();
        log_.LogLine((asBefore ? "Output file left as it was: "
                               : "Output file keeps this run's lines, as other runs "
                                 "appended after them: ") +
                     path_);
        return asBefore ? OutputFate::kLeftAsItWas : written;
    }
    int error = 0;
    if (!file_.Commit(error)) {
        ReportFailure("Cannot put the output file in place: " + path_, error);
        return append_ ? written : OutputFate::kLeftAsItWas;
    }
    return written;
}

void RunOutput::ReportFailure(std::string_view what, int error) {
    failed_ = true;
    control_.EndRun(std::string(what) + ": " + SystemReason(error));
}

}  // namespace gleanwork
