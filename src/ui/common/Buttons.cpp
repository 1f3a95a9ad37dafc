#include "ui/common/Buttons.h"

#include <QPushButton>

namespace gleanwork {

QPushButton* MakeButton(QWidget* parent, const QString& caption, const char* objectName) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    return button;
}

}  // namespace gleanwork
