#include "watch/UnitName.h"

#include "watch/NameDigest.h"

namespace gleanwork {

namespace {

constexpr std::string_view kUnitPrefix = "gleanwork-";
// systemd takes unit names of up to 255 bytes.
constexpr std::size_t kLongestUnitName = 255;
constexpr std::string_view kHexDigits = "0123456789abcdef";

bool KeepsItsByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ':' ||
           c == '_' || c == '.';
}

void AppendEscapedByte(char c, std::string& escaped) {
    const auto byte = static_cast<unsigned char>(c);
    escaped += "\\x";
    escaped += kHexDigits[byte >> 4];
    escaped += kHexDigits[byte & 0x0F];
}

}  // namespace

std::string SystemdEscape(std::string_view text) {
    std::string escaped;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '/') {
            escaped += '-';
        } else if (KeepsItsByte(c) && !(at == 0 && c == '.')) {
            escaped += c;
        } else {
            AppendEscapedByte(c, escaped);
        }
    }
    return escaped;
}

std::string AgentUnitName(std::string_view agentName, std::string_view kind) {
    std::string escaped = SystemdEscape(agentName);
    const std::size_t room = kLongestUnitName - kUnitPrefix.size() - kind.size() - 1;
    if (escaped.size() > room) {
        const std::string digest = "_" + NameDigest(agentName);
        escaped.resize(room - digest.size());
        // Never end inside an escape: "\x", "\xN".
        const std::size_t slash = escaped.rfind('\\');
        if (slash != std::string::npos && slash + 4 > escaped.size()) {
            escaped.resize(slash);
        }
        escaped += digest;
    }
    return std::string(kUnitPrefix) + escaped + "." + std::string(kind);
}

}  // namespace gleanwork
