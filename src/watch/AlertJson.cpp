#include "watch/AlertJson.h"

#include "net/Utf8Conversion.h"

namespace gleanwork {

namespace {

constexpr std::string_view kHexDigits = "0123456789abcdef";

// The JSON escape of the byte `c`, or none when it stands for itself.
std::string_view ShortEscape(char c) {
    switch (c) {
        case '"':
            return "\\\"";
        case '\\':
            return "\\\\";
        case '\b':
            return "\\b";
        case '\f':
            return "\\f";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        case '\t':
            return "\\t";
        default:
            return {};
    }
}

}  // namespace

std::string JsonQuoted(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : ValidUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (const std::string_view escape = ShortEscape(c); !escape.empty()) {
            quoted += escape;
        } else if (byte < 0x20) {
            quoted += "\\u00";
            quoted += kHexDigits[byte >> 4];
            quoted += kHexDigits[byte & 0xF];
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string AlertJson(AlertEvent event, const AlertRun& run) {
    return "{\"agent\":" + JsonQuoted(run.agent) +
           ",\"event\":" + JsonQuoted(AlertEventWord(event)) +
           ",\"outcome\":" + JsonQuoted(run.outcome) + ",\"error\":" + JsonQuoted(run.firstError) +
           ",\"added\":" + std::to_string(run.linesAdded) +
           ",\"removed\":" + std::to_string(run.linesRemoved) +
           ",\"diff\":" + JsonQuoted(run.diff) + "}";
}

}  // namespace gleanwork
