#include <QDialogButtonBox>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "net/LoopbackServer.h"
#include "support/RunWindows.h"
#include "ui/editor/CPreviewSourceDlg.h"
#include "ui/run/RunLogModel.h"

using namespace gleanwork;

namespace {

// A window that does not go away within this time after Close waited for
// its server.
constexpr int kCloseMs = 500;

using Replies = std::vector<test::ScriptedReply>;

const test::ScriptedReply kStall{{}, {}, test::ScriptedReply::Ending::Hold};

}  // namespace

Q_DECLARE_METATYPE(Replies)

class OutputFailuresTest : public QObject {
    Q_OBJECT

private slots:
    void failedOrStoppedRunsKeepTheOutput_data() {
        QTest::addColumn<Replies>("replies");
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("closeAfter");  // the line after which Close is clicked
        QTest::addColumn<QString>("errorLine");
        QTest::newRow("status 404") << Replies{test::Reply("HTTP/1.0 404 Not Found\r\n\r\nx")}
                                    << "http" << QString() << "ERROR: HTTP/1.0 404 Not Found";
        QTest::newRow("refused connect")
            << Replies{} << "http" << QString() << "ERROR: Failed to connect";
        QTest::newRow("Close during a stalled receive") << Replies{kStall} << "http"
                                                        << "Accessing URL - /" << QString();
        QTest::newRow("Close during a stalled handshake") << Replies{kStall} << "https"
                                                          << "Contacting host: " << QString();
    }
    void failedOrStoppedRunsKeepTheOutput() {
        QFETCH(Replies, replies);
        QFETCH(QString, scheme);
        QFETCH(QString, closeAfter);
        QFETCH(QString, errorLine);
        const test::TempFolder folder;
        test::WriteFile(folder / "out.txt", "old");
        test::LoopbackServer server(replies);
        AgentDefinition agent = test::MakeAgent("Failing");
        agent.URL = replies.empty()
                        ? "http://127.0.0.1:" + std::to_string(test::RefusingPort().Port()) + "/"
                        : scheme.toStdString() + server.Url().substr(4);
        agent.FILE = folder / "out.txt";
        agent.SCRIPT = {"PRINTLN \"new\""};
        QPointer<CAgentOutputDlg> window = new CAgentOutputDlg(agent);
        test::FinishedRun run(window);
        if (!closeAfter.isEmpty()) {
            const RunLogModel& model = *window->model();
            QTRY_VERIFY_WITH_TIMEOUT(
                !model.match(model.index(0), Qt::DisplayRole, closeAfter, 1, Qt::MatchStartsWith)
                     .isEmpty(),
                test::kRunTimeoutMs);
            window->reject();
            QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kCloseMs);
        }
        QTRY_VERIFY_WITH_TIMEOUT(run.finished, test::kRunTimeoutMs);
        QCOMPARE(run.lines.last(), QStringLiteral("Agent completed."));
        QCOMPARE(run.lines.filter("ERROR: ").value(0), errorLine.isEmpty() ? QString() : errorLine);
        QCOMPARE(test::ReadFile(folder / "out.txt"), std::string("old"));
        delete window;
    }

    void anEndlessRunKeepsItsMemoryBoundedAndItsWholeLogSavable() {
        const test::TempFolder folder;
        test::WriteFile(folder / "source.txt", "aaa");
        QPointer<CAgentOutputDlg> window =
            new CAgentOutputDlg(test::MakeEndlessAgent("Endless", folder / "source.txt"));
        const RunLogModel& model = *window->model();
        QTRY_VERIFY_WITH_TIMEOUT(model.rowCount() > 2000 && model.RowText(2000).startsWith("[... "),
                                 test::kRunTimeoutMs);
        int error = 0;
        QVERIFY(window->SaveLog(folder / "whole.log", error));
        const std::string whole = test::ReadFile(folder / "whole.log");
        QVERIFY(whole.starts_with("Engine started.\n"));
        QVERIFY(std::count(whole.begin(), whole.end(), '\n') > model.rowCount());
        QVERIFY(model.rowCount() <= 2000 + 1 + 100000);
        window->reject();
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), test::kRunTimeoutMs);
    }

    void previewShowsAFailedReadAndCancelStopsAStalledOne() {
        test::LoopbackServer server({test::Reply("HTTP/1.0 404 Not Found\r\n\r\nx"), kStall});
        AgentDefinition agent = test::MakeAgent("Preview");
        agent.URL = server.Url();
        QPointer<CPreviewSourceDlg> failed = new CPreviewSourceDlg(agent, HttpLimits{});
        QTRY_VERIFY_WITH_TIMEOUT(!failed->IsReading(), test::kRunTimeoutMs);
        QVERIFY(failed->text().contains("ERROR: HTTP/1.0 404 Not Found"));
        delete failed;

        QPointer<CPreviewSourceDlg> stalled = new CPreviewSourceDlg(agent, HttpLimits{});
        QTRY_VERIFY_WITH_TIMEOUT(server.Requests().size() == 2, test::kRunTimeoutMs);
        stalled->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        QTRY_VERIFY_WITH_TIMEOUT(stalled.isNull(), kCloseMs);
    }
};

QTEST_MAIN(OutputFailuresTest)
#include "OutputFailuresTest.moc"
