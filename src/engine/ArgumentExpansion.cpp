#include "engine/ArgumentExpansion.h"

#include "engine/ExpansionReader.h"

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
