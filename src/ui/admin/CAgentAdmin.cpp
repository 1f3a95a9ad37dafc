#include "ui/admin/CAgentAdmin.h"

#include <QApplication>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "storage/AgentCatalogue.h"
#include "storage/InstallFolder.h"
#include "ui/admin/DuplicateName.h"
#include "ui/common/Buttons.h"
#include "ui/common/DisplayText.h"
#include "ui/editor/AgentEditor.h"
#include "ui/history/CRunHistoryDlg.h"
#include "ui/run/CAgentOutputDlg.h"
#include "watch/ScheduleForecast.h"

namespace gleanwork {

namespace {

constexpr int kRecordRole = Qt::UserRole;

// The list's order: without regard to case, then with case so that the
// order of names differing only in case is fixed.
bool ListsBefore(const QString& left, const QString& right) {
    const int folded = QString::compare(left, right, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : QString::compare(left, right, Qt::CaseSensitive) < 0;
}

AgentDefinition* RecordOf(const QTreeWidgetItem* item) {
    return item == nullptr
               ? nullptr
               : static_cast<AgentDefinition*>(item->data(kNameColumn, kRecordRole).value<void*>());
}

// How often the last and next runs are read again while the page is open:
// runs that timers start show within this time.
constexpr std::chrono::seconds kStatusRefresh{30};

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
      agentList_(new QTreeWidget(this)),
      description_(new QLabel(this)),
      newButton_(MakeButton(this, "New Agent...", "NewAgent")),
      editButton_(MakeButton(this, "Edit Agent...", "EditAgent")),
      removeButton_(MakeButton(this, "Remove Agent", "RemoveAgent")),
      duplicateButton_(MakeButton(this, "Duplicate", "Duplicate")),
      runButton_(MakeButton(this, "Run Agent...", "RunAgent")),
      historyButton_(MakeButton(this, "History...", "History")) {
    agentList_->setObjectName("AgentList");
    agentList_->setSelectionMode(QAbstractItemView::SingleSelection);
    agentList_->setRootIsDecorated(false);
    agentList_->setUniformRowHeights(true);
    agentList_->setHeaderLabels(
        {QStringLiteral("Agent"), QStringLiteral("Last run"), QStringLiteral("Next run")});
    agentList_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    agentList_->header()->setStretchLastSection(true);
    agentList_->setMinimumSize(520, 170);
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
    buttons->addWidget(historyButton_);
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
    connect(agentList_, &QTreeWidget::itemSelectionChanged, this, &CAgentAdmin::ShowDescription);
    connect(duplicateButton_, &QPushButton::clicked, this, &CAgentAdmin::DuplicateAgent);
    connect(agentList_, &QTreeWidget::itemDoubleClicked, this, &CAgentAdmin::EditAgent);
    connect(runButton_, &QPushButton::clicked, this, &CAgentAdmin::RunAgent);
    connect(historyButton_, &QPushButton::clicked, this, &CAgentAdmin::ShowHistory);
    refresh_.setInterval(kStatusRefresh);
    connect(&refresh_, &QTimer::timeout, this, &CAgentAdmin::RefreshStatus);
}

void CAgentAdmin::OnInitPage() {
    if (catalogue_ == nullptr) {
        return;
    }
    for (std::size_t index = 0; index < catalogue_->Count(); ++index) {
        AddEntry(catalogue_->At(index));
        schedules_.Remember(catalogue_->At(index));
    }
    if (agentList_->topLevelItemCount() > 0) {
        agentList_->setCurrentItem(agentList_->topLevelItem(0));
        ShowDescription();
    }
    RefreshStatus();
    refresh_.start();
}

void CAgentAdmin::RefreshStatus() {
    lastRunsRead_.Start([] { return ReadLastRuns(); },
                        [this](LastRuns runs) { ShowLastRuns(std::move(runs)); },
                        [](const std::string& failure) {
                            return LastRuns{{}, "reading ends on " + failure};
                        });
}

void CAgentAdmin::ShowLastRuns(LastRuns runs) {
    lastRuns_ = std::move(runs);
    agentList_->headerItem()->setToolTip(
        kLastRunColumn, lastRuns_.problem.empty() ? QString()
                                                  : QStringLiteral("The history cannot be read: ") +
                                                        ToDisplayText(lastRuns_.problem));
    for (int row = 0; row < agentList_->topLevelItemCount(); ++row) {
        ShowStatus(*agentList_->topLevelItem(row));
    }
    emit statusShown();
}

void CAgentAdmin::ShowStatus(QTreeWidgetItem& item) const {
    if (const AgentDefinition* agent = RecordOf(&item)) {
        ShowAgentStatus(item, *agent, lastRuns_, CalendarNow());
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
    const QList<QTreeWidgetItem*> selected = agentList_->selectedItems();
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
    while (row < agentList_->topLevelItemCount() &&
           !ListsBefore(name, agentList_->topLevelItem(row)->text(kNameColumn))) {
        ++row;
    }
    auto* item = new QTreeWidgetItem(QStringList{name});
    item->setData(kNameColumn, kRecordRole, QVariant::fromValue(static_cast<void*>(&agent)));
    ShowStatus(*item);
    const QSignalBlocker blocker(agentList_);
    agentList_->insertTopLevelItem(row, item);
}

// Takes the selected entry out; afterwards nothing is selected and the
// description area is empty.
void CAgentAdmin::RemoveSelectedEntry() {
    const QList<QTreeWidgetItem*> selected = agentList_->selectedItems();
    const QSignalBlocker blocker(agentList_);
    for (QTreeWidgetItem* item : selected) {
        delete agentList_->takeTopLevelItem(agentList_->indexOfTopLevelItem(item));
    }
    agentList_->setCurrentItem(nullptr);
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
        auto* window = new CAgentOutputDlg(*agent);
        connect(window, &CAgentOutputDlg::runFinished, this, &CAgentAdmin::RefreshStatus);
    }
}

void CAgentAdmin::ShowHistory() {
    if (const AgentDefinition* agent = SelectedAgent()) {
        CRunHistoryDlg::ShowHistory(*agent);
    }
}

}  // namespace gleanwork
