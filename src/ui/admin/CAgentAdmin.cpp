#include "ui/admin/CAgentAdmin.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "storage/AgentCatalogue.h"
#include "storage/InstallFolder.h"
#include "ui/admin/DuplicateName.h"
#include "ui/common/Buttons.h"
#include "ui/common/DisplayText.h"
#include "ui/editor/AgentEditor.h"
#include "ui/run/CAgentOutputDlg.h"

namespace gleanwork {

namespace {

constexpr int kRecordRole = Qt::UserRole;

// The list's order: without regard to case, then with case so that the
// order of names differing only in case is fixed.
bool ListsBefore(const QString& left, const QString& right) {
    const int folded = QString::compare(left, right, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : QString::compare(left, right, Qt::CaseSensitive) < 0;
}

AgentDefinition* RecordOf(const QListWidgetItem* item) {
    return item == nullptr ? nullptr
                           : static_cast<AgentDefinition*>(item->data(kRecordRole).value<void*>());
}

QString SaveFailureText() {
    const std::string folder = GetInstallFolder();
    if (folder.empty()) {
        return "The agents could not be saved: no installation folder is set.\n\n"
               "Set GLEANWORK_INSTALLDIR (or HOME) to a folder you can write to.";
    }
    return QString(
               "The agents could not be saved to the folder\n%1\n\n"
               "Check that the folder can be written, then press OK or Apply again.")
        .arg(QString::fromStdString(folder));
}

}  // namespace

CAgentAdmin::CAgentAdmin()
    : PropertyPage("Agents"),
      agentList_(new QListWidget(this)),
      description_(new QLabel(this)),
      newButton_(MakeButton(this, "New Agent...", "NewAgent")),
      editButton_(MakeButton(this, "Edit Agent...", "EditAgent")),
      removeButton_(MakeButton(this, "Remove Agent", "RemoveAgent")),
      duplicateButton_(MakeButton(this, "Duplicate", "Duplicate")),
      runButton_(MakeButton(this, "Run Agent...", "RunAgent")) {
    agentList_->setObjectName("AgentList");
    agentList_->setSelectionMode(QAbstractItemView::SingleSelection);
    agentList_->setMinimumSize(260, 170);
    description_->setObjectName("Description");
    description_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    description_->setTextFormat(Qt::PlainText);
    description_->setWordWrap(true);
    description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    description_->setMinimumHeight(40);

    auto* label = new QLabel("Agent Definitions:", this);
    label->setBuddy(agentList_);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {newButton_, editButton_, removeButton_, duplicateButton_}) {
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    buttons->addWidget(runButton_);
    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(agentList_, 1, 0);
    layout->addLayout(buttons, 1, 1);
    layout->addWidget(description_, 2, 0, 1, 2);
    layout->setRowStretch(1, 1);

    connect(newButton_, &QPushButton::clicked, this, &CAgentAdmin::NewAgent);
    connect(editButton_, &QPushButton::clicked, this, &CAgentAdmin::EditAgent);
    connect(removeButton_, &QPushButton::clicked, this, &CAgentAdmin::RemoveAgent);
    // Delete in the list is Remove Agent, question included.
    auto* remove = new QShortcut(QKeySequence::Delete, agentList_);
    remove->setContext(Qt::WidgetShortcut);
    connect(remove, &QShortcut::activated, this, &CAgentAdmin::RemoveAgent);
    // The selection, not the current entry: a click makes the entry current
    // before it selects it.
    connect(agentList_, &QListWidget::itemSelectionChanged, this, &CAgentAdmin::ShowDescription);
    connect(duplicateButton_, &QPushButton::clicked, this, &CAgentAdmin::DuplicateAgent);
    connect(agentList_, &QListWidget::itemDoubleClicked, this, &CAgentAdmin::EditAgent);
    connect(runButton_, &QPushButton::clicked, this, &CAgentAdmin::RunAgent);
}

void CAgentAdmin::OnInitPage() {
    if (catalogue_ == nullptr) {
        return;
    }
    for (std::size_t index = 0; index < catalogue_->Count(); ++index) {
        AddEntry(catalogue_->At(index));
        schedules_.Remember(catalogue_->At(index));
    }
    if (agentList_->count() > 0) {
        agentList_->setCurrentRow(0);
        ShowDescription();
    }
}

bool CAgentAdmin::OnApply() {
    if (catalogue_ == nullptr) {
        return true;
    }
    if (catalogue_->SaveCatalogue() != 0) {
        QMessageBox::warning(this, "Gleanwork - Save Agents", SaveFailureText());
        return false;
    }
    SyncSchedules();
    return true;
}

void CAgentAdmin::SyncSchedules() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<std::string> problems = schedules_.Apply(*catalogue_);
    QApplication::restoreOverrideCursor();
    if (problems.empty()) {
        return;
    }
    QStringList lines;
    for (const std::string& problem : problems) {
        lines << ToDisplayText(problem);
    }
    QMessageBox::information(this, "Gleanwork - Schedules", lines.join(QStringLiteral("\n\n")));
}

AgentDefinition* CAgentAdmin::SelectedAgent() const {
    const QList<QListWidgetItem*> selected = agentList_->selectedItems();
    return selected.isEmpty() ? nullptr : RecordOf(selected.first());
}

void CAgentAdmin::ShowDescription() {
    if (const AgentDefinition* agent = SelectedAgent()) {
        description_->setText(ToDisplayText(agent->DESCRIPTION));
    }
}

void CAgentAdmin::AddEntry(AgentDefinition& agent) {
    const QString name = ToDisplayText(agent.name);
    int row = 0;
    while (row < agentList_->count() && !ListsBefore(name, agentList_->item(row)->text())) {
        ++row;
    }
    auto* item = new QListWidgetItem(name);
    item->setData(kRecordRole, QVariant::fromValue(static_cast<void*>(&agent)));
    const QSignalBlocker blocker(agentList_);
    agentList_->insertItem(row, item);
}

// Takes the selected entry out; afterwards nothing is selected and the
// description area is empty.
void CAgentAdmin::RemoveSelectedEntry() {
    const QList<QListWidgetItem*> selected = agentList_->selectedItems();
    const QSignalBlocker blocker(agentList_);
    for (QListWidgetItem* item : selected) {
        delete agentList_->takeItem(agentList_->row(item));
    }
    agentList_->setCurrentRow(-1);
    agentList_->clearSelection();
    description_->clear();
}

void CAgentAdmin::NewAgent() {
    if (catalogue_ == nullptr) {
        return;
    }
    AgentDefinition fresh;
    if (!RunAgentEditor(this, AgentEditorMode::New, fresh, *catalogue_)) {
        return;
    }
    AddEntry(catalogue_->AddAgent(std::move(fresh)));
    SetModified(true);
}

void CAgentAdmin::EditAgent() {
    AgentDefinition* agent = SelectedAgent();
    if (agent == nullptr || catalogue_ == nullptr) {
        return;
    }
    if (!RunAgentEditor(this, AgentEditorMode::Edit, *agent, *catalogue_)) {
        return;
    }
    RemoveSelectedEntry();
    AddEntry(*agent);
    SetModified(true);
}

void CAgentAdmin::RemoveAgent() {
    const AgentDefinition* agent = SelectedAgent();
    if (agent == nullptr || catalogue_ == nullptr) {
        return;
    }
    QMessageBox confirm(QMessageBox::Warning, "Gleanwork - Remove Agent",
                        "Are you sure you want to remove this agent?",
                        QMessageBox::Yes | QMessageBox::No, this);
    confirm.setInformativeText(ToDisplayText(agent->name));
    if (confirm.exec() != QMessageBox::Yes) {
        return;
    }
    RemoveSelectedEntry();
    schedules_.Forget(agent);
    catalogue_->RemoveAgent(agent);
    SetModified(true);
}

void CAgentAdmin::DuplicateAgent() {
    const AgentDefinition* source = SelectedAgent();
    if (source == nullptr || catalogue_ == nullptr) {
        return;
    }
    AgentDefinition copy = *source;
    copy.name = ChooseDuplicateName(*catalogue_, source->name);
    AddEntry(catalogue_->AddAgent(std::move(copy)));
    SetModified(true);
}

void CAgentAdmin::RunAgent() {
    if (const AgentDefinition* agent = SelectedAgent()) {
        new CAgentOutputDlg(*agent);
    }
}

}  // namespace gleanwork
