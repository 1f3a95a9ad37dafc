#include "ui/common/OutcomeIcon.h"

#include <QPainter>
#include <QPixmap>
#include <array>

namespace gleanwork {

namespace {

constexpr int kIconSize = 12;

QColor OutcomeColour(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::kOk:
        case RunOutcome::kUnchanged:
            return {46, 160, 67};
        case RunOutcome::kChanged:
            return {31, 111, 235};
        case RunOutcome::kEmpty:
            return {212, 140, 0};
        case RunOutcome::kFailed:
            return {207, 34, 46};
        case RunOutcome::kStopped:
            break;
    }
    return {128, 128, 128};
}

QIcon DrawIcon(RunOutcome outcome) {
    QPixmap mark(kIconSize, kIconSize);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(OutcomeColour(outcome).darker(130));
    painter.setBrush(OutcomeColour(outcome));
    painter.drawEllipse(QRectF(1, 1, kIconSize - 2, kIconSize - 2));
    return QIcon(mark);
}

}  // namespace

QIcon OutcomeIcon(RunOutcome outcome) {
    static const std::array<QIcon, 6> icons{
        DrawIcon(RunOutcome::kOk),        DrawIcon(RunOutcome::kChanged),
        DrawIcon(RunOutcome::kUnchanged), DrawIcon(RunOutcome::kEmpty),
        DrawIcon(RunOutcome::kFailed),    DrawIcon(RunOutcome::kStopped)};
    return icons.at(static_cast<std::size_t>(outcome));
}

QString OutcomeText(RunOutcome outcome) {
    const std::string_view word = OutcomeWord(outcome);
    return QString::fromLatin1(word.data(), static_cast<qsizetype>(word.size()));
}

}  // namespace gleanwork
