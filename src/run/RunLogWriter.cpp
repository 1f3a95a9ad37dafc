#include "run/RunLogWriter.h"

#include <algorithm>

namespace gleanwork {

namespace {

constexpr std::string_view kError = "ERROR: ";

// Whether the line that `prefix` and `text` make begins with "ERROR: ".
bool IsErrorLine(std::string_view prefix, std::string_view text) {
    const std::size_t inPrefix = std::min(prefix.size(), kError.size());
    return prefix.starts_with(kError.substr(0, inPrefix)) &&
           text.starts_with(kError.substr(inPrefix));
}

}  // namespace

void RunLogWriter::LogLine(std::string_view line) {
    errorLogged_ = errorLogged_ || line.starts_with(kError);
    if (log_ != nullptr) {
        log_->LogLine(line);
    }
}

void RunLogWriter::LogTrace(std::string_view prefix, std::string_view text) {
    errorLogged_ = errorLogged_ || IsErrorLine(prefix, text);
    if (log_ != nullptr) {
        log_->LogTrace(prefix, text);
    }
}

void RunLogWriter::LogCommand(std::string_view line) {
    if (log_ != nullptr) {
        log_->LogCommand(line);
    }
}

}  // namespace gleanwork
