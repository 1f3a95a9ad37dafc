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

void AppendLogEntry(std::string& out, std::string_view entry) {
    for (std::size_t plain = entry.find_first_of("\n\r\\"); plain != std::string_view::npos;
         plain = entry.find_first_of("\n\r\\")) {
        out.append(entry.substr(0, plain));
        out.push_back('\\');
        out.push_back(EscapeOf(entry[plain]));
        entry.remove_prefix(plain + 1);
    }
    out.append(entry);
    out.push_back('\n');
}

}  // namespace gleanwork
