#pragma once

#include <QAbstractItemView>
#include <cstddef>

namespace gleanwork {

// A list view for long logs that keep growing: one column of rows of equal
// height, placed by arithmetic rather than laid out row by row. Adding rows,
// scrolling and painting cost only the rows on screen, whatever the number
// of rows, so the view keeps up with millions of lines. The vertical scroll
// bar moves by rows; the horizontal one spans the widest text.
class RunLogView : public QAbstractItemView {
    Q_OBJECT

public:
    explicit RunLogView(QWidget* parent = nullptr);

    // The length in characters of the longest row text, from which the view
    // estimates the width of rows not yet painted.
    void SetLongestTextLength(std::size_t characters);

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;

    void focusInEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;

private:
    int RowCount() const;
    int RowHeight() const;
    int TopRow() const;
    // Rows that fit whole in the viewport (at least 1).
    int VisibleRows() const;
    int RowWidth() const;
    QModelIndex RowIndex(int row) const;
    void GrowToText(int textWidth);

    int measuredWidth_ = 0;
    std::size_t longestText_ = 0;
};

}  // namespace gleanwork
