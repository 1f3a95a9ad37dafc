#include "run/RunLogWriter.h"

namespace gleanwork {

void RunLogWriter::LogLine(std::string_view line) {
    if (line.starts_with("ERROR: ")) {
        errorLogged_ = true;
    }
    if (log_ != nullptr) {
        log_->LogLine(line);
    }
}

void RunLogWriter::LogCommand(std::string_view line) {
    if (log_ != nullptr) {
        log_->LogCommand(line);
    }
}

}  // namespace gleanwork
