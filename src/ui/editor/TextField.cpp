#include "ui/editor/TextField.h"

#include <QLineEdit>
#include <limits>

#include "ui/common/DisplayText.h"

namespace gleanwork {

QLineEdit* MakeTextField(QWidget* parent, const char* objectName) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(objectName));
    field->setMaxLength(std::numeric_limits<int>::max());
    return field;
}

void LoadTextField(QLineEdit& field, const std::string& value) {
    field.setText(ToDisplayText(value));
}

void SaveTextField(const QLineEdit& field, std::string& value) {
    value = ToStoredText(field.text(), value);
}

}  // namespace gleanwork
