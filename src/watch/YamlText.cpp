#include "watch/YamlText.h"

#include <array>
#include <cstdio>

#include "base/TextScan.h"

namespace gleanwork {

namespace {

// The code point of the valid UTF-8 sequence of `length` bytes at `text`.
char32_t CodePoint(std::string_view text, std::size_t length) {
    const auto lead = static_cast<unsigned char>(text[0]);
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t at = 1; at < length; ++at) {
        code = (code << 6) | (static_cast<unsigned char>(text[at]) & 0x3F);
    }
    return code;
}

// True for a code point that a YAML reader may not take as it is.
bool NeedsEscape(char32_t code) {
    return code < 0x20 || code == 0x7F || (code >= 0x80 && code <= 0x9F) || code == 0x2028 ||
           code == 0x2029 || code == 0xFEFF || code == 0xFFFE || code == 0xFFFF;
}

std::string Escape(char32_t code) {
    switch (code) {
        case '\n':
            return "\\n";
        case '\t':
            return "\\t";
        case '\r':
            return "\\r";
        default: {
            std::array<char, 8> text{};
            std::snprintf(text.data(), text.size(), "\\u%04X", static_cast<unsigned>(code));
            return text.data();
        }
    }
}

// Calls `each(code, bytes)` for every character of the UTF-8 `text`.
template <typename Each>
void ForEachCharacter(std::string_view text, Each each) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length =
            static_cast<unsigned char>(text[at]) < 0x80
                ? 1
                : std::max<std::size_t>(Utf8SequenceLength(text.substr(at)), 1);
        each(CodePoint(text.substr(at), length), text.substr(at, length));
        at += length;
    }
}

bool FitsLiteralBlock(std::string_view text) {
    if (!IsUtf8(text) || !text.ends_with('\n') || text.ends_with("\n\n") || text.starts_with(' ')) {
        return false;
    }
    bool fits = true;
    ForEachCharacter(text, [&fits](char32_t code, std::string_view) {
        fits = fits && (code == '\n' || code == '\t' || !NeedsEscape(code));
    });
    return fits;
}

}  // namespace

std::string YamlQuoted(std::string_view text) {
    std::string quoted = "\"";
    ForEachCharacter(text, [&quoted](char32_t code, std::string_view bytes) {
        if (code == '"' || code == '\\') {
            quoted += '\\';
            quoted += bytes;
        } else if (NeedsEscape(code)) {
            quoted += Escape(code);
        } else {
            quoted += bytes;
        }
    });
    return quoted + "\"";
}

std::string YamlBlock(std::string_view text, int indent) {
    if (!FitsLiteralBlock(text)) {
        return YamlQuoted(text);
    }
    const std::string margin(static_cast<std::size_t>(indent) + 2, ' ');
    std::string block = "|";
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        const std::string_view line = text.substr(at, end - at);
        block += "\n" + (line.empty() ? std::string() : margin + std::string(line));
        at = end + 1;
    }
    return block;
}

}  // namespace gleanwork
