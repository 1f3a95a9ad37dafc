#include "ui/run/RunLogView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <limits>

namespace gleanwork {

namespace {

constexpr int kTextMargin = 8;
constexpr int kHorizontalStep = 20;

}  // namespace

RunLogView::RunLogView(QWidget* parent) : QAbstractItemView(parent) {
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
    setTextElideMode(Qt::ElideNone);
    setVerticalScrollMode(ScrollPerItem);
    setHorizontalScrollMode(ScrollPerPixel);
}

void RunLogView::SetLongestTextLength(std::size_t characters) {
    if (characters != longestText_) {
        longestText_ = characters;
        updateGeometries();
    }
}

int RunLogView::RowCount() const {
    return model() == nullptr ? 0 : model()->rowCount(rootIndex());
}

int RunLogView::RowHeight() const {
    return fontMetrics().height() + 2;
}

int RunLogView::TopRow() const {
    return verticalScrollBar()->value();
}

int RunLogView::VisibleRows() const {
    return std::max(1, viewport()->height() / RowHeight());
}

int RunLogView::RowWidth() const {
    const int characterWidth = std::max(1, fontMetrics().averageCharWidth());
    const auto mostCharacters =
        static_cast<std::size_t>(std::numeric_limits<int>::max() / 4 / characterWidth);
    const int estimated = static_cast<int>(std::min(longestText_, mostCharacters)) * characterWidth;
    return std::max({measuredWidth_, estimated + 2 * kTextMargin, viewport()->width()});
}

QModelIndex RunLogView::RowIndex(int row) const {
    if (model() == nullptr || row < 0 || row >= RowCount()) {
        return {};
    }
    return model()->index(row, 0, rootIndex());
}

void RunLogView::GrowToText(int textWidth) {
    if (textWidth + 2 * kTextMargin > measuredWidth_) {
        measuredWidth_ = textWidth + 2 * kTextMargin;
        updateGeometries();
    }
}

QRect RunLogView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.parent() != rootIndex()) {
        return {};
    }
    const qint64 y = static_cast<qint64>(index.row() - TopRow()) * RowHeight();
    if (y < std::numeric_limits<int>::min() / 2 || y > std::numeric_limits<int>::max() / 2) {
        return {};
    }
    return QRect(-horizontalOffset(), static_cast<int>(y), RowWidth(), RowHeight());
}

void RunLogView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid()) {
        return;
    }
    const int row = index.row();
    const int visible = VisibleRows();
    int top = TopRow();
    switch (hint) {
        case PositionAtTop:
            top = row;
            break;
        case PositionAtBottom:
            top = row - visible + 1;
            break;
        case PositionAtCenter:
            top = row - visible / 2;
            break;
        case EnsureVisible:
            if (row < top) {
                top = row;
            } else if (row >= top + visible) {
                top = row - visible + 1;
            }
            break;
    }
    verticalScrollBar()->setValue(top);
}

QModelIndex RunLogView::indexAt(const QPoint& point) const {
    if (point.y() < 0) {
        return {};
    }
    return RowIndex(TopRow() + point.y() / RowHeight());
}

QModelIndex RunLogView::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    const int rows = RowCount();
    if (rows == 0) {
        return {};
    }
    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
    int row = current;
    switch (action) {
        case MoveUp:
        case MovePrevious:
            row = current - 1;
            break;
        case MoveDown:
        case MoveNext:
            row = current + 1;
            break;
        case MovePageUp:
            row = current - VisibleRows();
            break;
        case MovePageDown:
            row = current + VisibleRows();
            break;
        case MoveHome:
            row = 0;
            break;
        case MoveEnd:
            row = rows - 1;
            break;
        case MoveLeft:
        case MoveRight:
            return currentIndex();
    }
    return RowIndex(std::clamp(row, 0, rows - 1));
}

int RunLogView::horizontalOffset() const {
    return horizontalScrollBar()->value();
}

int RunLogView::verticalOffset() const {
    return TopRow() * RowHeight();
}

bool RunLogView::isIndexHidden(const QModelIndex&) const {
    return false;
}

void RunLogView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    const int rows = RowCount();
    if (rows == 0 || selectionModel() == nullptr) {
        return;
    }
    const QRect area = rect.normalized();
    const int first = std::clamp(TopRow() + std::max(0, area.top()) / RowHeight(), 0, rows - 1);
    const int last =
        std::clamp(TopRow() + std::max(0, area.bottom()) / RowHeight(), first, rows - 1);
    selectionModel()->select(QItemSelection(RowIndex(first), RowIndex(last)), command);
}

QRegion RunLogView::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    const int top = TopRow();
    const int bottom = top + VisibleRows();
    for (const QItemSelectionRange& range : selection) {
        const int first = std::max(range.top(), top);
        const int last = std::min(range.bottom(), bottom);
        if (first <= last) {
            region += visualRect(RowIndex(first)).united(visualRect(RowIndex(last)));
        }
    }
    return region;
}

// Taking the focus with no current row, an item view makes its first row
// current, which then shows a focus band. A log has no current row until the
// user picks one, and the first arrow key then goes to the first row.
void RunLogView::focusInEvent(QFocusEvent* event) {
    const bool hadCurrent = currentIndex().isValid();
    QAbstractItemView::focusInEvent(event);
    if (!hadCurrent && currentIndex().isValid() && selectionModel() != nullptr) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void RunLogView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int rows = RowCount();
    const int height = RowHeight();
    const int first = TopRow() + std::max(0, event->rect().top()) / height;
    const int last = std::min(rows - 1, TopRow() + event->rect().bottom() / height);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    int widest = 0;
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = RowIndex(row);
        option.rect = visualRect(index);
        option.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        if (selectionModel() != nullptr && selectionModel()->isSelected(index)) {
            option.state |= QStyle::State_Selected;
        }
        if (index == currentIndex() && hasFocus()) {
            option.state |= QStyle::State_HasFocus;
        }
        itemDelegateForIndex(index)->paint(&painter, option, index);
        widest = std::max(widest, fontMetrics().horizontalAdvance(index.data().toString()));
    }
    GrowToText(widest);
}

void RunLogView::updateGeometries() {
    const int visible = VisibleRows();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setRange(0, std::max(0, RowCount() - visible));
    horizontalScrollBar()->setSingleStep(kHorizontalStep);
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setRange(0, std::max(0, RowWidth() - viewport()->width()));
    QAbstractItemView::updateGeometries();
}

void RunLogView::scrollContentsBy(int, int) {
    viewport()->update();
}

void RunLogView::rowsInserted(const QModelIndex& parent, int start, int end) {
    QAbstractItemView::rowsInserted(parent, start, end);
    updateGeometries();
    if (start <= TopRow() + VisibleRows()) {
        viewport()->update();
    }
}

// The base class measures every changed row to find the area to repaint; a
// change that spans more rows than the viewport shows (all rows after the
// gap once early lines are left out) is one repaint of what shows instead.
void RunLogView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                             const QList<int>& roles) {
    if (bottomRight.row() - topLeft.row() > VisibleRows()) {
        viewport()->update();
        return;
    }
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

}  // namespace gleanwork
