#include "ui/editor/SourcePreview.h"

namespace gleanwork {

std::string AddCarriageReturns(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::string shown;
    shown.reserve(text.size() + text.size() / 16);
    char previous = '\0';
    for (const char c : text) {
        if (c == '\n' && previous != '\r') {
            shown.push_back('\r');
        }
        shown.push_back(c);
        previous = c;
    }
    return shown;
}

}  // namespace gleanwork
