#pragma once

#include "ui/editor/FieldWidget.h"
#include "ui/editor/ScheduleChoice.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTimeEdit;

namespace gleanwork {

// The agent's SCHEDULE, chosen as none, every few minutes, hourly, daily or
// on weekdays at a time, or written as a calendar expression; below it the
// next three runs, worked out as the choice changes, or why the expression
// is refused.
class ScheduleField : public FieldWidget {
public:
    explicit ScheduleField(QWidget* parent);

    static FieldWidget* Make(QWidget* page) { return new ScheduleField(page); }

protected:
    void Show(const std::string& stored) override;
    std::string Current() const override;

private:
    ScheduleChoice Choice() const;
    void OnKindChanged();
    void ShowForecast();

    QComboBox* kind_;
    QSpinBox* minutes_;
    QTimeEdit* time_;
    QLineEdit* expression_;
    QLabel* forecast_;
    ScheduleKind previousKind_ = ScheduleKind::kNone;
};

}  // namespace gleanwork
