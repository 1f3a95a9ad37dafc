#include "cli/LogEntryText.h"

namespace gleanwork {

namespace {

// The escape that stands for `c`, or 0 when `c` stands for itself.
char EscapeOf(char c) {
    switch (c) {
        case '\n':
            return 'n';
        case '\r':
            return 'r';
        case '\\':
            return '\\';
        default:
            return 0;
    }
}

}  // namespace

// Plain runs between escapes are appended whole; the scan is one pass over
// the bytes, since a run can log hundreds of megabytes.
void AppendLogEntry(std::string& out, std::string_view entry) {
    std::size_t plain = 0;
    for (std::size_t at = 0; at < entry.size(); ++at) {
        const char escape = EscapeOf(entry[at]);
        if (escape != 0) {
            out.append(entry.substr(plain, at - plain));
            out.push_back('\\');
            out.push_back(escape);
            plain = at + 1;
        }
    }
    out.append(entry.substr(plain));
    out.push_back('\n');
}

}  // namespace gleanwork
