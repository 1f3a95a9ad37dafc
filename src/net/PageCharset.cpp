#include "net/PageCharset.h"

#include <array>
#include <optional>

#include "base/TextScan.h"
#include "net/MetaCharset.h"
#include "net/Utf8Conversion.h"

namespace gleanwork {

namespace {

struct ByteOrderMark {
    std::string_view bytes;
    std::string_view label;
};

constexpr std::array<ByteOrderMark, 3> kByteOrderMarks = {{
    {"\xEF\xBB\xBF", "utf-8"},
    {"\xFE\xFF", "utf-16be"},
    {"\xFF\xFE", "utf-16le"},
}};

// How the note names where the set came from.
std::string_view SourceName(CharsetSource source) {
    switch (source) {
        case CharsetSource::ByteOrderMark:
            return "byte order mark";
        case CharsetSource::ContentType:
            return "Content-Type header";
        case CharsetSource::Meta:
            return "meta element";
        case CharsetSource::Default:
            return "the default";
        case CharsetSource::Setting:
            return "CHARSET";
    }
    return {};
}

std::optional<PageCharset> ByteOrderMarkCharset(std::string_view body) {
    for (const ByteOrderMark& mark : kByteOrderMarks) {
        if (body.starts_with(mark.bytes)) {
            return PageCharset{*FindCharset(mark.label), CharsetSource::ByteOrderMark,
                               mark.bytes.size()};
        }
    }
    return std::nullopt;
}

PageText KeptAsReceived(std::string_view body, std::string note) {
    return {std::string(body), false, std::move(note) + ": page kept as received."};
}

}  // namespace

PageCharset DetectPageCharset(std::string_view body, std::string_view contentType) {
    if (std::optional<PageCharset> marked = ByteOrderMarkCharset(body)) {
        return *marked;
    }
    if (std::optional<Charset> declared = FindCharset(CharsetParameter(contentType))) {
        return {*declared, CharsetSource::ContentType};
    }
    if (std::optional<Charset> meta = MetaCharset(body)) {
        return {*meta, CharsetSource::Meta};
    }
    return {*FindCharset("windows-1252"), CharsetSource::Default};
}

PageText DecodePage(std::string_view body, std::string_view contentType, std::string_view setting) {
    setting = TrimWhitespace(setting);
    if (setting.empty()) {
        return {std::string(body), false, {}};
    }
    PageCharset page;
    if (LowerCase(setting) == "auto") {
        page = DetectPageCharset(body, contentType);
    } else if (std::optional<PageCharset> marked = ByteOrderMarkCharset(body)) {
        page = *marked;
    } else if (std::optional<Charset> named = FindCharset(setting)) {
        page = {*named, CharsetSource::Setting};
    } else {
        return KeptAsReceived(body, "Character set \"" + std::string(setting) + "\" unknown");
    }
    const std::string from = std::string(page.charset.name);
    Utf8Conversion conversion = ConvertToUtf8(body.substr(page.markLength), page.charset.iconvName);
    if (!conversion.converted) {
        return KeptAsReceived(
            body, "Character set " + from + " cannot be converted (" + conversion.reason + ")");
    }
    std::string note =
        "Page converted to UTF-8 from " + from + " (" + std::string(SourceName(page.source)) + ")";
    if (conversion.replaced > 0) {
        note += "; " + std::to_string(conversion.replaced) +
                (conversion.replaced == 1 ? " byte" : " bytes") +
                " did not convert and became U+FFFD";
    }
    return {std::move(conversion.text), true, note + "."};
}

}  // namespace gleanwork
