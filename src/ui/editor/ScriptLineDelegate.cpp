#include "ui/editor/ScriptLineDelegate.h"

#include <QApplication>
#include <QPainter>

#include "script/ScriptLine.h"

namespace gleanwork {

void ScriptLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    QStyle* style = item.widget != nullptr ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);

    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget);
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    const QString keyword = space < 0 ? text : text.left(space);
    const bool known = ParseScriptLine(keyword.toStdString()).command != ScriptCommand::kUnknown;
    const bool selected = (item.state & QStyle::State_Selected) != 0;
    painter->save();
    QFont bold = item.font;
    bold.setBold(true);
    painter->setFont(bold);
    if (!selected) {
        painter->setPen(known ? QColor(0, 70, 160) : QColor(190, 0, 0));
    }
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    QRect used;
    painter->drawText(area, flags, keyword, &used);
    painter->setFont(item.font);
    painter->setPen(item.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(area.adjusted(used.width(), 0, 0, 0), flags, text.mid(keyword.size()));
    painter->restore();
}

}  // namespace gleanwork
