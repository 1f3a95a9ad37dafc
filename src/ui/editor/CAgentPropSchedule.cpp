#include "ui/editor/CAgentPropSchedule.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "base/TextScan.h"
#include "net/UrlSplit.h"
#include "ui/common/Buttons.h"
#include "ui/common/DisplayText.h"
#include "ui/common/TimeText.h"
#include "ui/editor/ScheduleField.h"
#include "ui/editor/WatchFields.h"
#include "watch/AlertPost.h"
#include "watch/CalendarCheck.h"
#include "watch/HistoryOpen.h"
#include "watch/LinePattern.h"
#include "watch/ScheduleForecast.h"
#include "watch/TestAlert.h"

namespace gleanwork {

namespace {

enum Group { kSchedule, kAlerts, kWebhook, kChanges };

constexpr std::array<PageField, 7> kFields{
    WidgetRow(&AgentDefinition::SCHEDULE, "schedule", "Runs:", ScheduleField::Make, kSchedule),
    WidgetRow(&AgentDefinition::NOTIFYON, "notifyOn", "Notify on:", NotifyOnField::Make, kAlerts),
    TextRow(&AgentDefinition::NOTIFYCOMMAND, "notifyCommand", "Command:", kAlerts),
    TextRow(&AgentDefinition::NOTIFYURL, "notifyUrl", "Webhook:", kWebhook),
    TextRow(&AgentDefinition::IGNORELINES, "ignoreLines", "Lines to ignore:", kChanges),
    SwitchRow(&AgentDefinition::IGNOREORDER, "ignoreOrder",
              "Lines that only change places are no change", kChanges),
    WidgetRow(&AgentDefinition::KEEPRUNS, "keepRuns", "Runs to keep:", KeepRunsField::Make,
              kChanges),
};

// The most matching lines listed; the rest are counted.
constexpr int kMostLinesListed = 200;

QLabel* MakeNote(QWidget* parent, const char* objectName) {
    auto* note = new QLabel(parent);
    note->setObjectName(QLatin1String(objectName));
    note->setWordWrap(true);
    note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return note;
}

// Why `expression` is no usable IGNORELINES; empty when it is.
std::string PatternProblem(const std::string& expression) {
    std::string error;
    if (expression.empty() || LinePattern::Compile(expression, error)) {
        return {};
    }
    return "The lines to ignore are no regular expression: " + error;
}

}  // namespace

CAgentPropSchedule::CAgentPropSchedule(QWidget* parent)
    : AgentPage(QStringLiteral("Schedule and alerts"), kFields, parent),
      sendTestAlert_(MakeButton(this, QStringLiteral("Send test alert"), "sendTestAlert")),
      testAlertResult_(MakeNote(this, "testAlertResult")),
      ignoredSummary_(MakeNote(this, "ignoredSummary")),
      ignoredLines_(new QListWidget(this)) {
    auto* schedule = new QGroupBox(QStringLiteral("Schedule"), this);
    fields().AddRows(*new QFormLayout(schedule), kSchedule);

    auto* alerts = new QGroupBox(QStringLiteral("Alerts"), this);
    auto* alertForm = new QFormLayout(alerts);
    fields().AddRows(*alertForm, kAlerts);
    auto* webhook = new QHBoxLayout;
    webhook->addWidget(fields().ControlOf(&AgentDefinition::NOTIFYURL), 1);
    webhook->addWidget(sendTestAlert_);
    alertForm->addRow(fields().LabelOf(&AgentDefinition::NOTIFYURL), webhook);
    alertForm->addRow(testAlertResult_);
    connect(sendTestAlert_, &QPushButton::clicked, this, &CAgentPropSchedule::OnSendTestAlert);

    auto* changes = new QGroupBox(QStringLiteral("Changes and history"), this);
    auto* changeForm = new QFormLayout(changes);
    fields().AddRows(*changeForm, kChanges);
    ignoredLines_->setObjectName(QStringLiteral("ignoredLines"));
    ignoredLines_->setSelectionMode(QAbstractItemView::NoSelection);
    ignoredLines_->setFocusPolicy(Qt::NoFocus);
    changeForm->addRow(ignoredSummary_);
    changeForm->addRow(ignoredLines_);
    connect(fields().Control<QLineEdit>(&AgentDefinition::IGNORELINES), &QLineEdit::textChanged,
            this, &CAgentPropSchedule::ShowIgnoredLines);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(schedule);
    layout->addWidget(alerts);
    layout->addWidget(changes, 1);
}

// Reads the newest kept output of the agent once, when the page is first
// shown: the lines to ignore are shown against it.
void CAgentPropSchedule::OnInitPage() {
    if (historyAgent_.empty()) {
        lastOutputNote_ = QStringLiteral("A new agent has no kept output yet.");
        return;
    }
    HistoryResult result;
    std::unique_ptr<HistoryStore> store = HistoryMayHoldRuns() ? OpenHistory(result) : nullptr;
    std::optional<KeptOutput> kept;
    if (store) {
        result = store->KeptOutputOf(historyAgent_, 0, kept);
    }
    if (!result) {
        lastOutputNote_ =
            QStringLiteral("The history cannot be read: ") + ToDisplayText(result.reason);
    } else if (!kept) {
        lastOutputNote_ = QStringLiteral("The history keeps no output of this agent yet.");
    } else {
        lastOutput_ = std::move(kept->content);
        lastOutputNote_ =
            QStringLiteral("the output of the run of ") + LocalTimeText(kept->run.started);
    }
}

void CAgentPropSchedule::LoadPage() {
    AgentPage::LoadPage();
    ShowIgnoredLines();
}

void CAgentPropSchedule::ShowIgnoredLines() {
    ignoredLines_->clear();
    const std::string expression = ToStoredText(
        fields().Control<QLineEdit>(&AgentDefinition::IGNORELINES)->text(), values().IGNORELINES);
    std::string error;
    const std::optional<LinePattern> pattern =
        expression.empty() ? std::nullopt : LinePattern::Compile(expression, error);
    if (!lastOutput_ || expression.empty() || !pattern) {
        ignoredSummary_->setText(
            !error.empty() ? ToDisplayText(PatternProblem(expression))
            : lastOutput_  ? QStringLiteral("Every line of %1 takes part.").arg(lastOutputNote_)
                           : lastOutputNote_);
        return;
    }
    int matched = 0;
    int lines = 0;
    std::string_view rest = *lastOutput_;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        ++lines;
        if (pattern->Matches(line) && ++matched <= kMostLinesListed) {
            ignoredLines_->addItem(ToDisplayText(line));
        }
    }
    ignoredSummary_->setText(
        QStringLiteral("%1 of the %2 lines of %3 are ignored%4")
            .arg(matched)
            .arg(lines)
            .arg(lastOutputNote_, matched > 0 ? QStringLiteral(":") : QStringLiteral(".")));
}

