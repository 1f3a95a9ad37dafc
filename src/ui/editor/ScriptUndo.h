#pragma once

#include <optional>
#include <string>
#include <vector>

namespace gleanwork {

// Undo and redo for the script list: each change records the script as it
// was before it.
class ScriptUndo {
public:
    using Script = std::vector<std::string>;

    // Call before a change; forgets what could be redone.
    void Record(const Script& before);
    // The script to go back (or forward) to from `current`, or nothing.
    std::optional<Script> Undo(const Script& current);
    std::optional<Script> Redo(const Script& current);

private:
    std::vector<Script> undo_;
    std::vector<Script> redo_;
};

}  // namespace gleanwork
