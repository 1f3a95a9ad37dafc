#include "ui/editor/ScriptCheckView.h"

#include <QApplication>
#include <QSignalBlocker>
#include <QStyle>

#include "script/ScriptChecker.h"
#include "ui/common/DisplayText.h"

namespace gleanwork {

ScriptCheckView::ScriptCheckView(QListWidget& script, QWidget* parent)
    : QListWidget(parent), script_(script) {
    setObjectName(QStringLiteral("checkMessages"));
    setMaximumHeight(fontMetrics().height() * 5);
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        const int line = item->data(Qt::UserRole).toInt();
        if (line >= 0 && line < script_.count()) {
            script_.setCurrentRow(line);
        }
    });
}

void ScriptCheckView::Check(const std::vector<std::string>& lines, const std::string& typed) {
    clear();
    const QIcon warning = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    const QSignalBlocker blocker(&script_);
    for (int row = 0; row < script_.count(); ++row) {
        script_.item(row)->setIcon(QIcon());
        script_.item(row)->setToolTip(QString());
    }
    for (const ScriptMessage& message : CheckScript(lines)) {
        const int row = static_cast<int>(message.line) - 1;
        const QString text = ToDisplayText(message.message);
        if (QListWidgetItem* line = script_.item(row)) {
            line->setIcon(warning);
            const QString tip = line->toolTip();
            line->setToolTip(tip.isEmpty() ? text : tip + QLatin1Char('\n') + text);
        }
        auto* item =
            new QListWidgetItem(warning, QStringLiteral("Line %1: ").arg(row + 1) + text, this);
        item->setData(Qt::UserRole, row);
    }
    if (typed.empty()) {
        return;
    }
    std::vector<std::string> withTyped = lines;
    withTyped.push_back(typed);
    for (const ScriptMessage& message : CheckScript(withTyped)) {
        if (message.line == withTyped.size()) {
            auto* item = new QListWidgetItem(
                warning, QStringLiteral("Typed line: ") + ToDisplayText(message.message), this);
            item->setData(Qt::UserRole, -1);
        }
    }
}

}  // namespace gleanwork
