#include "script/ArgumentExpansion.h"

#include "base/TextScan.h"
#include "script/ExpansionReader.h"
#include "script/ValueFilter.h"

namespace gleanwork {

namespace {

// Appends plain text as it comes and each reference's value.
class ExpansionResult {
public:
    ExpansionResult(const VariableTable& variables, std::string& result)
        : variables_(variables), result_(result) {}

    void Text(std::string_view text) { result_.append(text); }

    void Reference(std::string_view name) {
        lookedUp_ = true;
        if (const std::string* value = ReferenceValue(name, variables_, filtered_)) {
            result_.append(*value);
        }
    }

    bool lookedUp() const { return lookedUp_; }

private:
    const VariableTable& variables_;
    std::string& result_;
    std::string filtered_;
    bool lookedUp_ = false;
};

}  // namespace

const std::string* ReferenceValue(std::string_view name, const VariableTable& variables,
                                  std::string& filtered) {
    const auto found = variables.find(name);
    if (found != variables.end()) {
        return &found->second;
    }
    const std::size_t bar = name.find('|');
    if (bar == std::string_view::npos) {
        return nullptr;
    }
    const auto filteredVariable = variables.find(TrimWhitespace(name.substr(0, bar)));
    filtered.assign(filteredVariable == variables.end()
                        ? std::string_view()
                        : std::string_view(filteredVariable->second));
    return ApplyValueFilters(name.substr(bar + 1), filtered) ? &filtered : nullptr;
}

bool AppendExpansion(std::string_view text, const VariableTable& variables, std::string& result) {
    ExpansionResult expansion(variables, result);
    ExpansionReader(text, expansion).Run();
    return expansion.lookedUp();
}

}  // namespace gleanwork
