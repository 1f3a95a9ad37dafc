#include "ui/history/CRunHistoryDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/common/Buttons.h"
#include "ui/common/DisplayText.h"
#include "ui/common/OutcomeIcon.h"
#include "ui/common/TimeText.h"
#include "ui/history/DiffHighlighter.h"
#include "watch/HistoryOpen.h"
#include "watch/RunDiff.h"

namespace gleanwork {

namespace {

enum Column { kStarted, kOutcome, kErrors, kLines, kAdded, kRemoved, kSeconds, kColumns };

constexpr int kRunRole = Qt::UserRole;

QString Count(std::uint64_t count) {
    return QString::number(count);
}

QTreeWidgetItem* MakeRow(const RunEntry& run, std::size_t index) {
    const double seconds = std::chrono::duration<double>(run.ended - run.started).count();
    auto* row = new QTreeWidgetItem(QStringList{
        LocalTimeText(run.started), OutcomeText(run.outcome), Count(run.errors),
        Count(run.linesPrinted),
        run.changes ? QStringLiteral("+") + Count(run.changes->added) : QString(),
        run.changes ? QStringLiteral("\u2212") + Count(run.changes->removed) : QString(),
        QString::number(seconds, 'f', 1)});
    row->setIcon(kOutcome, OutcomeIcon(run.outcome));
    row->setToolTip(kErrors, ToDisplayText(run.firstError));
    row->setData(kStarted, kRunRole, QVariant::fromValue(static_cast<qulonglong>(index)));
    for (const int column : {kErrors, kLines, kAdded, kRemoved, kSeconds}) {
        row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    return row;
}

QPlainTextEdit* MakeTextView(QWidget* parent, const char* objectName) {
    auto* view = new QPlainTextEdit(parent);
    view->setObjectName(QLatin1String(objectName));
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return view;
}

// A window of its own that shows `text` until it is closed.
void ShowTextWindow(const QString& title, const QString& text) {
    auto* window = new QDialog;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName(QStringLiteral("runOutput"));
    window->setWindowTitle(title);
    QPlainTextEdit* view = MakeTextView(window, "outputText");
    view->setPlainText(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(view);
    layout->addWidget(buttons);
    window->resize(640, 480);
    window->show();
}

}  // namespace

CRunHistoryDlg* CRunHistoryDlg::ShowHistory(const AgentDefinition& agent) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* open = qobject_cast<CRunHistoryDlg*>(widget);
        if (open != nullptr && open->agent_.name == agent.name) {
            open->agent_ = agent;
            open->ReadRuns();
            open->show();
            open->raise();
            open->activateWindow();
            return open;
        }
    }
    auto* window = new CRunHistoryDlg(agent);
    window->show();
    return window;
}

CRunHistoryDlg::CRunHistoryDlg(const AgentDefinition& agent)
    : agent_(agent),
      summary_(new QLabel(this)),
      runList_(new QTreeWidget(this)),
      tabs_(new QTabWidget(this)),
      changes_(MakeTextView(this, "changes")),
      log_(MakeTextView(this, "log")),
      openOutput_(MakeButton(this, QStringLiteral("Open output"), "openOutput")) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("History - ") + ToDisplayText(agent.name));
    summary_->setObjectName(QStringLiteral("summary"));
    summary_->setWordWrap(true);
    runList_->setObjectName(QStringLiteral("runs"));
    runList_->setRootIsDecorated(false);
    runList_->setUniformRowHeights(true);
    runList_->setHeaderLabels({QStringLiteral("Started"), QStringLiteral("Outcome"),
                               QStringLiteral("Errors"), QStringLiteral("Lines"),
                               QStringLiteral("Added"), QStringLiteral("Removed"),
                               QStringLiteral("Seconds")});
    runList_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    new DiffHighlighter(changes_->document());
    tabs_->addTab(changes_, QStringLiteral("Changes"));
    tabs_->addTab(log_, QStringLiteral("Log"));

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(runList_);
    splitter->addWidget(tabs_);
    splitter->setStretchFactor(1, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(openOutput_, QDialogButtonBox::ActionRole);
    QPushButton* refresh = MakeButton(this, QStringLiteral("Refresh"), "refresh");
    buttons->addButton(refresh, QDialogButtonBox::ActionRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(splitter, 1);
    layout->addWidget(buttons);
    resize(760, 560);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(openOutput_, &QPushButton::clicked, this, &CRunHistoryDlg::OpenOutput);
    connect(refresh, &QPushButton::clicked, this, &CRunHistoryDlg::ReadRuns);
    connect(runList_, &QTreeWidget::itemSelectionChanged, this, &CRunHistoryDlg::ShowRun);
    ReadRuns();
}

void CRunHistoryDlg::ReadRuns() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    HistoryResult result;
    if (!store_ && HistoryMayHoldRuns()) {
        store_ = OpenHistory(result);
    }
    const RunEntry* selected = SelectedRun();
    const std::int64_t selectedId = selected != nullptr ? selected->id : 0;
    runs_.clear();
    if (store_) {
        result = store_->Runs(agent_.name, runs_);
    }
    QApplication::restoreOverrideCursor();
    const QSignalBlocker blocker(runList_);
    runList_->clear();
    for (std::size_t index = 0; index < runs_.size(); ++index) {
        runList_->addTopLevelItem(MakeRow(runs_[index], index));
        if (runs_[index].id == selectedId || (selectedId == 0 && index == 0)) {
            runList_->setCurrentItem(runList_->topLevelItem(static_cast<int>(index)));
        }
    }
    summary_->setText(!result ? QStringLiteral("The history cannot be read: ") +
                                    ToDisplayText(result.reason)
                      : runs_.empty() ? QStringLiteral("The history holds no run of this agent.")
                                      : QStringLiteral("%1 runs, newest first.").arg(runs_.size()));
    ShowRun();
}

