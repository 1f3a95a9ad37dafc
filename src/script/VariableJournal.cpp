#include "script/VariableJournal.h"

namespace gleanwork {

void VariableJournal::Note(std::string_view name, std::optional<std::string> before) {
    entries_.push_back({std::string(name), std::move(before)});
}

void VariableJournal::Undo(std::size_t position, VariableTable& variables) {
    while (Position() > position && !entries_.empty()) {
        Entry& entry = entries_.back();
        if (entry.before) {
            variables.insert_or_assign(std::move(entry.name), std::move(*entry.before));
        } else {
            variables.erase(entry.name);
        }
        entries_.pop_back();
    }
}

void VariableJournal::Forget(std::size_t position) {
    while (base_ < position && !entries_.empty()) {
        entries_.pop_front();
        ++base_;
    }
}

}  // namespace gleanwork
