// Agent Output windows: Close ends even an endless run, the stored lines lose
// nothing, and the view browses a million of them.
#include <QPointer>
#include <QScrollBar>
#include <QtTest>

#include "support/RunWindows.h"
#include "ui/run/RunLogLines.h"
#include "ui/run/RunLogModel.h"
#include "ui/run/RunLogView.h"

using namespace gleanwork;
using test::FinishedRun;
using test::kRunTimeoutMs;

class AgentOutputTest : public QObject {
    Q_OBJECT

private slots:
    void closeEndsAnEndlessRun_data() {
        QTest::addColumn<int>("rowsBeforeClose");
        QTest::newRow("while it loops") << 1000;
        QTest::newRow("right after opening") << 0;
    }
    void closeEndsAnEndlessRun() {
        QFETCH(int, rowsBeforeClose);
        const test::TempFolder folder;
        test::WriteFile(folder / "source.txt", "abc");
        QPointer<CAgentOutputDlg> window =
            new CAgentOutputDlg(test::MakeEndlessAgent("Endless", folder / "source.txt"));
        FinishedRun run(window);
        QTRY_VERIFY_WITH_TIMEOUT(window->model()->rowCount() >= rowsBeforeClose, kRunTimeoutMs);
        window->reject();
        QVERIFY(!window->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunTimeoutMs);
        QCOMPARE(run.lines.last(), QString("Agent completed."));
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kRunTimeoutMs);
    }

    void storedLinesKeepTheirOrderAndText() {
        auto lines = std::make_shared<RunLogLines>();
        std::vector<std::string> expected{"first", "", std::string(3 << 20, 'x')};
        for (int index = 0; index < 300000; ++index) {
            expected.push_back("line " + std::to_string(index));
        }
        for (const std::string& line : expected) {
            lines->Append(line);
        }
        QCOMPARE(lines->Count(), expected.size());
        for (std::size_t index = 0; index < expected.size(); ++index) {
            QVERIFY2(lines->Line(index) == expected[index], qPrintable(QString::number(index)));
        }
        QCOMPARE(lines->LongestLength(), expected[2].size());
        RunLogModel model(lines);
        model.Refresh();
        QCOMPARE(model.rowCount(), static_cast<int>(expected.size()));
        QCOMPARE(model.RowText(2).size(), qsizetype(RunLogModel::kMostShownCharacters + 1));
        QCOMPARE(model.RowText(2).back(), QChar(0x2026));
    }

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

QTEST_MAIN(AgentOutputTest)
#include "AgentOutputTest.moc"
