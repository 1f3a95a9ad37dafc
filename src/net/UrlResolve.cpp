#include "net/UrlResolve.h"

#include <cctype>
#include <optional>

namespace gleanwork {

namespace {

// The five parts of a URI reference (RFC 3986, appendix B); a part that is
// absent differs from one that is present but empty.
struct UriParts {
    std::optional<std::string_view> scheme;
    std::optional<std::string_view> authority;
    std::string_view path;
    std::optional<std::string_view> query;
    std::optional<std::string_view> fragment;
};

bool IsScheme(std::string_view text) {
    if (text.empty() || std::isalpha(static_cast<unsigned char>(text.front())) == 0) {
        return false;
    }
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0 && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return true;
}

// Takes the text from `marker` on off the end of `text` and returns it
// without the marker; none when `text` holds no marker.
std::optional<std::string_view> TakeTail(std::string_view& text, char marker) {
    const std::size_t at = text.find(marker);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view tail = text.substr(at + 1);
    text = text.substr(0, at);
    return tail;
}

UriParts SplitUri(std::string_view text) {
    UriParts parts;
    parts.fragment = TakeTail(text, '#');
    parts.query = TakeTail(text, '?');
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && IsScheme(text.substr(0, colon))) {
        parts.scheme = text.substr(0, colon);
        text.remove_prefix(colon + 1);
    }
    if (text.starts_with("//")) {
        text.remove_prefix(2);
        const std::size_t slash = text.find('/');
        parts.authority = text.substr(0, slash);
        text.remove_prefix(std::min(slash, text.size()));
    }
    parts.path = text;
    return parts;
}

// Drops the last segment of `output` and the "/" before it.
void DropLastSegment(std::string& output) {
    const std::size_t slash = output.rfind('/');
    output.erase(slash == std::string::npos ? 0 : slash);
}

// Section 5.2.4: resolves the "." and ".." segments of `input`.
std::string RemoveDotSegments(std::string_view input) {
    std::string output;
    while (!input.empty()) {
        if (input.starts_with("../")) {
            input.remove_prefix(3);
        } else if (input.starts_with("./") || input.starts_with("/./")) {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.starts_with("/../") || input == "/..") {
            input = input.size() == 3 ? std::string_view("/") : input.substr(3);
            DropLastSegment(output);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const std::size_t end = std::min(input.find('/', 1), input.size());
            output.append(input.substr(0, end));
            input.remove_prefix(end);
        }
    }
    return output;
}

// Section 5.2.3: a relative path put in the place of the base's last segment.
std::string MergePaths(const UriParts& base, std::string_view path) {
    if (base.authority && base.path.empty()) {
        return std::string("/").append(path);
    }
    const std::size_t slash = base.path.rfind('/');
    const std::string_view directory =
        slash == std::string_view::npos ? std::string_view() : base.path.substr(0, slash + 1);
    return std::string(directory) + std::string(path);
}

std::string Compose(const UriParts& parts, std::string_view path) {
    std::string text;
    if (parts.scheme) {
        text.append(*parts.scheme).append(":");
    }
    if (parts.authority) {
        text.append("//").append(*parts.authority);
    }
    text.append(path);
    if (parts.query) {
        text.append("?").append(*parts.query);
    }
    if (parts.fragment) {
        text.append("#").append(*parts.fragment);
    }
    return text;
}

}  // namespace

std::string ResolveUrl(std::string_view base, std::string_view reference) {
    const UriParts from = SplitUri(base);
    UriParts to = SplitUri(reference);
    if (to.scheme || to.authority) {
        if (!to.scheme) {
            to.scheme = from.scheme;
        }
        return Compose(to, RemoveDotSegments(to.path));
    }
    to.scheme = from.scheme;
    to.authority = from.authority;
    if (to.path.empty()) {
        if (!to.query) {
            to.query = from.query;
        }
        return Compose(to, from.path);
    }
    if (to.path.starts_with('/')) {
        return Compose(to, RemoveDotSegments(to.path));
    }
    return Compose(to, RemoveDotSegments(MergePaths(from, to.path)));
}

}  // namespace gleanwork
