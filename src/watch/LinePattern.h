#pragma once

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <optional>
#include <string>
#include <string_view>

#include "base/OwnedHandle.h"

namespace gleanwork {

// A Perl-compatible regular expression (the syntax of grep -P and of most
// scripting languages) that tells which lines of an output it matches: a line
// matches when the expression is found anywhere in it. Lines are UTF-8 where
// they are valid UTF-8 and bytes elsewhere; an expression that is no valid
// UTF-8 itself matches bytes. Not for use by two threads at once.
class LinePattern {
public:
    // The expression `expression`, or nothing with `error` saying why it is
    // none (what is wrong, and at which character).
    static std::optional<LinePattern> Compile(const std::string& expression, std::string& error);

    // True when the expression is found in `line`. A line that would take
    // the expression too long to search does not match.
    bool Matches(std::string_view line) const;

private:
    using Code = OwnedHandle<pcre2_code, pcre2_code_free>;
    using MatchData = OwnedHandle<pcre2_match_data, pcre2_match_data_free>;
    using MatchContext = OwnedHandle<pcre2_match_context, pcre2_match_context_free>;

    LinePattern(Code code, MatchData matchData, MatchContext context)
        : code_(std::move(code)), matchData_(std::move(matchData)), context_(std::move(context)) {}

    Code code_;
    MatchData matchData_;
    MatchContext context_;
};

}  // namespace gleanwork
