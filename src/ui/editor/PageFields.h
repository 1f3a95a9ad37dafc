#pragma once

#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "storage/AgentDefinition.h"

class QFormLayout;
class QLabel;

namespace gleanwork {

// The control that shows an agent field on an editor page, and with it the
// rule by which the field is loaded into the control and saved back.
enum class FieldControl {
    Text,       // single-line text field: the text unchanged
    Password,   // the same with masked characters
    Statement,  // text field of a few lines, full width, wrapping long text:
                // the text unchanged, line breaks included
    Choice,     // editable drop-down list: loading selects the first entry that
                // begins with the text, ignoring case, else shows the text as it is
    Flag,       // check box for a flag 0 or 1; a 2 shows as the box's third
                // state, any other value loads (and stays) as 0
    Switch,     // check box for a text key that is on when it is "1": checking
                // it saves "1", clearing it saves "" in place of "1" and keeps
                // any other value
    Lines,      // list of lines: filled by its page when first shown and changed
                // only by the page's own buttons; load and save leave it alone
};

using TextMember = std::string AgentDefinition::*;
using FlagMember = std::int32_t AgentDefinition::*;
using LinesMember = std::vector<std::string> AgentDefinition::*;
using FieldMember = std::variant<TextMember, FlagMember, LinesMember>;

// One row of a page's table: an agent field, the control that edits it, and
// the group of controls (a frame or a row of the page) it is laid out in.
struct PageField {
    FieldMember member;
    FieldControl control;
    const char* objectName;
    const char* caption;  // the label beside the control; a check box's own text
    int group;
    std::span<const char* const> choices;  // the entries of a Choice, in list order
};

constexpr PageField TextRow(TextMember member, const char* objectName, const char* caption,
                            int group = 0) {
    return {member, FieldControl::Text, objectName, caption, group, {}};
}

constexpr PageField PasswordRow(TextMember member, const char* objectName, const char* caption,
                                int group = 0) {
    return {member, FieldControl::Password, objectName, caption, group, {}};
}

constexpr PageField StatementRow(TextMember member, const char* objectName, const char* caption,
                                 int group = 0) {
    return {member, FieldControl::Statement, objectName, caption, group, {}};
}

constexpr PageField ChoiceRow(TextMember member, const char* objectName, const char* caption,
                              std::span<const char* const> choices, int group = 0) {
    return {member, FieldControl::Choice, objectName, caption, group, choices};
}

constexpr PageField FlagRow(FlagMember member, const char* objectName, const char* caption,
                            int group = 0) {
    return {member, FieldControl::Flag, objectName, caption, group, {}};
}

constexpr PageField SwitchRow(TextMember member, const char* objectName, const char* caption,
                              int group = 0) {
    return {member, FieldControl::Switch, objectName, caption, group, {}};
}

constexpr PageField LinesRow(LinesMember member, const char* objectName, int group = 0) {
    return {member, FieldControl::Lines, objectName, "", group, {}};
}

// The controls of one editor page, made from the page's table, and the moves
// of the table's fields between agents, page values and controls. The page
// values are an AgentDefinition of which only the table's fields are used.
class PageFields {
public:
    // Makes the control of every row, and the label of every row that has
    // one, as children of `page`. `table` must outlive this object.
    PageFields(std::span<const PageField> table, QWidget* page);

    // Copies the table's fields from `from` into `to`; other fields are left.
    void Copy(const AgentDefinition& from, AgentDefinition& to) const;
    // True when `a` and `b` hold the same values in the table's fields.
    bool Same(const AgentDefinition& a, const AgentDefinition& b) const;

    // Shows the page values in the controls.
    void Load(AgentDefinition& values) const;
    // Takes the controls' contents into the page values.
    void Save(AgentDefinition& values) const;

    // Adds the label and control of every row of `group`, in table order.
    void AddRows(QFormLayout& form, int group) const;

    // The control, or the label, of the row for `member`; nullptr for none.
    QWidget* ControlOf(const FieldMember& member) const;
    QLabel* LabelOf(const FieldMember& member) const;

    template <typename Widget>
    Widget* Control(const FieldMember& member) const {
        return qobject_cast<Widget*>(ControlOf(member));
    }

private:
    struct Made {
        QLabel* label;  // nullptr for a row without one
        QWidget* control;
    };

    const Made* Find(const FieldMember& member) const;

    std::span<const PageField> table_;
    std::vector<Made> made_;
};

}  // namespace gleanwork
