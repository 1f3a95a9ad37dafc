#include "run/RunLogWriter.h"

#include "base/ErrorLine.h"

namespace gleanwork {

void RunLogWriter::LogLine(std::string_view line) {
    if (log_ != nullptr) {
        log_->LogLine(line);
    }
}

void RunLogWriter::LogTrace(std::string_view prefix, std::string_view text) {
    if (log_ != nullptr) {
        log_->LogTrace(prefix, text);
    }
}

void RunLogWriter::LogCommand(std::string_view line) {
    if (log_ != nullptr) {
        log_->LogCommand(line);
    }
}

void RunLogWriter::LogError(std::string_view reason) {
    std::string line = ErrorLine(reason);
    LogLine(line);
    if (errors_++ == 0) {
        firstError_ = std::move(line);
    }
}

}  // namespace gleanwork
