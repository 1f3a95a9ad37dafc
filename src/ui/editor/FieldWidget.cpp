#include "ui/editor/FieldWidget.h"

namespace gleanwork {

void FieldWidget::Load(const std::string& stored) {
    loaded_ = stored;
    Show(stored);
    shownLoaded_ = Current();
}

std::string FieldWidget::Saved() const {
    std::string now = Current();
    return now == shownLoaded_ ? loaded_ : now;
}

}  // namespace gleanwork
