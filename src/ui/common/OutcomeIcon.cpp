#include "ui/common/OutcomeIcon.h"

#include <QPainter>
#include <QPixmap>
#include <array>

namespace gleanwork {

namespace {

constexpr int kIconSize = 12;

QColor OutcomeColour(HistoryOutcome outcome) {
    switch (outcome) {
        case HistoryOutcome::kOk:
        case HistoryOutcome::kUnchanged:
            return {46, 160, 67};
        case HistoryOutcome::kChanged:
            return {31, 111, 235};
        case HistoryOutcome::kEmpty:
            return {212, 140, 0};
        case HistoryOutcome::kFailed:
            return {207, 34, 46};
        case HistoryOutcome::kStopped:
            break;
    }
    return {128, 128, 128};
}

QIcon DrawIcon(HistoryOutcome outcome) {
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

QIcon OutcomeIcon(HistoryOutcome outcome) {
    static const std::array<QIcon, 6> icons{
        DrawIcon(HistoryOutcome::kOk),        DrawIcon(HistoryOutcome::kChanged),
        DrawIcon(HistoryOutcome::kUnchanged), DrawIcon(HistoryOutcome::kEmpty),
        DrawIcon(HistoryOutcome::kFailed),    DrawIcon(HistoryOutcome::kStopped)};
    return icons.at(static_cast<std::size_t>(outcome));
}

QString OutcomeText(HistoryOutcome outcome) {
    const std::string_view word = OutcomeWord(outcome);
    return QString::fromLatin1(word.data(), static_cast<qsizetype>(word.size()));
}

}  // namespace gleanwork
