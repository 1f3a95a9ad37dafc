#include "ui/editor/AgentPage.h"

namespace gleanwork {

AgentPage::AgentPage(const QString& caption, std::span<const PageField> table, QWidget* parent)
    : PropertyPage(caption, parent), fields_(table, this) {}

}  // namespace gleanwork
