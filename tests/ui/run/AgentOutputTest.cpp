// Agent Output windows: a run lists the engine's log as it goes, Close ends
// even an endless run, the program's end stops every run, and the stored
// lines lose nothing.
#include <QPointer>
#include <QtTest>

#include "engine/AgentEngine.h"
#include "support/RecordingRunLog.h"
#include "support/RunWindows.h"
#include "ui/run/RunLogLines.h"
#include "ui/run/RunLogModel.h"

using namespace gleanwork;
using test::FinishedRun;
using test::kRunTimeoutMs;

class AgentOutputTest : public QObject {
    Q_OBJECT

private slots:
    void aRunListsTheEngineLogInOrderAndStaysOpen() {
        const test::TempFolder folder;
        test::WriteFile(folder / "page.html", "<a href=\"one\">1</a> <a href=\"two\">2</a>\n");
        AgentDefinition agent = test::MakeAgent("Links");
        agent.URL = folder / "page.html";
        agent.FILE = folder / "links.txt";
        agent.SCRIPT = {"BOOKMARK next",
                        "FIND \"href=\\\"\"",
                        "JUMPIFFAILED done",
                        "GETUNTIL \"\\\"\"",
                        "PRINT",
                        "PRINTLN",
                        "JUMPIFOK next",
                        "BOOKMARK done",
                        "bogus"};
        test::RecordingRunLog expected;
        AgentEngine(agent, &expected).Run();
        QStringList expectedLines;
        for (const std::string& line : expected.lines) {
            expectedLines << QString::fromStdString(line);
        }

        QPointer<CAgentOutputDlg> window = new CAgentOutputDlg(agent);
        FinishedRun run(window);
        QCOMPARE(window->windowTitle(), QString("Agent Output"));
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunTimeoutMs);
        QCOMPARE(run.lines, expectedLines);
        QCOMPARE(test::ReadFile(folder / "links.txt"), std::string("one\ntwo\n"));
        QVERIFY(window->isVisible());
        window->reject();
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kRunTimeoutMs);
    }

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

    void theProgramsEndStopsEveryRun() {
        const test::TempFolder folder;
        test::WriteFile(folder / "source.txt", "abc");
        const AgentDefinition agent = test::MakeEndlessAgent("Endless", folder / "source.txt");
        QPointer<CAgentOutputDlg> shown = new CAgentOutputDlg(agent);
        QPointer<CAgentOutputDlg> hidden = new CAgentOutputDlg(agent);
        hidden->hide();
        QTRY_VERIFY_WITH_TIMEOUT(shown->model()->rowCount() > 100, kRunTimeoutMs);
        CAgentOutputDlg::EndAllRuns();
        QVERIFY(shown.isNull() && hidden.isNull());
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
};

QTEST_MAIN(AgentOutputTest)
#include "AgentOutputTest.moc"
