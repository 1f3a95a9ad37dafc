#include "engine/ArgumentExpansion.h"

#include "base/TextScan.h"
#include "engine/ExpansionReader.h"
#include "engine/ValueFilter.h"

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
        const auto found = variables_.find(name);
        if (found != variables_.end()) {
            result_.append(found->second);
        } else if (const std::size_t bar = name.find('|'); bar != std::string_view::npos) {
            AppendFiltered(TrimWhitespace(name.substr(0, bar)), name.substr(bar + 1));
        }
    }

    // A reference with filters: the variable's value (empty when there is no
    // such variable) through the filters; nothing when a filter is unknown.
    void AppendFiltered(std::string_view name, std::string_view filters) {
        const auto found = variables_.find(name);
        std::string value = found == variables_.end() ? std::string() : found->second;
        if (ApplyValueFilters(filters, value)) {
            result_.append(value);
        }
    }

    bool lookedUp() const { return lookedUp_; }

private:
    const VariableTable& variables_;
    std::string& result_;
    bool lookedUp_ = false;
};

}  // namespace

bool AppendExpansion(std::string_view text, const VariableTable& variables, std::string& result) {
    ExpansionResult expansion(variables, result);
    ExpansionReader(text, expansion).Run();
    return expansion.lookedUp();
}

}  // namespace gleanwork
