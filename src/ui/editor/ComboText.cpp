#include "ui/editor/ComboText.h"

#include <QComboBox>
#include <QLineEdit>
#include <limits>

namespace gleanwork {

QComboBox* MakeEditableCombo(QWidget* parent, const char* objectName) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QLatin1String(objectName));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    box->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

int FirstEntryStartingWith(const QComboBox& box, const QString& text) {
    for (int index = 0; index < box.count(); ++index) {
        if (box.itemText(index).startsWith(text, Qt::CaseInsensitive)) {
            return index;
        }
    }
    return -1;
}

void LoadComboText(QComboBox& box, const QString& text) {
    const int index = FirstEntryStartingWith(box, text);
    if (index >= 0) {
        box.setCurrentIndex(index);
        box.setEditText(box.itemText(index));
        return;
    }
    box.setCurrentIndex(-1);
    box.setEditText(text);
}

}  // namespace gleanwork
