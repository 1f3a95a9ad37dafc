#include "ui/editor/WatchFields.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QSpinBox>

#include "watch/AlertRule.h"
#include "watch/WatchSettings.h"

namespace gleanwork {

namespace {

constexpr std::array<AlertEvent, 4> kEvents{AlertEvent::kFailure, AlertEvent::kChange,
                                            AlertEvent::kEmpty, AlertEvent::kRecovery};

// A row of `parts` without margins, the focus going to the first.
void LayOut(QWidget& field, std::initializer_list<QWidget*> parts) {
    auto* row = new QHBoxLayout(&field);
    row->setContentsMargins(0, 0, 0, 0);
    for (QWidget* part : parts) {
        row->addWidget(part);
    }
    row->addStretch(1);
    field.setFocusProxy(*parts.begin());
}

}  // namespace

NotifyOnField::NotifyOnField(QWidget* parent) : FieldWidget(parent) {
    for (std::size_t index = 0; index < kEvents.size(); ++index) {
        const char* word = AlertEventWord(kEvents[index]);
        events_[index] = new QCheckBox(QLatin1String(word), this);
        events_[index]->setObjectName(QStringLiteral("notify-") + QLatin1String(word));
    }
    LayOut(*this, {events_[0], events_[1], events_[2], events_[3]});
}

void NotifyOnField::Show(const std::string& stored) {
    const NotifyOnChoice choice = ReadNotifyOn(stored);
    for (std::size_t index = 0; index < kEvents.size(); ++index) {
        events_[index]->setChecked(choice.Wants(kEvents[index]));
    }
}

std::string NotifyOnField::Current() const {
    std::string words;
    for (std::size_t index = 0; index < kEvents.size(); ++index) {
        if (events_[index]->isChecked()) {
            words += (words.empty() ? "" : ",") + std::string(AlertEventWord(kEvents[index]));
        }
    }
    return words;
}

KeepRunsField::KeepRunsField(QWidget* parent) : FieldWidget(parent), count_(new QSpinBox(this)) {
    count_->setRange(1, static_cast<int>(kMostKeepRuns));
    count_->setSuffix(QStringLiteral(" runs"));
    LayOut(*this, {count_});
}

void KeepRunsField::Show(const std::string& stored) {
    AgentDefinition agent;
    agent.KEEPRUNS = stored;
    count_->setValue(static_cast<int>(ReadWatchSettings(agent).keepRuns));
}

std::string KeepRunsField::Current() const {
    return std::to_string(count_->value());
}

}  // namespace gleanwork
