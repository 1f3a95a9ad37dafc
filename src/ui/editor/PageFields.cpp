#include "ui/editor/PageFields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <algorithm>
#include <cstddef>

#include "ui/common/DisplayText.h"
#include "ui/editor/ComboText.h"
#include "ui/editor/TextField.h"

namespace gleanwork {

namespace {

QWidget* MakeControl(const PageField& row, QWidget* page) {
    switch (row.control) {
        case FieldControl::Text:
            return MakeTextField(page, row.objectName);
        case FieldControl::Password: {
            QLineEdit* field = MakeTextField(page, row.objectName);
            field->setEchoMode(QLineEdit::Password);
            return field;
        }
        case FieldControl::Statement:
            return MakeStatementField(page, row.objectName);
        case FieldControl::Choice: {
            QComboBox* box = MakeEditableCombo(page, row.objectName);
            for (const char* choice : row.choices) {
                box->addItem(QLatin1String(choice));
            }
            return box;
        }
        case FieldControl::Flag: {
            auto* box = new QCheckBox(QLatin1String(row.caption), page);
            box->setObjectName(QLatin1String(row.objectName));
            // The third state shows a stored 2 only until the user decides.
            QObject::connect(box, &QCheckBox::clicked, box, [box] { box->setTristate(false); });
            return box;
        }
        case FieldControl::Switch: {
            auto* box = new QCheckBox(QLatin1String(row.caption), page);
            box->setObjectName(QLatin1String(row.objectName));
            return box;
        }
        case FieldControl::Lines: {
            auto* list = new QListWidget(page);
            list->setObjectName(QLatin1String(row.objectName));
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            return list;
        }
    }
    return nullptr;
}

QLabel* MakeLabel(const PageField& row, QWidget* control, QWidget* page) {
    if (row.control == FieldControl::Flag || row.control == FieldControl::Switch ||
        *row.caption == '\0') {
        return nullptr;
    }
    auto* label = new QLabel(QLatin1String(row.caption), page);
    label->setBuddy(control);
    return label;
}

void LoadFlag(QCheckBox& box, std::int32_t& flag) {
    if (flag < 0 || flag > 2) {
        flag = 0;
    }
    box.setTristate(flag == 2);
    box.setCheckState(flag == 2 ? Qt::PartiallyChecked : flag == 1 ? Qt::Checked : Qt::Unchecked);
}

std::int32_t SavedFlag(const QCheckBox& box) {
    switch (box.checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        case Qt::Unchecked:
            break;
    }
    return 0;
}

void LoadRow(const PageField& row, QWidget& control, AgentDefinition& values) {
    switch (row.control) {
        case FieldControl::Text:
        case FieldControl::Password:
            LoadTextField(static_cast<QLineEdit&>(control),
                          values.*std::get<TextMember>(row.member));
            break;
        case FieldControl::Statement:
            LoadStatementField(static_cast<QPlainTextEdit&>(control),
                               values.*std::get<TextMember>(row.member));
            break;
        case FieldControl::Choice:
            LoadComboText(static_cast<QComboBox&>(control),
                          ToDisplayText(values.*std::get<TextMember>(row.member)));
            break;
        case FieldControl::Flag:
            LoadFlag(static_cast<QCheckBox&>(control), values.*std::get<FlagMember>(row.member));
            break;
        case FieldControl::Switch:
            static_cast<QCheckBox&>(control).setChecked(values.*std::get<TextMember>(row.member) ==
                                                        "1");
            break;
        case FieldControl::Lines:
            break;
    }
}

void SaveRow(const PageField& row, const QWidget& control, AgentDefinition& values) {
    switch (row.control) {
        case FieldControl::Text:
        case FieldControl::Password:
            SaveTextField(static_cast<const QLineEdit&>(control),
                          values.*std::get<TextMember>(row.member));
            break;
        case FieldControl::Statement:
            SaveStatementField(static_cast<const QPlainTextEdit&>(control),
                               values.*std::get<TextMember>(row.member));
            break;
        case FieldControl::Choice: {
            std::string& value = values.*std::get<TextMember>(row.member);
            value = ToStoredText(static_cast<const QComboBox&>(control).currentText(), value);
            break;
        }
        case FieldControl::Flag:
            values.*std::get<FlagMember>(row.member) =
                SavedFlag(static_cast<const QCheckBox&>(control));
            break;
        case FieldControl::Switch: {
            std::string& value = values.*std::get<TextMember>(row.member);
            if (static_cast<const QCheckBox&>(control).isChecked()) {
                value = std::string("1");  // moved in: GCC 12 warns falsely on assigning "1"
            } else if (value == "1") {
                value.clear();
            }
            break;
        }
        case FieldControl::Lines:
            break;
    }
}

}  // namespace

PageFields::PageFields(std::span<const PageField> table, QWidget* page) : table_(table) {
    made_.reserve(table.size());
    for (const PageField& row : table) {
        QWidget* control = MakeControl(row, page);
        made_.push_back({MakeLabel(row, control, page), control});
    }
}

void PageFields::Copy(const AgentDefinition& from, AgentDefinition& to) const {
    for (const PageField& row : table_) {
        std::visit([&from, &to](auto member) { to.*member = from.*member; }, row.member);
    }
}

bool PageFields::Same(const AgentDefinition& a, const AgentDefinition& b) const {
    return std::all_of(table_.begin(), table_.end(), [&a, &b](const PageField& row) {
        return std::visit([&a, &b](auto member) { return a.*member == b.*member; }, row.member);
    });
}

void PageFields::Load(AgentDefinition& values) const {
    for (std::size_t index = 0; index < table_.size(); ++index) {
        LoadRow(table_[index], *made_[index].control, values);
    }
}

void PageFields::Save(AgentDefinition& values) const {
    for (std::size_t index = 0; index < table_.size(); ++index) {
        SaveRow(table_[index], *made_[index].control, values);
    }
}

void PageFields::AddRows(QFormLayout& form, int group) const {
    for (std::size_t index = 0; index < table_.size(); ++index) {
        if (table_[index].group != group) {
            continue;
        }
        const Made& made = made_[index];
        if (table_[index].control == FieldControl::Statement) {
            form.addRow(made.label);  // above its field, which takes the whole width
            form.addRow(made.control);
        } else if (made.label != nullptr) {
            form.addRow(made.label, made.control);
        } else {
            form.addRow(made.control);
        }
    }
}

QWidget* PageFields::ControlOf(const FieldMember& member) const {
    const Made* made = Find(member);
    return made == nullptr ? nullptr : made->control;
}

QLabel* PageFields::LabelOf(const FieldMember& member) const {
    const Made* made = Find(member);
    return made == nullptr ? nullptr : made->label;
}

const PageFields::Made* PageFields::Find(const FieldMember& member) const {
    for (std::size_t index = 0; index < table_.size(); ++index) {
        if (table_[index].member == member) {
            return &made_[index];
        }
    }
    return nullptr;
}

}  // namespace gleanwork