const RunEntry* CRunHistoryDlg::SelectedRun() const {
    const QList<QTreeWidgetItem*> selected = runList_->selectedItems();
    if (selected.isEmpty()) {
        return nullptr;
    }
    const auto index = selected.first()->data(kStarted, kRunRole).toULongLong();
    return index < runs_.size() ? &runs_[index] : nullptr;
}

void CRunHistoryDlg::ShowRun() {
    const RunEntry* run = SelectedRun();
    openOutput_->setEnabled(run != nullptr && run->kept && !run->outputDigest.empty());
    if (run == nullptr || !store_) {
        changes_->clear();
        log_->clear();
        return;
    }
    const RunDiff diff =
        DiffWithRunBefore(*store_, agent_, runs_, static_cast<std::size_t>(run - runs_.data()));
    changes_->setPlainText(ToDisplayText(diff.diff.empty() ? diff.note : diff.diff));
    std::optional<std::string> log;
    const HistoryResult read = store_->KeptLog(run->id, log);
    log_->setPlainText(!read ? QStringLiteral("The history cannot be read: ") +
                                   ToDisplayText(read.reason)
                       : log ? ToDisplayText(*log)
                             : QStringLiteral("The history no longer keeps this run's log."));
}

void CRunHistoryDlg::OpenOutput() {
    const RunEntry* run = SelectedRun();
    if (run == nullptr || !store_) {
        return;
    }
    std::optional<std::string> output;
    const HistoryResult read = store_->KeptContent(run->agent, run->outputDigest, output);
    ShowTextWindow(QStringLiteral("Output of %1 - %2")
                       .arg(ToDisplayText(run->agent), LocalTimeText(run->started)),
                   !read
                       ? QStringLiteral("The history cannot be read: ") + ToDisplayText(read.reason)
                   : output ? ToDisplayText(*output)
                            : QStringLiteral("The history no longer keeps this output."));
}

}  // namespace gleanwork
