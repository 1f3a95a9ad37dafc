#pragma once

#include <array>

#include "ui/editor/FieldWidget.h"

class QCheckBox;
class QSpinBox;

namespace gleanwork {

// NOTIFYON as a check box for each event: failure, change, empty, recovery.
// A changed choice is written as the checked words, comma-separated.
class NotifyOnField : public FieldWidget {
public:
    explicit NotifyOnField(QWidget* parent);
    static FieldWidget* Make(QWidget* page) { return new NotifyOnField(page); }

protected:
    void Show(const std::string& stored) override;
    std::string Current() const override;

private:
    std::array<QCheckBox*, 4> events_;
};

// KEEPRUNS as a number of runs; an empty or unusable value shows the default.
class KeepRunsField : public FieldWidget {
public:
    explicit KeepRunsField(QWidget* parent);
    static FieldWidget* Make(QWidget* page) { return new KeepRunsField(page); }

protected:
    void Show(const std::string& stored) override;
    std::string Current() const override;

private:
    QSpinBox* count_;
};

}  // namespace gleanwork
