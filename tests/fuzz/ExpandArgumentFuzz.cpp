// Arbitrary arguments expanded with arbitrary variables: the variables up to
// the input's first zero byte, one "name=value" per line, the argument after
// it. An expansion that looks no variable up must not depend on them.
#include "FuzzFrame.h"
#include "script/ArgumentExpansion.h"
#include "script/ScriptInterpreter.h"
#include "support/TestScriptRun.h"

namespace gleanwork::fuzz {

FUZZ_TARGET(ExpandArgument) {
    std::string_view argument;
    test::TestScriptRun parts;
    for (const std::string& line : LinesBeforeZero(input, argument)) {
        const std::size_t equals = line.find('=');
        parts.variables[line.substr(0, equals)] =
            equals == std::string::npos ? std::string() : line.substr(equals + 1);
    }
    const std::vector<std::string> noScript;
    const std::string expanded = ScriptInterpreter(parts.For(noScript)).ExpandArgument(argument);

    std::string appended = "kept";
    const bool lookedUp = AppendExpansion(argument, parts.variables, appended);
    FUZZ_CHECK(appended == "kept" + expanded);
    std::string withoutVariables;
    FUZZ_CHECK(AppendExpansion(argument, VariableTable(), withoutVariables) == lookedUp);
    FUZZ_CHECK(lookedUp || withoutVariables == expanded);
    FUZZ_CHECK(argument.find_first_of("{\\") != std::string_view::npos ||
               (!lookedUp && expanded == argument));
}

}  // namespace gleanwork::fuzz
