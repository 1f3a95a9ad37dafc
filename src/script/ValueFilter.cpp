#include "script/ValueFilter.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/TextScan.h"
#include "script/HtmlEntities.h"

namespace gleanwork {

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

// The UTF-8 forms of the white space characters beyond ASCII: next line,
// no-break space, ogham space mark, the spaces U+2000 to U+200A, line and
// paragraph separators, narrow no-break space, medium mathematical space
// and ideographic space.
constexpr std::array<std::string_view, 19> kWideWhitespace = {
    "\xC2\x85",     "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81",
    "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86",
    "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A", "\xE2\x80\xA8",
    "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80",
};

// The length in bytes of the white space character at the front of `text`
// (ASCII, or UTF-8 as above), or 0.
std::size_t WhitespaceLength(std::string_view text) {
    if (IsWhitespace(text.front())) {
        return 1;
    }
    if (static_cast<unsigned char>(text.front()) < 0xC2) {
        return 0;
    }
    for (const std::string_view space : kWideWhitespace) {
        if (text.starts_with(space)) {
            return space.size();
        }
    }
    return 0;
}

// White space is looked for only where a character may begin: UTF-8
// continuation bytes are below 0xC2, so no sequence is found inside another
// character.
void AppendTrimmed(std::string_view text, std::string& result) {
    bool pendingSpace = false;
    bool started = false;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t space = WhitespaceLength(text.substr(at));
        if (space > 0) {
            pendingSpace = started;
            at += space;
            continue;
        }
        if (pendingSpace) {
            result.push_back(' ');
            pendingSpace = false;
        }
        result.push_back(text[at]);
        started = true;
        ++at;
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
