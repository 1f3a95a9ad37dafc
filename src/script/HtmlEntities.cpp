#include "script/HtmlEntities.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "base/TextScan.h"

namespace gleanwork {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kLastCode = 0x10FFFF;

// The names of the Latin-1 references, for the codes 160 to 255 in order.
constexpr std::array<std::string_view, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

// The other named references, with their code points.
constexpr std::array<std::pair<std::string_view, char32_t>, 44> kOtherNames = {{
    {"quot", 0x22},     {"amp", 0x26},      {"apos", 0x27},     {"lt", 0x3C},
    {"gt", 0x3E},       {"OElig", 0x152},   {"oelig", 0x153},   {"Scaron", 0x160},
    {"scaron", 0x161},  {"Yuml", 0x178},    {"fnof", 0x192},    {"circ", 0x2C6},
    {"tilde", 0x2DC},   {"ensp", 0x2002},   {"emsp", 0x2003},   {"thinsp", 0x2009},
    {"zwnj", 0x200C},   {"zwj", 0x200D},    {"lrm", 0x200E},    {"rlm", 0x200F},
    {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},
    {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E},
    {"dagger", 0x2020}, {"Dagger", 0x2021}, {"bull", 0x2022},   {"hellip", 0x2026},
    {"permil", 0x2030}, {"prime", 0x2032},  {"lsaquo", 0x2039}, {"rsaquo", 0x203A},
    {"euro", 0x20AC},   {"trade", 0x2122},  {"larr", 0x2190},   {"uarr", 0x2191},
    {"rarr", 0x2192},   {"darr", 0x2193},   {"minus", 0x2212},  {"infin", 0x221E},
}};

// What pages written in Windows-1252 mean by the codes 128 to 159 (0 where
// that code page leaves a code unassigned: the code then stands for itself).
constexpr std::array<char16_t, 32> kWindows1252 = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The code point of a named reference, or 0 for an unknown name.
char32_t NamedCode(std::string_view name) {
    const auto latin1 = std::find(kLatin1Names.begin(), kLatin1Names.end(), name);
    if (latin1 != kLatin1Names.end()) {
        return static_cast<char32_t>(0xA0 + (latin1 - kLatin1Names.begin()));
    }
    const auto other = std::find_if(kOtherNames.begin(), kOtherNames.end(),
                                    [name](const auto& entry) { return entry.first == name; });
    return other == kOtherNames.end() ? 0 : other->second;
}

// The character that a numeric reference to `code` stands for.
char32_t NumericCode(std::uint32_t code) {
    if (code == 0 || code > kLastCode || (code >= 0xD800 && code <= 0xDFFF)) {
        return kReplacement;
    }
    if (code >= 0x80 && code <= 0x9F && kWindows1252[code - 0x80] != 0) {
        return kWindows1252[code - 0x80];
    }
    return code;
}

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Decodes the reference that begins at `text[at]` ("&"). Returns the index
// after it, or `at` when no reference begins there.
std::size_t DecodeReference(std::string_view text, std::size_t at, std::string& result) {
    std::size_t next = at + 1;
    if (next < text.size() && text[next] == '#') {
        ++next;
        int base = 10;
        if (next < text.size() && (text[next] == 'x' || text[next] == 'X')) {
            base = 16;
            ++next;
        }
        const std::size_t digits = next;
        std::uint32_t code = 0;
        for (int digit = 0; next < text.size() && (digit = DigitValue(text[next], base)) >= 0;
             ++next) {
            code = std::min<std::uint32_t>(
                code * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit),
                kLastCode + 1);
        }
        if (next == digits) {
            return at;
        }
        AppendUtf8(NumericCode(code), result);
        return next < text.size() && text[next] == ';' ? next + 1 : next;
    }
    const std::size_t nameEnd =
        static_cast<std::size_t>(std::find_if_not(text.begin() + static_cast<std::ptrdiff_t>(next),
                                                  text.end(), IsNameCharacter) -
                                 text.begin());
    if (nameEnd >= text.size() || text[nameEnd] != ';') {
        return at;
    }
    const char32_t code = NamedCode(text.substr(next, nameEnd - next));
    if (code == 0) {
        return at;
    }
    AppendUtf8(code, result);
    return nameEnd + 1;
}

}  // namespace

void AppendUtf8(char32_t code, std::string& result) {
    const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
    if (code < 0x80) {
        result.push_back(byte(code));
    } else if (code < 0x800) {
        result.push_back(byte(0xC0 | (code >> 6)));
        result.push_back(byte(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        result.push_back(byte(0xE0 | (code >> 12)));
        result.push_back(byte(0x80 | ((code >> 6) & 0x3F)));
        result.push_back(byte(0x80 | (code & 0x3F)));
    } else {
        result.push_back(byte(0xF0 | (code >> 18)));
        result.push_back(byte(0x80 | ((code >> 12) & 0x3F)));
        result.push_back(byte(0x80 | ((code >> 6) & 0x3F)));
        result.push_back(byte(0x80 | (code & 0x3F)));
    }
}

void AppendHtmlDecoded(std::string_view text, std::string& result) {
    std::size_t copied = 0;
    for (std::size_t at = text.find('&'); at != std::string_view::npos;
         at = text.find('&', at + 1)) {
        result.append(text.substr(copied, at - copied));
        const std::size_t after = DecodeReference(text, at, result);
        if (after == at) {
            result.push_back('&');
            copied = at + 1;
        } else {
            copied = after;
            at = after - 1;
        }
    }
    result.append(text.substr(copied));
}

}  // namespace gleanwork
