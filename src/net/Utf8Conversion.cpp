#include "net/Utf8Conversion.h"

#include <iconv.h>

#include <cerrno>

#include "base/OwnedHandle.h"
#include "base/SystemReason.h"

namespace gleanwork {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

using Converter = OwnedHandle<void, iconv_close>;

// Fills `result.text` from `bytes` through `converter`.
void Convert(iconv_t converter, std::string_view bytes, Utf8Conversion& result) {
    // iconv's interface takes the input as char* but never writes to it.
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    std::string& out = result.text;
    std::size_t used = 0;
    out.resize(bytes.size() + kReplacementCharacter.size());
    while (inLeft > 0) {
        char* outAt = out.data() + used;
        std::size_t outLeft = out.size() - used;
        const std::size_t done = ::iconv(converter, &in, &inLeft, &outAt, &outLeft);
        used = static_cast<std::size_t>(outAt - out.data());
        if (done != static_cast<std::size_t>(-1)) {
            break;
        }
        if (errno == E2BIG || outLeft < kReplacementCharacter.size()) {
            out.resize(out.size() * 2);
            continue;
        }
        out.replace(used, kReplacementCharacter.size(), kReplacementCharacter);
        used += kReplacementCharacter.size();
        ++result.replaced;
        const std::size_t skipped = errno == EINVAL ? inLeft : 1;  // EINVAL: cut off at the end
        in += skipped;
        inLeft -= skipped;
    }
    out.resize(used);
}

}  // namespace

Utf8Conversion ConvertToUtf8(std::string_view bytes, std::string_view iconvName) {
    Utf8Conversion result;
    const iconv_t opened = ::iconv_open("UTF-8", std::string(iconvName).c_str());
    if (opened == reinterpret_cast<iconv_t>(-1)) {
        result.reason = SystemReason(errno);
        return result;
    }
    const Converter converter(opened);
    Convert(converter.get(), bytes, result);
    result.converted = true;
    return result;
}

// The C library's converter lets code points past U+10FFFF through, so the
// check is made here, byte by byte as the Unicode standard's table of
// well-formed sequences has it: each longest start of a sequence that cannot
// be completed becomes one U+FFFD.
std::string ValidUtf8(std::string_view bytes) {
    std::string valid;
    valid.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const std::size_t length = lead < 0x80   ? 1
                                   : lead < 0xC2 ? 0
                                   : lead < 0xE0 ? 2
                                   : lead < 0xF0 ? 3
                                   : lead < 0xF5 ? 4
                                                 : 0;
        // The range of the second byte; the others are 0x80 to 0xBF.
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        std::size_t good = 1;
        while (good < length && at + good < bytes.size()) {
            const auto next = static_cast<unsigned char>(bytes[at + good]);
            if (next < (good == 1 ? low : 0x80) || next > (good == 1 ? high : 0xBF)) {
                break;
            }
            ++good;
        }
        valid.append(good == length ? bytes.substr(at, length) : kReplacementCharacter);
        at += good;
    }
    return valid;
}

}  // namespace gleanwork
