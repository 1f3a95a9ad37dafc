#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "ui/run/RunLogLines.h"

namespace gleanwork {

// A list model over the lines of a run log. Lines stored by the run's thread
// become rows only when Refresh() announces them, on the window's thread, so
// the view is told about new rows in batches rather than line by line.
class RunLogModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit RunLogModel(std::shared_ptr<const RunLogLines> lines, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Adds the lines stored since the last call as rows, and announces rows
    // whose lines moved on. Returns true when anything changed.
    bool Refresh();

    // The text of a row, as shown: a line longer than kMostShownCharacters
    // shows its beginning and an ellipsis.
    QString RowText(int row) const;

    static constexpr std::size_t kMostShownCharacters = 8192;

private:
    std::shared_ptr<const RunLogLines> lines_;
    int shownRows_ = 0;
    std::uint64_t shownLeftOut_ = 0;
};

}  // namespace gleanwork
