#include <QApplication>
#include <QListView>
#include <QPointer>
#include <QtTest>
#include <thread>

#include "engine/AgentEngine.h"
#include "support/AgentFixtures.h"
#include "support/FinishedRun.h"
#include "support/RecordingRunLog.h"
#include "support/TempFolder.h"
#include "ui/run/CAgentOutputDlg.h"
#include "ui/run/RunLogLines.h"
#include "ui/run/RunLogModel.h"

using namespace gleanwork;
using test::FinishedRun;
using test::kRunTimeoutMs;

namespace {

QStringList ToStringList(const std::vector<std::string>& lines) {
    QStringList result;
    for (const std::string& line : lines) {
        result << QString::fromStdString(line);
    }
    return result;
}

AgentDefinition MakeListingAgent(const test::TempFolder& folder) {
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
    return agent;
}

}  // namespace

class AgentOutputTest : public QObject {
    Q_OBJECT

private slots:
    void storedLinesKeepTheirOrderAndText() {
        RunLogLines lines;
        const std::string longLine(3 * 1024 * 1024, 'x');
        lines.Append("first");
        lines.Append("");
        lines.Append(longLine);
        for (int index = 0; index < 100000; ++index) {
            lines.Append("line " + std::to_string(index));
        }
        QCOMPARE(lines.Count(), std::size_t{100003});
        QCOMPARE(lines.Line(0), std::string("first"));
        QCOMPARE(lines.Line(1), std::string());
        QVERIFY(lines.Line(2) == longLine);
        QCOMPARE(lines.Line(100002), std::string("line 99999"));
        QCOMPARE(lines.Line(100003), std::string());
        QCOMPARE(lines.LongestLength(), longLine.size());
        QCOMPARE(lines.Line(0, 3), std::string("fir"));
    }

    void aHugeLineShowsItsBeginning() {
        auto lines = std::make_shared<RunLogLines>();
        lines->Append(std::string(1000000, 'x'));
        lines->Append("short");
        RunLogModel model(lines);
        model.Refresh();
        const QString shown = model.RowText(0);
        QCOMPARE(shown.size(), qsizetype(RunLogModel::kMostShownCharacters + 1));
        QCOMPARE(shown.back(), QChar(0x2026));
        QCOMPARE(model.RowText(1), QString("short"));
    }

    void linesFromAnotherThreadAreStoredWhenAppendReturns() {
        auto lines = std::make_shared<RunLogLines>();
        RunLogModel model(lines);
        std::thread writer([&lines] {
            for (int index = 0; index < 50000; ++index) {
                lines->Append(std::to_string(index));
                if (lines->Count() != static_cast<std::size_t>(index) + 1) {
                    lines->Append("lost");
                }
            }
        });
        writer.join();
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(model.Refresh());
        QVERIFY(!model.Refresh());
        QCOMPARE(model.rowCount(), 50000);
        QCOMPARE(model.RowText(49999), QString("49999"));
    }

    void aRunListsTheEngineLogInOrder() {
        test::TempFolder folder;
        const AgentDefinition agent = MakeListingAgent(folder);
        test::RecordingRunLog expected;
        AgentEngine(agent, &expected).Run();
        QVERIFY(expected.lines.size() > 10);

        QPointer<CAgentOutputDlg> window = new CAgentOutputDlg(agent);
        FinishedRun run(window);
        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), QString("Agent Output - Links"));
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunTimeoutMs);
        QCOMPARE(run.lines, ToStringList(expected.lines));
        QCOMPARE(run.lines.last(), QString("Agent completed."));
        // The empty line after "Starting script..." is a list line of its own.
        QCOMPARE(run.lines.at(run.lines.indexOf("Starting script...") + 1), QString());
        QCOMPARE(QString::fromStdString(test::ReadFile(folder / "links.txt")),
                 QString("one\ntwo\n"));

        // The window stays open after the run; Close then deletes it.
        QVERIFY(window->isVisible());
        window->reject();
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kRunTimeoutMs);
    }

    void theRecordMayChangeWhileItRuns() {
        test::TempFolder folder;
        AgentDefinition agent = MakeListingAgent(folder);
        QPointer<CAgentOutputDlg> window = new CAgentOutputDlg(agent);
        FinishedRun run(window);
        agent.SCRIPT.assign(1000, "PRINTLN changed");
        agent.URL.clear();
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunTimeoutMs);
        QVERIFY(!run.lines.contains("# PRINTLN changed"));
        delete window;
    }

    void closeEndsAnEndlessLoop_data() {
        QTest::addColumn<int>("rowsBeforeClose");
        QTest::newRow("while it loops") << 1000;
        QTest::newRow("right after opening") << 0;
    }
    void closeEndsAnEndlessLoop() {
        QFETCH(int, rowsBeforeClose);
        test::TempFolder folder;
        test::WriteFile(folder / "source.txt", "abc");
        QPointer<CAgentOutputDlg> window =
            new CAgentOutputDlg(test::MakeEndlessAgent("Endless", folder / "source.txt"));
        FinishedRun run(window);
        if (rowsBeforeClose > 0) {
            QTRY_VERIFY_WITH_TIMEOUT(window->model()->rowCount() > rowsBeforeClose, kRunTimeoutMs);
            QVERIFY(!run.finished);
        }
        window->reject();
        QVERIFY(!window->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunTimeoutMs);
        QCOMPARE(run.lines.last(), QString("Agent completed."));
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kRunTimeoutMs);
    }

    void twoWindowsRunTheSameAgentApart() {
        test::TempFolder folder;
        const AgentDefinition agent = MakeListingAgent(folder);
        QPointer<CAgentOutputDlg> first = new CAgentOutputDlg(agent);
        QPointer<CAgentOutputDlg> second = new CAgentOutputDlg(agent);
        FinishedRun firstRun(first);
        FinishedRun secondRun(second);
        QTRY_VERIFY_WITH_TIMEOUT(firstRun.finished && secondRun.finished, kRunTimeoutMs);
        QCOMPARE(firstRun.lines, secondRun.lines);
        QVERIFY(first != second);
        delete first;
        delete second;
    }

    void programEndStopsEveryRunAndWaits() {
        test::TempFolder folder;
        test::WriteFile(folder / "source.txt", "abc");
        const AgentDefinition agent = test::MakeEndlessAgent("Endless", folder / "source.txt");
        QPointer<CAgentOutputDlg> shown = new CAgentOutputDlg(agent);
        QPointer<CAgentOutputDlg> closed = new CAgentOutputDlg(agent);
        closed->hide();
        QTRY_VERIFY_WITH_TIMEOUT(shown->model()->rowCount() > 100, kRunTimeoutMs);
        CAgentOutputDlg::EndAllRuns();
        QVERIFY(shown.isNull());
        QVERIFY(closed.isNull());
    }
};

QTEST_MAIN(AgentOutputTest)
#include "AgentOutputTest.moc"
