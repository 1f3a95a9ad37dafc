#include "net/MetaCharset.h"

#include <algorithm>
#include <vector>

#include "base/TextScan.h"

namespace gleanwork {

namespace {

// The white space of HTML's byte-level scan.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsAt(std::string_view page, std::size_t at, std::string_view lowerText) {
    return page.size() - at >= lowerText.size() &&
           LowerCase(page.substr(at, lowerText.size())) == lowerText;
}

void SkipSpaces(std::string_view page, std::size_t& at) {
    while (at < page.size() && IsSpace(page[at])) {
        ++at;
    }
}

struct Attribute {
    std::string name;
    std::string value;
};

// The value of an attribute at `at`: quoted, or up to white space or ">".
// False when the page ends first.
bool ReadValue(std::string_view page, std::size_t& at, std::string& value) {
    SkipSpaces(page, at);
    if (at >= page.size()) {
        return false;
    }
    const char quote = page[at];
    if (quote == '"' || quote == '\'') {
        const std::size_t end = page.find(quote, at + 1);
        if (end == std::string_view::npos) {
            return false;
        }
        value = page.substr(at + 1, end - at - 1);
        at = end + 1;
        return true;
    }
    while (at < page.size() && !IsSpace(page[at]) && page[at] != '>') {
        value.push_back(page[at++]);
    }
    return at < page.size();
}

// Reads the attribute of a tag that begins at `at`, leaving `at` after it.
// False when the tag has no more (`at` then stays on its ">") or the page
// ends first.
bool ReadAttribute(std::string_view page, std::size_t& at, Attribute& attribute) {
    attribute = {};
    while (at < page.size() && (IsSpace(page[at]) || page[at] == '/')) {
        ++at;
    }
    if (at >= page.size() || page[at] == '>') {
        return false;
    }
    while (at < page.size() && !IsSpace(page[at]) && page[at] != '/' && page[at] != '>' &&
           (page[at] != '=' || attribute.name.empty())) {
        attribute.name.push_back(Lower(page[at++]));
    }
    SkipSpaces(page, at);
    if (at >= page.size()) {
        return false;
    }
    if (page[at] != '=') {
        return true;  // an attribute without a value
    }
    ++at;
    return ReadValue(page, at, attribute.value);
}

// What the attributes of one meta element declare, browsers' way: a charset
// attribute, or a content attribute's charset when an http-equiv of
// Content-Type comes with it. Each attribute name counts once.
std::optional<Charset> ReadMeta(std::string_view page, std::size_t& at) {
    std::vector<std::string> seen;
    bool pragma = false;
    bool needsPragma = false;
    std::string label;
    Attribute attribute;
    while (ReadAttribute(page, at, attribute)) {
        if (std::find(seen.begin(), seen.end(), attribute.name) != seen.end()) {
            continue;
        }
        seen.push_back(attribute.name);
        if (attribute.name == "http-equiv") {
            pragma = pragma || LowerCase(attribute.value) == "content-type";
        } else if (attribute.name == "content" && label.empty()) {
            label = CharsetParameter(attribute.value);
            needsPragma = !label.empty();
        } else if (attribute.name == "charset") {
            label = attribute.value;
            needsPragma = false;
        }
    }
    std::optional<Charset> charset = FindCharset(label);
    if (!charset || (needsPragma && !pragma)) {
        return std::nullopt;
    }
    if (charset->name.starts_with("utf-16")) {
        return FindCharset("utf-8");
    }
    return charset;
}

// Skips the name and the attributes of a tag other than meta.
void SkipTag(std::string_view page, std::size_t& at) {
    while (at < page.size() && !IsSpace(page[at]) && page[at] != '>') {
        ++at;
    }
    Attribute attribute;
    while (ReadAttribute(page, at, attribute)) {
    }
}

}  // namespace

std::optional<Charset> MetaCharset(std::string_view page) {
    page = page.substr(0, std::min(page.size(), kMetaCharsetWindow));
    for (std::size_t at = 0; at < page.size(); ++at) {
        if (page[at] != '<') {
            continue;
        }
        if (StartsAt(page, at, "<!--")) {
            at = page.find("-->", at + 2);
            if (at == std::string_view::npos) {
                break;
            }
            at += 2;
        } else if (StartsAt(page, at, "<meta") && at + 5 < page.size() &&
                   (IsSpace(page[at + 5]) || page[at + 5] == '/')) {
            at += 5;
            if (std::optional<Charset> charset = ReadMeta(page, at)) {
                return charset;
            }
        } else if (at + 1 < page.size() && IsLetter(page[at + 1])) {
            SkipTag(page, ++at);
        } else if (at + 2 < page.size() && page[at + 1] == '/' && IsLetter(page[at + 2])) {
            SkipTag(page, at += 2);
        } else if (StartsAt(page, at, "<!") || StartsAt(page, at, "</") ||
                   StartsAt(page, at, "<?")) {
            at = std::min(page.find('>', at), page.size());
        }
    }
    return std::nullopt;
}

std::string CharsetParameter(std::string_view contentType) {
    while (!contentType.empty()) {
        const std::size_t semicolon = std::min(contentType.find(';'), contentType.size());
        const std::string_view parameter = contentType.substr(0, semicolon);
        contentType.remove_prefix(std::min(semicolon + 1, contentType.size()));
        const std::size_t equals = parameter.find('=');
        if (equals == std::string_view::npos ||
            LowerCase(TrimWhitespace(parameter.substr(0, equals))) != "charset") {
            continue;
        }
        std::string_view value = TrimWhitespace(parameter.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return std::string(TrimWhitespace(value));
    }
    return {};
}

}  // namespace gleanwork
