#include "ui/run/RunLogModel.h"

#include <algorithm>
#include <limits>

#include "ui/common/DisplayText.h"

namespace gleanwork {

RunLogModel::RunLogModel(std::shared_ptr<const RunLogLines> lines, QObject* parent)
    : QAbstractListModel(parent), lines_(std::move(lines)) {}

int RunLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

QVariant RunLogModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shownRows_) {
        return {};
    }
    return RowText(index.row());
}

QString RunLogModel::RowText(int row) const {
    std::string line = lines_->Line(static_cast<std::size_t>(row), kMostShownCharacters + 1);
    const bool cut = line.size() > kMostShownCharacters;
    if (cut) {
        line.resize(kMostShownCharacters);
    }
    QString text = ToDisplayText(line);
    if (cut) {
        text += QChar(0x2026);
    }
    return text;
}

bool RunLogModel::Refresh() {
    constexpr std::size_t kMostRows = std::numeric_limits<int>::max();
    const int stored = static_cast<int>(std::min(lines_->Count(), kMostRows));
    const std::uint64_t leftOut = lines_->LeftOut();
    const bool moved = leftOut != shownLeftOut_ && shownRows_ > 0;
    shownLeftOut_ = leftOut;
    if (moved) {
        // Rows after the gap now hold later lines.
        emit dataChanged(index(0), index(shownRows_ - 1));
    }
    if (stored <= shownRows_) {
        return moved;
    }
    beginInsertRows(QModelIndex(), shownRows_, stored - 1);
    shownRows_ = stored;
    endInsertRows();
    return true;
}

}  // namespace gleanwork
