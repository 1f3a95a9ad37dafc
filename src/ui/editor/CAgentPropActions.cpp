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
#include <memory>
#include <utility>

#include "storage/AgentDefinition.h"
#include "storage/AgentFile.h"
#include "ui/editor/ComboText.h"
#include "ui/editor/CommandTemplates.h"
#include "ui/editor/EditorText.h"
#include "ui/editor/ScriptCheckView.h"
#include "ui/editor/ScriptLineDelegate.h"

namespace gleanwork {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* caption, const char* objectName) {
    auto* button = new QPushButton(QLatin1String(caption), parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    return button;
}

QListWidgetItem* MakeLineItem(const std::string& line) {
    auto* item = new QListWidgetItem(ToDisplayText(line));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    return item;
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
    auto* completer = new QCompleter(SortedCommandTemplates(), command_);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    command_->setCompleter(completer);
    command_->lineEdit()->installEventFilter(this);

    script_ = new QListWidget(this);
    script_->setObjectName(QStringLiteral("script"));
    script_->setSelectionMode(QAbstractItemView::SingleSelection);
    script_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    script_->setItemDelegate(new ScriptLineDelegate(script_));
    script_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    for (const std::string& line : scriptLines_) {
        script_->addItem(MakeLineItem(line));
    }
    connect(script_, &QListWidget::itemSelectionChanged, this,
            &CAgentPropActions::OnSelectionChanged);
    connect(script_, &QListWidget::itemChanged, this, &CAgentPropActions::OnLineEdited);
    check_ = new ScriptCheckView(*script_, this);
    connect(command_, &QComboBox::editTextChanged, this, [this] { ScriptChanged(); });
    AddShortcuts();

    QPushButton* add = MakeButton(this, "Add", "add");
    QPushButton* moveUp = MakeButton(this, "Move up", "moveUp");
    QPushButton* moveDown = MakeButton(this, "Move down", "moveDown");
    QPushButton* remove = MakeButton(this, "Remove", "remove");
    QPushButton* testRun = MakeButton(this, "Test run", "testRun");
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
    ScriptChanged();
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
    undo_.Record(scriptLines_);
    const int selected = SelectedLine();
    const int line = selected >= 0 ? selected + 1 : script_->count();
    script_->insertItem(line, MakeLineItem(commandText_));
    scriptLines_.insert(scriptLines_.begin() + line, commandText_);
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
        if (commandText_ != scriptLines_[static_cast<std::size_t>(editingRow_)]) {
            undo_.Record(scriptLines_);
            scriptLines_[static_cast<std::size_t>(editingRow_)] = commandText_;
            const QSignalBlocker blocker(script_);
            script_->item(editingRow_)->setText(ToDisplayText(commandText_));
        }
        editingRow_ = -1;
    }
    command_->setEditText(QString());
}

void CAgentPropActions::OnLineEdited(QListWidgetItem* item) {
    const auto row = static_cast<std::size_t>(script_->row(item));
    if (row >= scriptLines_.size()) {
        return;
    }
    const std::string edited = ToStoredText(item->text(), scriptLines_[row]);
    if (edited != scriptLines_[row]) {
        undo_.Record(scriptLines_);
        scriptLines_[row] = edited;
        ScriptChanged();
    }
}

void CAgentPropActions::OnUndo(bool redo) {
    std::optional<std::vector<std::string>> script =
        redo ? undo_.Redo(scriptLines_) : undo_.Undo(scriptLines_);
    if (script) {
        SetScript(std::move(*script));
    }
}

void CAgentPropActions::SetScript(std::vector<std::string> lines) {
    const QSignalBlocker blocker(script_);
    scriptLines_ = std::move(lines);
    script_->clear();
    for (const std::string& line : scriptLines_) {
        script_->addItem(MakeLineItem(line));
    }
    editingRow_ = -1;
    ScriptChanged();
}

void CAgentPropActions::ScriptChanged() {
    UpdateScriptEndNotice();
    check_->Check(scriptLines_,
                  editingRow_ >= 0 ? std::string() : command_->currentText().toStdString());
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
    undo_.Record(scriptLines_);
    const std::unique_ptr<QListWidgetItem> removed(script_->takeItem(selected));
    scriptLines_.erase(scriptLines_.begin() + selected);
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
    undo_.Record(scriptLines_);
    QListWidgetItem* lower = script_->takeItem(second);
    script_->insertItem(first, lower);
    std::swap(scriptLines_[static_cast<std::size_t>(first)],
              scriptLines_[static_cast<std::size_t>(second)]);
    editingRow_ = -1;
    ScriptChanged();
}

}  // namespace gleanwork
