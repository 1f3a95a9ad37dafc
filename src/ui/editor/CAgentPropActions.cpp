#include "ui/editor/CAgentPropActions.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <memory>
#include <utility>

#include "storage/AgentDefinition.h"
#include "storage/AgentFile.h"
#include "ui/editor/ComboText.h"
#include "ui/editor/CommandTemplates.h"
#include "ui/editor/EditorText.h"

namespace gleanwork {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* caption, const char* objectName) {
    auto* button = new QPushButton(QLatin1String(caption), parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CAgentPropActions::CAgentPropActions(QWidget* parent)
    : AgentPage(QStringLiteral("Actions"), parent) {}

void CAgentPropActions::ReadFrom(const AgentDefinition& agent) {
    scriptLines_ = agent.SCRIPT;
}

void CAgentPropActions::WriteTo(AgentDefinition& agent) const {
    agent.SCRIPT = scriptLines_;
}

void CAgentPropActions::OnInitPage() {
    command_ = MakeEditableCombo(this, "command");
    command_->addItems(SortedCommandTemplates());
    command_->setCurrentIndex(-1);

    script_ = new QListWidget(this);
    script_->setObjectName(QStringLiteral("script"));
    script_->setSelectionMode(QAbstractItemView::SingleSelection);
    script_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    for (const std::string& line : scriptLines_) {
        script_->addItem(ToDisplayText(line));
    }
    connect(script_, &QListWidget::itemSelectionChanged, this,
            &CAgentPropActions::OnSelectionChanged);

    QPushButton* add = MakeButton(this, "Add", "add");
    QPushButton* moveUp = MakeButton(this, "Move up", "moveUp");
    QPushButton* moveDown = MakeButton(this, "Move down", "moveDown");
    QPushButton* remove = MakeButton(this, "Remove", "remove");
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

// A command text that the beginning of a template matches, ignoring case, is
// replaced by that template; any other text, and an empty one, shows as it is.
void CAgentPropActions::LoadPage() {
    const QString text = ToDisplayText(commandText_);
    if (text.isEmpty()) {
        command_->setCurrentIndex(-1);
        command_->setEditText(text);
        return;
    }
    LoadComboText(*command_, text);
}

void CAgentPropActions::SavePage() {
    commandText_ = ToStoredText(command_->currentText(), commandText_);
}

void CAgentPropActions::OnAdd() {
    const QSignalBlocker blocker(script_);
    SavePage();
    const int selected = SelectedLine();
    const int line = selected >= 0 ? selected + 1 : script_->count();
    script_->insertItem(line, ToDisplayText(commandText_));
    scriptLines_.insert(scriptLines_.begin() + line, commandText_);
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
    scriptLines_.erase(scriptLines_.begin() + selected);
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
        std::any_of(scriptLines_.begin(), scriptLines_.end(), IsScriptEndLine));
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
    std::swap(scriptLines_[static_cast<std::size_t>(first)],
              scriptLines_[static_cast<std::size_t>(second)]);
}

}  // namespace gleanwork
