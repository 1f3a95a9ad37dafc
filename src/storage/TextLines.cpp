#include "storage/TextLines.h"

#include "storage/FileContent.h"

namespace gleanwork {

namespace {

bool IsUsableLine(std::string_view line) {
    return !line.empty() && line.front() != ';';
}

std::string_view WithoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}

}  // namespace

int ReadTextLines(const std::string& path, std::vector<std::string>& lines,
                  std::vector<std::size_t>* lineNumbers) {
    std::string content;
    if (!AppendFileContent(path, content)) {
        return -1;
    }
    std::string_view rest(content);
    for (std::size_t number = 1; !rest.empty(); ++number) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (end == std::string_view::npos) {
            rest = {};
        } else {
            // Only a CR that pairs with the LF belongs to the line end.
            line = WithoutLineEnd(line);
            rest.remove_prefix(end + 1);
        }
        if (IsUsableLine(line)) {
            lines.emplace_back(line);
            if (lineNumbers != nullptr) {
                lineNumbers->push_back(number);
            }
        }
    }
    return 0;
}

}  // namespace gleanwork
