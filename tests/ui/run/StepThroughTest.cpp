#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "support/AgentSamples.h"
#include "support/RunWindows.h"
#include "support/TempFolder.h"
#include "ui/run/CAgentOutputDlg.h"
#include "ui/run/RunStatusLine.h"
#include "ui/run/StepPanel.h"

using namespace gleanwork;
using test::kRunTimeoutMs;

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

// Steps once and waits until the run pauses before `lineIndex`.
void StepTo(CAgentOutputDlg& window, std::size_t lineIndex) {
    Click(window, "Step");
    QTRY_VERIFY_WITH_TIMEOUT(
        window.stepControl().Snapshot() && window.stepControl().Snapshot()->lineIndex == lineIndex,
        kRunTimeoutMs);
    QCoreApplication::processEvents();
}

QString Status(const CAgentOutputDlg& window) {
    return window.statusLine()->text().section(QStringLiteral(" - "), 0, 0);
}

}  // namespace

class StepThroughTest : public QObject {
    Q_OBJECT

private slots:
    void stepsThroughARunAndShowsItsState() {
        test::TempFolder folder;
        auto* window =
            new CAgentOutputDlg(MakeNamesAgent(folder), nullptr, CAgentOutputDlg::Start::kPaused);
        test::FinishedRun run(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Agent Output - Names"));
        QTRY_VERIFY_WITH_TIMEOUT(window->stepControl().IsPaused(), kRunTimeoutMs);
        QTRY_COMPARE(Status(*window), QStringLiteral("Paused at line 1"));

        // A breakpoint on the last line, then three steps.
        auto* script = window->findChild<QListWidget*>(QStringLiteral("stepScript"));
        script->item(6)->setCheckState(Qt::Checked);
        StepTo(*window, 1);
        StepTo(*window, 2);
        auto* buffer = window->findChild<QPlainTextEdit*>(QStringLiteral("stepBuffer"));
        QCOMPARE(buffer->toPlainText(), QStringLiteral("Ann"));
        QCOMPARE(window->stepPanel()->CollectedHighlight().begin, 3);
        QCOMPARE(window->stepPanel()->CollectedHighlight().end, 6);
        QCOMPARE(window->stepPanel()->CursorHighlight().begin, 6);
        QVERIFY(script->item(2)->text().contains(QStringLiteral("SAVETO first")));
        QVERIFY(script->item(2)->font().bold());
        StepTo(*window, 3);
        QCOMPARE(buffer->toPlainText(), QString());
        auto* variables = window->findChild<QTableWidget*>(QStringLiteral("stepVariables"));
        QCOMPARE(variables->rowCount(), 1);
        QCOMPARE(variables->item(0, 1)->text(), QStringLiteral("Ann"));
        QCOMPARE(Status(*window), QStringLiteral("Paused at line 4"));

        // Continue stops at the breakpoint, then runs to the end.
        Click(*window, "Continue");
        QTRY_VERIFY_WITH_TIMEOUT(
            window->stepControl().Snapshot() && window->stepControl().Snapshot()->lineIndex == 6,
            kRunTimeoutMs);
        QTRY_COMPARE(window->stepPanel()->CollectedHighlight().begin, 13);
        Click(*window, "Continue");
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunTimeoutMs);
        QCOMPARE(Status(*window), QStringLiteral("Completed"));
        QVERIFY(run.lines.contains(QStringLiteral(">> Ann")));
        Click(*window, "Close");
    }

    void closeStopsAPausedRun() {
        test::TempFolder folder;
        AgentDefinition agent = MakeNamesAgent(folder);
        agent.SCRIPT.insert(agent.SCRIPT.begin(), "FIND \"missing\"");
        QPointer<CAgentOutputDlg> window(
            new CAgentOutputDlg(agent, nullptr, CAgentOutputDlg::Start::kPaused));
        test::FinishedRun run(window);
        QTRY_VERIFY_WITH_TIMEOUT(window->stepControl().IsPaused(), kRunTimeoutMs);
        Click(*window, "Close");
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunTimeoutMs);
        QVERIFY(!run.lines.contains(QStringLiteral("# FIND \"missing\"")));
        QTRY_VERIFY(window.isNull());
    }

    void statusTextsAndErrorsAndCascade() {
        using State = RunStatusLine::State;
        QCOMPARE(RunStatusLine::StateText(State::kCompleted, 0, 2),
                 QStringLiteral("Completed with errors (2)"));
        test::TempFolder folder;
        AgentDefinition agent = MakeNamesAgent(folder);
        agent.URL = folder / "missing.html";
        auto* first = new CAgentOutputDlg(agent);
        auto* second = new CAgentOutputDlg(agent);
        QCOMPARE(second->pos(), first->pos() + QPoint(32, 32));
        test::FinishedRun run(first);
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, kRunTimeoutMs);
        QCOMPARE(Status(*first), QStringLiteral("Completed with errors (1)"));
        QVERIFY(!first->findChild<QCheckBox*>(QStringLiteral("Follow"))->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(second->IsRunFinished(), kRunTimeoutMs);
        Click(*first, "Close");
        Click(*second, "Close");
    }
};

QTEST_MAIN(StepThroughTest)
#include "StepThroughTest.moc"
