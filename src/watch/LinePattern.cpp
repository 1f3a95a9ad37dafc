#include "watch/LinePattern.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace gleanwork {

namespace {

// How much work one line may cost the expression (PCRE2's own unit): enough
// for any sensible expression, little enough that an expression that
// backtracks without end costs milliseconds per line, not minutes.
constexpr std::uint32_t kMatchLimit = 100000;

std::string ErrorText(int code) {
    std::array<PCRE2_UCHAR, 256> text{};
    const int length = pcre2_get_error_message(code, text.data(), text.size());
    return length < 0 ? "error " + std::to_string(code)
                      : std::string(reinterpret_cast<const char*>(text.data()),
                                    static_cast<std::size_t>(length));
}

bool IsUtfError(int code) {
    return code >= PCRE2_ERROR_UTF8_ERR21 && code <= PCRE2_ERROR_UTF8_ERR1;
}

}  // namespace

std::optional<LinePattern> LinePattern::Compile(const std::string& expression, std::string& error) {
    const auto* pattern = reinterpret_cast<PCRE2_SPTR>(expression.data());
    int code = 0;
    PCRE2_SIZE offset = 0;
    Code compiled(pcre2_compile(pattern, expression.size(), PCRE2_UTF | PCRE2_MATCH_INVALID_UTF,
                                &code, &offset, nullptr));
    if (!compiled && IsUtfError(code)) {
        compiled.reset(pcre2_compile(pattern, expression.size(), 0, &code, &offset, nullptr));
    }
    if (!compiled) {
        // PCRE2 gives how far it read: the character it stopped at, from 1.
        error =
            ErrorText(code) + " at character " + std::to_string(std::max<PCRE2_SIZE>(offset, 1));
        return std::nullopt;
    }
    pcre2_jit_compile(compiled.get(), PCRE2_JIT_COMPLETE);  // else it is interpreted
    MatchData matchData(pcre2_match_data_create_from_pattern(compiled.get(), nullptr));
    MatchContext context(pcre2_match_context_create(nullptr));
    if (!matchData || !context) {
        error = "out of memory";
        return std::nullopt;
    }
    pcre2_set_match_limit(context.get(), kMatchLimit);
    return LinePattern(std::move(compiled), std::move(matchData), std::move(context));
}

bool LinePattern::Matches(std::string_view line) const {
    const char* subject = line.empty() ? "" : line.data();
    return pcre2_match(code_.get(), reinterpret_cast<PCRE2_SPTR>(subject), line.size(), 0, 0,
                       matchData_.get(), context_.get()) >= 0;
}

}  // namespace gleanwork
