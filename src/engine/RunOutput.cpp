#include "engine/RunOutput.h"

#include <unistd.h>

#include <cerrno>

#include "storage/SystemReason.h"

namespace gleanwork {

namespace {

// Printed text gathers up to this size before it is written.
constexpr std::size_t kBufferSize = std::size_t{64} << 10;

}  // namespace

bool RunOutput::OpenFile(const std::string& path, bool append, int& error) {
    Close(false);
    if (!file_.Open(path, append, error)) {
        return false;
    }
    path_ = path;
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
    if (target_ == Target::Nothing || failed_) {
        return;
    }
    buffer_.append(text);
    if (buffer_.size() >= kBufferSize) {
        Flush();
    }
}

void RunOutput::Flush() {
    if (buffer_.empty() || failed_) {
        buffer_.clear();
        return;
    }
    int error = 0;
    if (target_ == Target::File && !file_.Write(buffer_, error)) {
        ReportFailure("Cannot write " + path_, error);
    } else if (target_ == Target::StandardOutput && !WriteAll(STDOUT_FILENO, buffer_)) {
        ReportFailure("Cannot write to standard output", errno);
    }
    buffer_.clear();
}

void RunOutput::Close(bool keep) {
    Flush();
    if (target_ == Target::File) {
        int error = 0;
        if (!keep || failed_) {
            file_.Discard();
            log_.LogLine("Output file left as it was: " + path_);
        } else if (!file_.Commit(error)) {
            ReportFailure("Cannot put the output file in place: " + path_, error);
        }
    }
    target_ = Target::Nothing;
    failed_ = false;
}

void RunOutput::ReportFailure(std::string_view what, int error) {
    failed_ = true;
    log_.LogLine("ERROR: " + std::string(what) + ": " + SystemReason(error));
}

}  // namespace gleanwork
