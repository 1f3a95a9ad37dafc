#include "ui/editor/ScriptUndo.h"

#include <utility>

namespace gleanwork {

namespace {

std::optional<ScriptUndo::Script> MoveBetween(std::vector<ScriptUndo::Script>& from,
                                              std::vector<ScriptUndo::Script>& to,
                                              const ScriptUndo::Script& current) {
    if (from.empty()) {
        return std::nullopt;
    }
    to.push_back(current);
    ScriptUndo::Script script = std::move(from.back());
    from.pop_back();
    return script;
}

}  // namespace

void ScriptUndo::Record(const Script& before) {
    undo_.push_back(before);
    redo_.clear();
}

std::optional<ScriptUndo::Script> ScriptUndo::Undo(const Script& current) {
    return MoveBetween(undo_, redo_, current);
}

std::optional<ScriptUndo::Script> ScriptUndo::Redo(const Script& current) {
    return MoveBetween(redo_, undo_, current);
}

}  // namespace gleanwork
