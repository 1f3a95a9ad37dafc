#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "script/VariableTable.h"

namespace gleanwork {

// The values that variables had before they changed, while a run may still
// go back: enough to undo every change made since any position kept.
class VariableJournal {
public:
    // Counts every change noted so far.
    std::size_t Position() const { return base_ + entries_.size(); }

    // Notes that `name` changes from `before` (none: it was not set).
    void Note(std::string_view name, std::optional<std::string> before);

    // Undoes in `variables` the changes noted from `position` on.
    void Undo(std::size_t position, VariableTable& variables);

    // Forgets the changes noted before `position`: no one goes back past it.
    void Forget(std::size_t position);

private:
    struct Entry {
        std::string name;
        std::optional<std::string> before;
    };

    std::deque<Entry> entries_;
    std::size_t base_ = 0;  // the position of entries_.front()
};

}  // namespace gleanwork
