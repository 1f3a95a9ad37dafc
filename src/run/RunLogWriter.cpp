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

void RunLogWriter::LogCommand(std::string_view scriptLine) {
    if (log_ == nullptr) {
        return;
    }
    echo_.assign("# ");
    echo_.append(scriptLine);
    log_->LogCommand(echo_);
}

}  // namespace gleanwork
