#include "watch/NotificationLedger.h"

#include <cstdlib>
#include <fstream>
#include <string_view>
#include <vector>

#include "base/TextScan.h"
#include "storage/AtomicFile.h"

namespace gleanwork {

namespace {

// Past this size the ledger is cut down to its newest lines.
constexpr std::size_t kMostLedgerBytes = 64 * 1024;
constexpr std::size_t kLinesKept = 256;

std::string LedgerPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime == nullptr || *runtime == '\0'
               ? std::string()
               : std::string(runtime) + "/gleanwork-notifications";
}

// A name as two hex digits a byte, so that no name can break a line.
std::string HexOf(std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

std::optional<std::string> TextOfHex(std::string_view hex) {
    std::string text;
    for (std::size_t at = 0; at + 1 < hex.size(); at += 2) {
        const int high = DigitValue(hex[at], 16);
        const int low = DigitValue(hex[at + 1], 16);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        text += static_cast<char>(high * 16 + low);
    }
    return hex.size() % 2 == 0 ? std::optional(text) : std::nullopt;
}

std::vector<std::string> LedgerLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(std::move(line));
    }
    return lines;
}

void CutDown(const std::string& path) {
    const std::vector<std::string> lines = LedgerLines(path);
    std::string kept;
    for (std::size_t at = lines.size() > kLinesKept ? lines.size() - kLinesKept : 0;
         at < lines.size(); ++at) {
        kept += lines[at] + '\n';
    }
    WriteFileAtomically(path, kept);
}

}  // namespace

void RememberNotification(std::uint32_t id, const std::string& agent) {
    const std::string path = LedgerPath();
    if (path.empty()) {
        return;
    }
    {
        std::ofstream out(path, std::ios::app);
        out << id << '\t' << HexOf(agent) << '\n';
        if (!out || static_cast<std::size_t>(out.tellp()) <= kMostLedgerBytes) {
            return;
        }
    }
    CutDown(path);
}

std::optional<std::string> AgentOfNotification(std::uint32_t id) {
    const std::string path = LedgerPath();
    if (path.empty()) {
        return std::nullopt;
    }
    const std::string wanted = std::to_string(id) + '\t';
    const std::vector<std::string> lines = LedgerLines(path);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (line->starts_with(wanted)) {
            return TextOfHex(std::string_view(*line).substr(wanted.size()));
        }
    }
    return std::nullopt;
}

}  // namespace gleanwork
