#pragma once

#include <QStyledItemDelegate>

namespace gleanwork {

// Paints a script line with its command keyword highlighted: bold and
// coloured when the command table knows it, red when it does not.
class ScriptLineDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace gleanwork
