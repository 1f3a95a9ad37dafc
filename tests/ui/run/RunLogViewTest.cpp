#include <QScrollBar>
#include <QtTest>

#include "ui/run/RunLogLines.h"
#include "ui/run/RunLogModel.h"
#include "ui/run/RunLogView.h"

using namespace gleanwork;

class RunLogViewTest : public QObject {
    Q_OBJECT

private slots:
    // New lines leave the view alone; clicks and keys select one row; the
    // last of a million lines and the end of a long line can be reached.
    void aMillionLinesCanBeBrowsed() {
        auto lines = std::make_shared<RunLogLines>();
        RunLogModel model(lines);
        RunLogView view;
        view.setModel(&model);
        view.resize(400, 300);
        view.show();
        for (int row = 0; row < 1000000; ++row) {
            lines->Append(row == 3 ? std::string(400, 'W') : "line " + std::to_string(row));
        }
        model.Refresh();
        view.SetLongestTextLength(lines->LongestLength());
        QCOMPARE(view.verticalScrollBar()->value(), 0);
        QVERIFY(view.horizontalScrollBar()->maximum() > 0);
        const int height = view.visualRect(model.index(0)).height();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(10, 2 * height + 2));
        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(view.currentIndex().row(), 3);
        QTest::keyClick(&view, Qt::Key_End);
        const int page = view.verticalScrollBar()->pageStep();
        QCOMPARE(view.indexAt(QPoint(5, (page - 1) * height + 1)).row(), 999999);
        QCOMPARE(view.selectionModel()->selectedRows().size(), 1);
    }
};

QTEST_MAIN(RunLogViewTest)
#include "RunLogViewTest.moc"
