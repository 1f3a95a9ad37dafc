#include "cli/StreamRunLog.h"

#include <cerrno>

#include "storage/SystemReason.h"

namespace gleanwork {

void StreamRunLog::Write(std::string_view line) {
    if (pending_.size() + line.size() >= kBlock) {
        Flush();
    }
    AppendLogEntry(pending_, line);
    if (!gather_) {
        Flush();
    }
}

bool StreamRunLog::Flush() {
    Put(pending_);
    pending_.clear();
    if (!failed_ && std::fflush(stream_) != 0) {
        ReportFailure(errno);
    }
    return !failed_;
}

void StreamRunLog::Put(std::string_view bytes) {
    if (failed_ || bytes.empty()) {
        return;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size() ||
        std::ferror(stream_)) {
        ReportFailure(errno);
    }
}

void StreamRunLog::ReportFailure(int error) {
    failed_ = true;
    std::fprintf(stderr, "ERROR: Cannot write the run log %s: %s\n", name_.c_str(),
                 SystemReason(error).c_str());
}

}  // namespace gleanwork
