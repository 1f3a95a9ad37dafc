#include "base/ErrorLine.h"

namespace gleanwork {

std::string ErrorLine(std::string_view reason) {
    std::string line = "ERROR: ";
    line += reason;
    return line;
}

}  // namespace gleanwork
