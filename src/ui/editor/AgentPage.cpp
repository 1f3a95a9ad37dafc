#include "ui/editor/AgentPage.h"

namespace gleanwork {

AgentPage::AgentPage(const QString& caption, std::span<const PageField> table, QWidget* parent)
    : PropertyPage(caption, parent), fields_(table, this) {}

// The values are taken back from the controls just loaded: a control may
// show a value otherwise than it is held (a list entry for its beginning, a
// flag out of range as 0), and only what the user does is a change.
void AgentPage::LoadPage() {
    fields_.Load(values_);
    if (!firstShown_) {
        firstShown_ = values_;
        fields_.Save(*firstShown_);
    }
}

bool AgentPage::HasChanges() const {
    if (!firstShown_) {
        return false;
    }
    AgentDefinition current = values_;
    fields_.Save(current);
    return !fields_.Same(current, *firstShown_);
}

}  // namespace gleanwork
