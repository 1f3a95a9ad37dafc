#include <QScrollBar>
#include <QtTest>
#include <memory>

#include "ui/run/RunLogLines.h"
#include "ui/run/RunLogModel.h"
#include "ui/run/RunLogView.h"

using namespace gleanwork;

namespace {

// A shown view over `rows` numbered lines.
struct ShownLog {
    explicit ShownLog(int rows) : lines(std::make_shared<RunLogLines>(0, 2000000)), model(lines) {
        Add(rows);
        view.setModel(&model);
        view.resize(400, 300);
        view.show();
    }
    void Add(int rows) {
        const std::size_t first = lines->Count();
        for (std::size_t row = first; row < first + static_cast<std::size_t>(rows); ++row) {
            lines->Append("line " + std::to_string(row));
        }
        model.Refresh();
        view.SetLongestTextLength(lines->LongestLength());
    }
    int RowHeight() const { return view.visualRect(model.index(0)).height(); }

    std::shared_ptr<RunLogLines> lines;
    RunLogModel model;
    RunLogView view;
};

}  // namespace

class RunLogViewTest : public QObject {
    Q_OBJECT

private slots:
    void scrollingToTheEndShowsTheLastOfAMillionLines() {
        ShownLog log(1000000);
        QScrollBar* bar = log.view.verticalScrollBar();
        const int visible = bar->pageStep();
        QVERIFY(visible > 1);
        QCOMPARE(bar->maximum(), 1000000 - visible);
        log.view.scrollToBottom();
        const QPoint lastRowPoint(5, (visible - 1) * log.RowHeight() + 1);
        QCOMPARE(log.view.indexAt(lastRowPoint).row(), 999999);
        QVERIFY(!log.view.indexAt(QPoint(5, visible * log.RowHeight() + 1)).isValid());
    }

    void newLinesDoNotMoveTheView() {
        ShownLog log(10);
        log.Add(5000);
        QCOMPARE(log.view.verticalScrollBar()->value(), 0);
        QCOMPARE(log.view.indexAt(QPoint(5, 1)).row(), 0);
    }

    void clickAndKeysSelectOneRow() {
        ShownLog log(1000);
        const int height = log.RowHeight();
        QTest::mouseClick(log.view.viewport(), Qt::LeftButton, {}, QPoint(10, 3 * height + 2));
        QCOMPARE(log.view.currentIndex().row(), 3);
        QCOMPARE(log.view.selectionModel()->selectedRows().size(), 1);
        QTest::keyClick(&log.view, Qt::Key_Down);
        QCOMPARE(log.view.currentIndex().row(), 4);
        QTest::keyClick(&log.view, Qt::Key_End);
        QCOMPARE(log.view.currentIndex().row(), 999);
        QCOMPARE(
            log.view.indexAt(QPoint(5, (log.view.verticalScrollBar()->pageStep() - 1) * height + 1))
                .row(),
            999);
        QTest::keyClick(&log.view, Qt::Key_Home);
        QCOMPARE(log.view.currentIndex().row(), 0);
        QCOMPARE(log.view.verticalScrollBar()->value(), 0);
        QCOMPARE(log.view.selectionModel()->selectedRows().size(), 1);
    }

    void aLongLineCanBeScrolledTo() {
        ShownLog log(3);
        QCOMPARE(log.view.horizontalScrollBar()->maximum(), 0);
        log.lines->Append(std::string(400, 'W'));
        log.model.Refresh();
        log.view.SetLongestTextLength(log.lines->LongestLength());
        QVERIFY(log.view.horizontalScrollBar()->maximum() > 0);
        QVERIFY(log.view.visualRect(log.model.index(3)).width() > log.view.viewport()->width());
    }
};

QTEST_MAIN(RunLogViewTest)
#include "RunLogViewTest.moc"
