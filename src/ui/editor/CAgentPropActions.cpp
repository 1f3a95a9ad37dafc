#include "ui/editor/CAgentPropActions.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <array>
#include <memory>
#include <utility>

#include "storage/AgentDefinition.h"
#include "storage/AgentFile.h"
#include "ui/common/Buttons.h"
#include "ui/common/DisplayText.h"
#include "ui/editor/ComboText.h"
#include "ui/editor/CommandTemplates.h"

namespace gleanwork {

namespace {

// The command text is the page's own: it maps no field of the agent.
constexpr std::array<PageField, 1> kFields{
    LinesRow(&AgentDefinition::SCRIPT, "script"),
};

}  // namespace

CAgentPropActions::CAgentPropActions(QWidget* parent)
    : AgentPage(QStringLiteral("Actions"), kFields, parent),
      command_(MakeEditableCombo(this, "command")),
      script_(fields().Control<QListWidget>(&AgentDefinition::SCRIPT)) {
    command_->addItems(SortedCommandTemplates());
    command_->setCurrentIndex(-1);
    connect(script_, &QListWidget::itemSelectionChanged, this,
            &CAgentPropActions::OnSelectionChanged);

    QPushButton* add = MakeButton(this, QStringLiteral("Add"), "add");
    QPushButton* moveUp = MakeButton(this, QStringLiteral("Move up"), "moveUp");
    QPushButton* moveDown = MakeButton(this, QStringLiteral("Move down"), "moveDown");
    QPushButton* remove = MakeButton(this, QStringLiteral("Remove"), "remove");
    connect(add, &QPushButton::clicked, this, &CAgentPropActions::OnAdd);
    connect(moveUp, &QPushButton::clicked, this, &CAgentPropActions::OnMoveUp);
    connect(moveDown, &QPushButton::clicked, this, &CAgentPropActions::OnMoveDown);
    connect(remove, &QPushButton::clicked, this, &CAgentPropActions::OnRemove);

    scriptEndNotice_ = new QLabel(
        QStringLiteral("A line \"ENDSCRIPT\" is saved with a space before it, so that it "
                       "stays a script line and does not end the script in the agent file."),
        this);
    scriptEndNotice_->setObjectName(QStringLiteral("scriptEndNotice"));
    scriptEndNotice_->setWordWrap(true);
    UpdateScriptEndNotice();

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Actions:"), this), 0, 0);
    layout->addWidget(command_, 1, 0);
    layout->addWidget(add, 1, 1);
    layout->addWidget(script_, 2, 0, 4, 1);
    layout->addWidget(moveUp, 2, 1);
    layout->addWidget(moveDown, 3, 1);
    layout->addWidget(remove, 4, 1);
    layout->addWidget(scriptEndNotice_, 6, 0, 1, 2);
    layout->setRowStretch(5, 1);
    layout->setColumnStretch(0, 1);
}

// The list shows the script lines the sheet put into the page values; from
// here on the buttons change both together.
void CAgentPropActions::OnInitPage() {
    const QSignalBlocker blocker(script_);
    for (const std::string& line : scriptLines()) {
        script_->addItem(ToDisplayText(line));
    }
    UpdateScriptEndNotice();
}

// A command text that the beginning of a template matches, ignoring case, is
// replaced by that template; any other text, and an empty one, shows as it is.
void CAgentPropActions::LoadPage() {
    AgentPage::LoadPage();
    const QString text = ToDisplayText(commandText_);
    if (text.isEmpty()) {
        command_->setCurrentIndex(-1);
        command_->setEditText(text);
        return;
    }
    LoadComboText(*command_, text);
}

void CAgentPropActions::SavePage() {
    AgentPage::SavePage();
    commandText_ = ToStoredText(command_->currentText(), commandText_);
}

void CAgentPropActions::OnAdd() {
    const QSignalBlocker blocker(script_);
    SavePage();
    const int selected = SelectedLine();
    const int line = selected >= 0 ? selected + 1 : script_->count();
    script_->insertItem(line, ToDisplayText(commandText_));
    std::vector<std::string>& lines = pageValues().SCRIPT;
    lines.insert(lines.begin() + line, commandText_);
    SelectLine(line);
    UpdateScriptEndNotice();
}

void CAgentPropActions::OnRemove() {
    const QSignalBlocker blocker(script_);
    const int selected = SelectedLine();
    if (selected < 0) {
        return;
    }
    const std::unique_ptr<QListWidgetItem> removed(script_->takeItem(selected));
    std::vector<std::string>& lines = pageValues().SCRIPT;
    lines.erase(lines.begin() + selected);
    SelectLine(std::min(selected, script_->count() - 1));
    UpdateScriptEndNotice();
}
void CAgentPropActions::OnMoveUp() {
    const int selected = SelectedLine();
    if (selected <= 0) {
        return;
    }
    const QSignalBlocker blocker(script_);
    SwapLines(selected - 1, selected);
    SelectLine(selected - 1);
}

void CAgentPropActions::OnMoveDown() {
    const int selected = SelectedLine();
    if (selected < 0 || selected + 1 >= script_->count()) {
        return;
    }
    const QSignalBlocker blocker(script_);
    SwapLines(selected, selected + 1);
    SelectLine(selected + 1);
}

// Only a selection the user makes copies the line into the edit part: the
// buttons change the list with its signals blocked.
void CAgentPropActions::OnSelectionChanged() {
    const int selected = SelectedLine();
    if (selected >= 0) {
        command_->setEditText(script_->item(selected)->text());
    }
}

// Shown while the script holds a line that the agent file has to write
// differently.
void CAgentPropActions::UpdateScriptEndNotice() {
    scriptEndNotice_->setVisible(
        std::any_of(scriptLines().begin(), scriptLines().end(), IsScriptEndLine));
}

int CAgentPropActions::SelectedLine() const {
    const QList<QListWidgetItem*> selected = script_->selectedItems();
    return selected.isEmpty() ? -1 : script_->row(selected.first());
}

void CAgentPropActions::SelectLine(int line) {
    script_->clearSelection();
    if (line >= 0) {
        script_->setCurrentRow(line);
    }
}

void CAgentPropActions::SwapLines(int first, int second) {
    QListWidgetItem* lower = script_->takeItem(second);
    script_->insertItem(first, lower);
    std::vector<std::string>& lines = pageValues().SCRIPT;
    std::swap(lines[static_cast<std::size_t>(first)], lines[static_cast<std::size_t>(second)]);
}

}  // namespace gleanwork
