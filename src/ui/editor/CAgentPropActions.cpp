#include "ui/editor/CAgentPropActions.h"

#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
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
#include "ui/editor/ScriptCheckView.h"
#include "ui/editor/ScriptLineDelegate.h"

namespace gleanwork {

namespace {

// The command text is the page's own: it maps no field of the agent.
constexpr std::array<PageField, 1> kFields{
    LinesRow(&AgentDefinition::SCRIPT, "script"),
};

QListWidgetItem* MakeLineItem(const std::string& line) {
    auto* item = new QListWidgetItem(ToDisplayText(line));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
}

}  // namespace

CAgentPropActions::CAgentPropActions(QWidget* parent)
    : AgentPage(QStringLiteral("Actions"), kFields, parent),
      command_(MakeEditableCombo(this, "command")),
      script_(fields().Control<QListWidget>(&AgentDefinition::SCRIPT)) {
    command_->addItems(SortedCommandTemplates());
    command_->setCurrentIndex(-1);
    auto* completer = new QCompleter(SortedCommandTemplates(), command_);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    command_->setCompleter(completer);
    command_->installEventFilter(this);

    script_->setItemDelegate(new ScriptLineDelegate(script_));
    script_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    connect(script_, &QListWidget::itemSelectionChanged, this,
            &CAgentPropActions::OnSelectionChanged);
    connect(script_, &QListWidget::itemChanged, this, &CAgentPropActions::OnLineEdited);
    check_ = new ScriptCheckView(*script_, this);
    connect(command_, &QComboBox::editTextChanged, this, [this] { ScriptChanged(); });
    AddShortcuts();

    QPushButton* add = MakeButton(this, QStringLiteral("Add"), "add");
    QPushButton* moveUp = MakeButton(this, QStringLiteral("Move up"), "moveUp");
    QPushButton* moveDown = MakeButton(this, QStringLiteral("Move down"), "moveDown");
    QPushButton* remove = MakeButton(this, QStringLiteral("Remove"), "remove");
    QPushButton* testRun = MakeButton(this, QStringLiteral("Test run"), "testRun");
    testRun->setToolTip(QStringLiteral(
        "Runs the script as it stands on the General page's source, pausing before its first "
        "line; nothing is written to the output file"));
    connect(testRun, &QPushButton::clicked, this, &CAgentPropActions::testRunRequested);
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
    layout->addWidget(testRun, 5, 1, Qt::AlignBottom);
    layout->addWidget(check_, 6, 0, 1, 2);
    layout->addWidget(scriptEndNotice_, 7, 0, 1, 2);
    layout->setRowStretch(5, 1);
    layout->setColumnStretch(0, 1);
}

// The list shows the script lines the sheet put into the page values; from
// here on the page changes both together.
void CAgentPropActions::OnInitPage() {
    ShowScript();
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

bool CAgentPropActions::HasChanges() const {
    return AgentPage::HasChanges() || !TypedNewLine().isEmpty();
}

QString CAgentPropActions::TypedNewLine() const {
    const QString typed = command_->currentText();
    const bool inScript =
        std::any_of(scriptLines().begin(), scriptLines().end(),
                    [&typed](const std::string& line) { return ToDisplayText(line) == typed; });
    return inScript ? QString() : typed;
}

void CAgentPropActions::OnAdd() {
    const QSignalBlocker blocker(script_);
    SavePage();
    undo_.Record(Script());
    const int selected = SelectedLine();
    const int line = selected >= 0 ? selected + 1 : script_->count();
    script_->insertItem(line, MakeLineItem(commandText_));
    Script().insert(Script().begin() + line, commandText_);
    SelectLine(line);
    editingRow_ = -1;
    ScriptChanged();
}

// Enter in the command field replaces the line copied into it, or adds it,
// and empties the field for the next line.
void CAgentPropActions::OnEnter() {
    if (editingRow_ < 0 || editingRow_ >= script_->count()) {
        OnAdd();
    } else {
        SavePage();
        if (commandText_ != Script()[static_cast<std::size_t>(editingRow_)]) {
            undo_.Record(Script());
            Script()[static_cast<std::size_t>(editingRow_)] = commandText_;
            const QSignalBlocker blocker(script_);
            script_->item(editingRow_)->setText(ToDisplayText(commandText_));
        }
        editingRow_ = -1;
    }
    command_->setEditText(QString());
}

void CAgentPropActions::OnLineEdited(QListWidgetItem* item) {
    const auto row = static_cast<std::size_t>(script_->row(item));
    if (row >= Script().size()) {
        return;
    }
    const std::string edited = ToStoredText(item->text(), Script()[row]);
    if (edited != Script()[row]) {
        undo_.Record(Script());
        Script()[row] = edited;
        ScriptChanged();
    }
}

void CAgentPropActions::OnUndo(bool redo) {
    std::optional<std::vector<std::string>> script =
        redo ? undo_.Redo(Script()) : undo_.Undo(Script());
    if (script) {
        SetScript(std::move(*script));
    }
}

void CAgentPropActions::SetScript(std::vector<std::string> lines) {
    Script() = std::move(lines);
    ShowScript();
}

void CAgentPropActions::ShowScript() {
    const QSignalBlocker blocker(script_);
    script_->clear();
    for (const std::string& line : Script()) {
        script_->addItem(MakeLineItem(line));
    }
    editingRow_ = -1;
    ScriptChanged();
}

// The checker looks at the typed line too, unless it is a line of the
// script already (copied into the field, or added and kept there).
void CAgentPropActions::ScriptChanged() {
    UpdateScriptEndNotice();
    check_->Check(Script(), editingRow_ >= 0 ? std::string() : TypedNewLine().toStdString());
}

// Delete removes the selected line; Ctrl+Z and Ctrl+Shift+Z undo and redo
// changes to the list (in the command field they undo its typing).
void CAgentPropActions::AddShortcuts() {
    auto* remove = new QShortcut(QKeySequence::Delete, script_);
    remove->setContext(Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &CAgentPropActions::OnRemove);
    auto* undo = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
    undo->setContext(Qt::WidgetWithChildrenShortcut);
    connect(undo, &QShortcut::activated, this, [this] { OnUndo(false); });
    auto* redo = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), this);
    redo->setContext(Qt::WidgetWithChildrenShortcut);
    connect(redo, &QShortcut::activated, this, [this] { OnUndo(true); });
}

// Enter and keypad Enter in the command field. The drop-down list itself
// holds the keyboard focus for its edit part, so the keys reach it, not the
// edit part; unhandled, they would go on to the sheet and press OK.
bool CAgentPropActions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OnEnter();
            return true;
        }
    }
    return AgentPage::eventFilter(watched, event);
}

void CAgentPropActions::OnRemove() {
    const QSignalBlocker blocker(script_);
    const int selected = SelectedLine();
    if (selected < 0) {
        return;
    }
    undo_.Record(Script());
    const std::unique_ptr<QListWidgetItem> removed(script_->takeItem(selected));
    Script().erase(Script().begin() + selected);
    SelectLine(std::min(selected, script_->count() - 1));
    editingRow_ = -1;
    ScriptChanged();
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
        editingRow_ = selected;
        ScriptChanged();
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
    undo_.Record(Script());
    QListWidgetItem* lower = script_->takeItem(second);
    script_->insertItem(first, lower);
    std::swap(Script()[static_cast<std::size_t>(first)],
              Script()[static_cast<std::size_t>(second)]);
    editingRow_ = -1;
    ScriptChanged();
}

}  // namespace gleanwork
