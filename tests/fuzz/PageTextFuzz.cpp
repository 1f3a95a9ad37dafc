// Arbitrary pages read with CHARSET "auto": the Content-Type value up to the
// input's first zero byte, the body after it. Every page converts, to text
// that is UTF-8 through and through; and an empty CHARSET keeps the body.
#include "FuzzFrame.h"
#include "net/PageCharset.h"
#include "net/Utf8Conversion.h"

namespace gleanwork::fuzz {

FUZZ_TARGET(PageText) {
    const std::size_t zero = input.find('\0');
    const std::string_view contentType = input.substr(0, zero);
    const std::string_view body = zero == std::string_view::npos ? "" : input.substr(zero + 1);
    const PageText page = DecodePage(body, contentType, "auto");
    FUZZ_CHECK(page.converted && !page.note.empty());
    const Utf8Conversion again = ConvertToUtf8(page.text, "UTF-8");
    FUZZ_CHECK(again.converted && again.replaced == 0 && again.text == page.text);
    FUZZ_CHECK(DecodePage(body, contentType, "").text == body);
}

}  // namespace gleanwork::fuzz
