#include "script/ValueFilter.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/TextScan.h"
#include "script/HtmlEntities.h"

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