void CAgentPropSchedule::OnSendTestAlert() {
    SavePage();
    AgentDefinition agent;
    WriteTo(agent);
    agent.name = historyAgent_.empty() ? "New Agent" : historyAgent_;
    const auto failed = [](const std::string& failure) {
        return std::vector<std::string>{"The test alert ends on " + failure};
    };
    if (testAlert_.Start([agent] { return SendTestAlert(agent, DefaultAlertChannels()); },
                         [this](std::vector<std::string> lines) { ShowTestAlert(lines); },
                         failed)) {
        sendTestAlert_->setEnabled(false);
        testAlertResult_->setText(QStringLiteral("Sending the test alert..."));
    }
}

void CAgentPropSchedule::ShowTestAlert(const std::vector<std::string>& lines) {
    sendTestAlert_->setEnabled(true);
    QStringList shown;
    for (const std::string& line : lines) {
        shown << ToDisplayText(line);
    }
    testAlertResult_->setText(shown.join(u'\n'));
}

bool CAgentPropSchedule::OnApply() {
    const AgentDefinition& agent = values();
    std::string scheduleProblem;
    if (!TrimWhitespace(agent.SCHEDULE).empty()) {
        scheduleProblem = CheckCalendarExpression(agent.SCHEDULE, CalendarNow()).reason;
    }
    const bool webhookUsable = agent.NOTIFYURL.empty() || IsWebUrl(agent.NOTIFYURL);
    return Accept(scheduleProblem, fields().ControlOf(&AgentDefinition::SCHEDULE)) &&
           Accept(webhookUsable ? std::string()
                                : "The webhook must be an http:// or https:// address.",
                  fields().ControlOf(&AgentDefinition::NOTIFYURL)) &&
           Accept(PatternProblem(agent.IGNORELINES),
                  fields().ControlOf(&AgentDefinition::IGNORELINES));
}

bool CAgentPropSchedule::Accept(const std::string& problem, QWidget* field) {
    if (problem.empty()) {
        return true;
    }
    QMessageBox::warning(this, QStringLiteral("Gleanwork - Schedule and alerts"),
                         ToDisplayText(problem));
    field->setFocus();
    return false;
}

}  // namespace gleanwork
