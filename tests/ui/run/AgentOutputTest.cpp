// Agent Output windows: Close ends even an endless run, the stored lines lose
// nothing, the view browses a million of them, and a paused run is stepped
// through.
#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

#include "support/RunWindows.h"
#include "ui/run/RunLogLines.h"
#include "ui/run/RunLogModel.h"
#include "ui/run/RunLogView.h"
#include "ui/run/RunStatusLine.h"
#include "ui/run/StepPanel.h"

using namespace gleanwork;
using test::FinishedRun;
using test::kRunTimeoutMs;
using Start = CAgentOutputDlg::Start;

namespace {

AgentDefinition MakeNamesAgent(const test::TempFolder& folder) {
    test::WriteFile(folder / "names.html", "<b>Ann</b><b>Bob</b>");
    AgentDefinition agent = test::MakeAgent("Names");
    agent.URL = folder / "names.html";
    agent.FILE = folder / "names.txt";
    agent.SCRIPT = {"FIND \"<b>\"",        "GETUNTIL \"</b>\"", "SAVETO first",
                    "FIND \"<b>\"",        "GETUNTIL \"</b>\"", "PRINTLN \"{first}\"",
                    "PRINTLN \"{second}\""};
    return agent;
}

void Click(CAgentOutputDlg& window, const char* button) {
    window.findChild<QPushButton*>(QLatin1String(button))->click();
}

// Clicks `button` (Step or Continue) and waits until the run pauses before
// `lineIndex`.
void StepTo(CAgentOutputDlg& window, const char* button, std::size_t lineIndex) {
    Click(window, button);
    QTRY_VERIFY_WITH_TIMEOUT(
        window.stepControl().Snapshot() && window.stepControl().Snapshot()->lineIndex == lineIndex,
        kRunTimeoutMs);
    QCoreApplication::processEvents();
}

QString Status(const CAgentOutputDlg& window) {
    return window.statusLine()->text().section(QStringLiteral(" - "), 0, 0);
}

}  // namespace

class AgentOutputTest : public QObject {
    Q_OBJECT

private slots:
    void closeEndsAnEndlessRun_data() {
        QTest::addColumn<int>("rowsBeforeClose");
        QTest::addColumn<bool>("paused");
        QTest::newRow("while it loops") << 1000 << false;
        QTest::newRow("right after opening") << 0 << false;
        QTest::newRow("paused before its first line") << 0 << true;
    }
    void closeEndsAnEndlessRun() {
        QFETCH(int, rowsBeforeClose);
        QFETCH(bool, paused);
        const test::TempFolder folder;
        test::WriteFile(folder / "source.txt", "abc");
        QPointer<CAgentOutputDlg> window =
            new CAgentOutputDlg(test::MakeEndlessAgent("Endless", folder / "source.txt"), nullptr,
                                paused ? Start::kPaused : Start::kRunning);
        FinishedRun run(window);
        QTRY_VERIFY_WITH_TIMEOUT(window->model()->rowCount() >= rowsBeforeClose &&
                                     window->stepControl().IsPaused() == paused,
                                 kRunTimeoutMs);
        Click(*window, "Close");
        QVERIFY(!window->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunTimeoutMs);
        QCOMPARE(run.lines.last(), QString("Agent completed."));
        QVERIFY(!paused || run.lines.filter("# ").isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kRunTimeoutMs);
    }

    void storedLinesKeepTheirOrderAndText() {
        auto lines = std::make_shared<RunLogLines>(0, 400000);
        std::vector<std::string> expected{"first", "", std::string(3 << 20, 'x')};
        for (int index = 0; index < 300000; ++index) {
            expected.push_back("line " + std::to_string(index));
        }
        for (const std::string& line : expected) {
            lines->Append(line);
        }
        QCOMPARE(lines->Count(), expected.size());
        for (std::size_t index = 0; index < expected.size(); ++index) {
            QVERIFY2(lines->Line(index) ==
                         expected[index].substr(0, RunLogModel::kMostShownCharacters + 1),
                     qPrintable(QString::number(index)));
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
        auto lines = std::make_shared<RunLogLines>(0, 2000000);
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

    void stepsThroughARunAndShowsItsState() {
        test::TempFolder folder;
        auto* window = new CAgentOutputDlg(MakeNamesAgent(folder), nullptr, Start::kPaused);
        test::FinishedRun run(window);
        QTRY_VERIFY_WITH_TIMEOUT(window->stepControl().IsPaused(), kRunTimeoutMs);
        QTRY_COMPARE(Status(*window), QStringLiteral("Paused at line 1"));

        // A breakpoint on the last line, then three steps.
        auto* script = window->findChild<QListWidget*>(QStringLiteral("stepScript"));
        script->item(6)->setCheckState(Qt::Checked);
        StepTo(*window, "Step", 1);
        StepTo(*window, "Step", 2);
        auto* buffer = window->findChild<QPlainTextEdit*>(QStringLiteral("stepBuffer"));
        QCOMPARE(buffer->toPlainText(), QStringLiteral("Ann"));
        QCOMPARE(window->stepPanel()->CollectedHighlight().begin, 3);
        QCOMPARE(window->stepPanel()->CollectedHighlight().end, 6);
        QCOMPARE(window->stepPanel()->CursorHighlight().begin, 6);
        QVERIFY(script->item(2)->font().bold());
        StepTo(*window, "Step", 3);
        QCOMPARE(buffer->toPlainText(), QString());
        auto* variables = window->findChild<QTableWidget*>(QStringLiteral("stepVariables"));
        QCOMPARE(variables->rowCount(), 1);
        QCOMPARE(variables->item(0, 1)->text(), QStringLiteral("Ann"));
        QCOMPARE(Status(*window), QStringLiteral("Paused at line 4"));

        // Continue stops at the breakpoint, then runs to the end.
        StepTo(*window, "Continue", 6);
        QTRY_COMPARE(window->stepPanel()->CollectedHighlight().begin, 13);
        Click(*window, "Continue");
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunTimeoutMs);
        QCOMPARE(Status(*window), QStringLiteral("Completed"));
        QVERIFY(run.lines.contains(QStringLiteral(">> Ann")));
        Click(*window, "Close");
    }

    void statusTextsAndErrorsAndCascade() {
        test::TempFolder folder;
        AgentDefinition agent = MakeNamesAgent(folder);
        agent.URL = folder / "missing.html";
        auto* first = new CAgentOutputDlg(agent);
        auto* second = new CAgentOutputDlg(agent);
        QCOMPARE(second->pos(), first->pos() + QPoint(32, 32));
        test::FinishedRun run(first);
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunTimeoutMs);
        QCOMPARE(Status(*first), QStringLiteral("Completed with errors (2)"));
        QVERIFY(!first->findChild<QCheckBox*>(QStringLiteral("Follow"))->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(second->IsRunFinished(), kRunTimeoutMs);
        Click(*first, "Close");
        Click(*second, "Close");
    }
};

QTEST_MAIN(AgentOutputTest)
#include "AgentOutputTest.moc"
