#include "ui/editor/ScheduleField.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "ui/common/DisplayText.h"
#include "ui/common/TimeText.h"
#include "watch/ScheduleForecast.h"

namespace gleanwork {

namespace {

// The entries of the kind list, in the order of ScheduleKind.
constexpr const char* kKinds[] = {"No schedule", "Every few minutes", "Hourly",
                                  "Daily at",    "Weekdays at",       "Custom expression"};

constexpr std::size_t kRunsForecast = 3;

}  // namespace

ScheduleField::ScheduleField(QWidget* parent)
    : FieldWidget(parent),
      kind_(new QComboBox(this)),
      minutes_(new QSpinBox(this)),
      time_(new QTimeEdit(this)),
      expression_(new QLineEdit(this)),
      forecast_(new QLabel(this)) {
    for (const char* kind : kKinds) {
        kind_->addItem(QLatin1String(kind));
    }
    kind_->setObjectName(QStringLiteral("scheduleKind"));
    minutes_->setObjectName(QStringLiteral("scheduleMinutes"));
    minutes_->setRange(1, kMostMinutesApart);
    minutes_->setPrefix(QStringLiteral("every "));
    minutes_->setSuffix(QStringLiteral(" minutes"));
    time_->setObjectName(QStringLiteral("scheduleTime"));
    time_->setDisplayFormat(QStringLiteral("HH:mm"));
    expression_->setObjectName(QStringLiteral("scheduleExpression"));
    expression_->setPlaceholderText(QStringLiteral("Mon..Fri 06:30, *:0/15, hourly"));
    forecast_->setObjectName(QStringLiteral("scheduleForecast"));
    forecast_->setWordWrap(true);
    // Room for two lines from the start: the three next runs take that much
    // at the sheet's width, and the page does not move as they change.
    forecast_->setMinimumHeight(2 * forecast_->fontMetrics().lineSpacing());
    forecast_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setFocusProxy(kind_);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(kind_);
    row->addWidget(minutes_);
    row->addWidget(time_);
    row->addWidget(expression_, 1);
    row->addStretch(0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(row);
    layout->addWidget(forecast_);

    connect(kind_, &QComboBox::currentIndexChanged, this, &ScheduleField::OnKindChanged);
    connect(minutes_, &QSpinBox::valueChanged, this, &ScheduleField::ShowForecast);
    connect(time_, &QTimeEdit::timeChanged, this, &ScheduleField::ShowForecast);
    connect(expression_, &QLineEdit::textChanged, this, &ScheduleField::ShowForecast);
    OnKindChanged();
}

void ScheduleField::Show(const std::string& stored) {
    const ScheduleChoice choice = ReadScheduleChoice(stored);
    const QSignalBlocker blocker(kind_);
    previousKind_ = choice.kind;
    minutes_->setValue(choice.minutes);
    time_->setTime(QTime(choice.hour, choice.minute));
    expression_->setText(ToDisplayText(choice.custom));
    kind_->setCurrentIndex(static_cast<int>(choice.kind));
    OnKindChanged();
}

std::string ScheduleField::Current() const {
    return ScheduleText(Choice());
}

ScheduleChoice ScheduleField::Choice() const {
    ScheduleChoice choice;
    choice.kind = static_cast<ScheduleKind>(kind_->currentIndex());
    choice.minutes = minutes_->value();
    choice.hour = time_->time().hour();
    choice.minute = time_->time().minute();
    choice.custom = expression_->text().toStdString();
    return choice;
}

// Shows the parts the kind needs. A custom expression starts from what the
// other kinds would write.
void ScheduleField::OnKindChanged() {
    const auto kind = static_cast<ScheduleKind>(kind_->currentIndex());
    if (kind == ScheduleKind::kCustom && expression_->text().isEmpty()) {
        ScheduleChoice before = Choice();
        before.kind = previousKind_;
        expression_->setText(ToDisplayText(ScheduleText(before)));
    }
    previousKind_ = kind;
    minutes_->setVisible(kind == ScheduleKind::kEveryMinutes);
    time_->setVisible(kind == ScheduleKind::kDaily || kind == ScheduleKind::kWeekdays);
    expression_->setVisible(kind == ScheduleKind::kCustom);
    ShowForecast();
}

void ScheduleField::ShowForecast() {
    const std::string schedule = Current();
    if (schedule.empty() && kind_->currentIndex() == static_cast<int>(ScheduleKind::kNone)) {
        forecast_->setText(QStringLiteral("The agent runs only when it is started."));
        return;
    }
    const ScheduleForecast forecast = ForecastSchedule(schedule, CalendarNow(), kRunsForecast);
    if (!forecast.refusal.empty() || forecast.runs.empty()) {
        forecast_->setText(forecast.refusal.empty() ? QStringLiteral("Write a calendar expression.")
                                                    : ToDisplayText(forecast.refusal));
        return;
    }
    QStringList runs;
    for (const CalendarTime run : forecast.runs) {
        runs << LocalTimeText(run);
    }
    forecast_->setText(QStringLiteral("Next runs: ") + runs.join(QStringLiteral(", ")));
}

}  // namespace gleanwork
