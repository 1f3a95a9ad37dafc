#include "FuzzFrame.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "support/TempFolder.h"

namespace gleanwork::fuzz {

std::vector<FuzzTarget>& AllFuzzTargets() {
    static std::vector<FuzzTarget> targets;
    return targets;
}

void FailCheck(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, condition);
    std::abort();
}

const std::string& ScratchFolder() {
    static const test::TempFolder folder;
    return folder.Path();
}

std::string WriteScratchFile(const std::string& name, std::string_view bytes) {
    const std::string path = ScratchFolder() + "/" + name;
    test::WriteFile(path, std::string(bytes));
    return path;
}

std::vector<std::string> LinesBeforeZero(std::string_view input, std::string_view& rest) {
    const std::size_t zero = std::min(input.find('\0'), input.size());
    rest = input.substr(std::min(zero + 1, input.size()));
    std::vector<std::string> lines;
    for (std::string_view head = input.substr(0, zero); !head.empty();) {
        const std::size_t end = std::min(head.find('\n'), head.size());
        lines.emplace_back(head.substr(0, end));
        head.remove_prefix(std::min(end + 1, head.size()));
    }
    return lines;
}

}  // namespace gleanwork::fuzz
