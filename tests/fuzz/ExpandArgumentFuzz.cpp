// Arbitrary arguments expanded with arbitrary variables. The input holds the
// variables up to its first zero byte, one "name=value" per line, and the
// argument after it. The interpreter keeps the expansion of an argument that
// looks no variable up, so such an expansion must not depend on the
// variables at all.
#include <string>

#include "FuzzCheck.h"
#include "FuzzTargets.h"
#include "engine/ArgumentExpansion.h"
#include "engine/ScriptInterpreter.h"
#include "support/ScriptRunParts.h"

namespace gleanwork::fuzz {

namespace {

VariableTable ReadVariables(std::string_view text) {
    VariableTable variables;
    for (const std::string& line : SplitLines(text)) {
        const std::size_t equals = line.find('=');
        variables[line.substr(0, equals)] =
            equals == std::string::npos ? std::string() : line.substr(equals + 1);
    }
    return variables;
}

}  // namespace

void FuzzExpandArgument(std::string_view input) {
    std::string_view definitions;
    const std::string_view argument = SplitAtZero(input, definitions);

    AgentDefinition agent;
    agent.name = "fuzz";
    test::ScriptRunParts parts;
    parts.variables = ReadVariables(definitions);
    const std::string expanded = ScriptInterpreter(parts.For(agent, "")).ExpandArgument(argument);

    std::string appended = "kept";
    const bool lookedUp = AppendExpansion(argument, parts.variables, appended);
    FUZZ_CHECK(appended.starts_with("kept") && appended.substr(4) == expanded);

    std::string withoutVariables;
    FUZZ_CHECK(AppendExpansion(argument, VariableTable(), withoutVariables) == lookedUp);
    if (!lookedUp) {
        FUZZ_CHECK(withoutVariables == expanded);
    }
    if (argument.find_first_of("{\\") == std::string_view::npos) {
        FUZZ_CHECK(!lookedUp && expanded == argument);
    }
}

}  // namespace gleanwork::fuzz
