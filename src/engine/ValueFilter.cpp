#include "engine/ValueFilter.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/TextScan.h"
#include "engine/HtmlEntities.h"

namespace gleanwork {

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

void AppendTrimmed(std::string_view text, std::string& result) {
    bool pendingSpace = false;
    for (const char c : TrimWhitespace(text)) {
        if (IsWhitespace(c)) {
            pendingSpace = true;
            continue;
        }
        if (pendingSpace) {
            result.push_back(' ');
            pendingSpace = false;
        }
        result.push_back(c);
    }
}

void AppendCsvField(std::string_view text, std::string& result) {
    const bool quoted = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                        (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quoted) {
        result.append(text);
        return;
    }
    result.push_back('"');
    for (const char c : text) {
        if (c == '"') {
            result.push_back('"');
        }
        result.push_back(c);
    }
    result.push_back('"');
}

// Two upper-case hexadecimal digits.
void AppendHexByte(unsigned char byte, std::string& result) {
    result.push_back(kHexDigits[byte >> 4]);
    result.push_back(kHexDigits[byte & 0x0F]);
}

void AppendEscapedByte(unsigned char byte, std::string& result) {
    result.append("\\u00");
    AppendHexByte(byte, result);
}

// The length of the valid UTF-8 sequence of more than one byte at the front
// of `text`, or 0.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        least = 0x10000;
    }
    if (length == 0 || text.size() < length) {
        return 0;
    }
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    const bool valid = code >= least && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    return valid ? length : 0;
}

void AppendJsonString(std::string_view text, std::string& result) {
    result.push_back('"');
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            const std::size_t length = Utf8SequenceLength(text.substr(at));
            if (length == 0) {
                AppendUtf8(byte, result);
                ++at;
            } else {
                result.append(text.substr(at, length));
                at += length;
            }
            continue;
        }
        ++at;
        if (c == '"' || c == '\\') {
            result.push_back('\\');
            result.push_back(c);
        } else if (c == '\n') {
            result.append("\\n");
        } else if (c == '\r') {
            result.append("\\r");
        } else if (c == '\t') {
            result.append("\\t");
        } else if (byte < 0x20 || byte == 0x7F) {
            AppendEscapedByte(byte, result);
        } else {
            result.push_back(c);
        }
    }
    result.push_back('"');
}

void AppendUrlEncoded(std::string_view text, std::string& result) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 || c == '-' || c == '.' || c == '_' || c == '~') {
            result.push_back(c);
        } else {
            result.push_back('%');
            AppendHexByte(byte, result);
        }
    }
}

using FilterFunction = void (*)(std::string_view, std::string&);

struct NamedFilter {
    std::string_view name;
    FilterFunction apply;
};

constexpr std::array<NamedFilter, 5> kFilters = {{
    {"html", AppendHtmlDecoded},
    {"trim", AppendTrimmed},
    {"csv", AppendCsvField},
    {"json", AppendJsonString},
    {"url", AppendUrlEncoded},
}};

FilterFunction FindFilter(std::string_view name) {
    const auto found = std::find_if(kFilters.begin(), kFilters.end(), [name](const auto& filter) {
        return std::equal(
            name.begin(), name.end(), filter.name.begin(), filter.name.end(),
            [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    });
    return found == kFilters.end() ? nullptr : found->apply;
}

}  // namespace

std::vector<std::string_view> ValueFilterNames() {
    std::vector<std::string_view> names;
    for (const NamedFilter& filter : kFilters) {
        names.push_back(filter.name);
    }
    return names;
}

bool ApplyValueFilters(std::string_view filters, std::string& value) {
    std::string filtered;
    for (;;) {
        const std::size_t bar = filters.find('|');
        const FilterFunction apply = FindFilter(TrimWhitespace(filters.substr(0, bar)));
        if (apply == nullptr) {
            return false;
        }
        filtered.clear();
        apply(value, filtered);
        value.swap(filtered);
        if (bar == std::string_view::npos) {
            return true;
        }
        filters.remove_prefix(bar + 1);
    }
}

}  // namespace gleanwork
