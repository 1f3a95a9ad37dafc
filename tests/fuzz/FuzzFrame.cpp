#include "FuzzFrame.h"

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

std::string_view SplitAtZero(std::string_view input, std::string_view& head) {
    const std::size_t zero = input.find('\0');
    head = input.substr(0, zero);
    return zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

}  // namespace gleanwork::fuzz
