// The windows of the run history, schedules and alerts as users work them:
// the editor's Schedule and alerts page (a schedule chosen and written, its
// next runs, refusals; events, the test alert; the lines to ignore against
// the last kept output), and the timer units that saving the agents writes
// and removes; a click on an alert's notification.
#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextLayout>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>

#include "net/LoopbackServer.h"
#include "storage/AgentCatalogue.h"
#include "support/AgentSamples.h"
#include "support/ModalDriver.h"
#include "support/SystemdCalendar.h"
#include "support/TempFolder.h"
#include "ui/admin/CGleanworkSheet.h"
#include "ui/editor/AgentEditor.h"
#include "ui/history/CRunHistoryDlg.h"
#include "watch/HistoryOpen.h"
#include "watch/NotificationLedger.h"
#include "watch/RunRecording.h"
#include "watch/UnitName.h"
#include "watch/UserTimerSetup.h"
#include "watch/UserTimers.h"

using namespace gleanwork;

namespace {

constexpr int kWaitMs = 20000;
constexpr int kSchedulePage = 3;

// Records a completed run of `agent` that printed `output`, `minutesAgo`.
void Record(const AgentDefinition& agent, const std::string& output, int minutesAgo,
            const std::string& error = {}) {
    HistoryResult result;
    std::unique_ptr<HistoryStore> store = OpenHistory(result);
    QVERIFY2(store != nullptr, result.reason.c_str());
    FinishedRun run;
    run.outcome.started = std::chrono::system_clock::now() - std::chrono::minutes(minutesAgo);
    run.outcome.duration = std::chrono::seconds(2);
    run.outcome.linesPrinted =
        static_cast<std::uint64_t>(std::count(output.begin(), output.end(), '\n'));
    run.output = output;
    run.log.head = {"Engine started.", "Agent completed."};
    if (!error.empty()) {
        run.outcome.end = RunEnd::kCompletedWithErrors;
        run.outcome.errors = 1;
        run.outcome.firstError = error;
    }
    QVERIFY(RecordRun(*store, agent, run).stored.done);
}

template <typename Widget = QWidget>
Widget* Find(const QWidget& window, const char* name) {
    Widget* found = window.findChild<Widget*>(QLatin1String(name));
    if (found == nullptr) {
        qFatal("no control %s", name);
    }
    return found;
}

// Puts the focus on control `name`, as a click would, and types `keys` at
// the focus widget.
void Type(QWidget& window, const char* name, const QKeySequence& keys) {
    QApplication::setActiveWindow(window.window());
    Find(window, name)->setFocus();
    QTest::keySequence(QApplication::focusWidget(), keys);
}

// Replaces the text of field `name` by typing `text` there.
void Retype(QWidget& window, const char* name, const QString& text) {
    Type(window, name, QKeySequence::SelectAll);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

QString Text(const QWidget& window, const char* name) {
    return Find<QLabel>(window, name)->text();
}

// Opens the editor on `agent` with its Schedule and alerts page in front
// and works it with `work`, which must close it.
bool EditSchedule(AgentDefinition& agent, std::function<void(PropertySheet&)> work) {
    const auto seen = test::WhenModalWindow<PropertySheet>([work](PropertySheet& sheet) {
        QApplication::setActiveWindow(&sheet);
        sheet.tabs()->tabBar()->setFocus();
        for (int page = 0; page < kSchedulePage; ++page) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        }
        QCOMPARE(sheet.tabs()->tabText(sheet.tabs()->currentIndex()),
                 QStringLiteral("Schedule and alerts"));
        work(sheet);
        if (sheet.isVisible()) {
            sheet.reject();
            QFAIL("the editor was left open");
        }
    });
    const AgentCatalogue catalogue;
    return RunAgentEditor(nullptr, AgentEditorMode::Edit, agent, catalogue);
}

// The units folder, a runtime folder and no session bus: systemctl --user
// finds no service manager, and the user's own is never touched.
struct PrivateUnits {
    test::TempFolder folder;
    test::ScopedEnvironment config{"XDG_CONFIG_HOME", folder.Path().c_str()};
    test::ScopedEnvironment runtime{"XDG_RUNTIME_DIR", folder.Path().c_str()};
    test::ScopedEnvironment bus{"DBUS_SESSION_BUS_ADDRESS", nullptr};
    std::string path = std::filesystem::path(GLEANWORK_RUN_PATH).parent_path().string() + ":" +
                       std::getenv("PATH");
    test::ScopedEnvironment runner{"PATH", path.c_str()};

    bool Has(const std::string& agent) const {
        return std::filesystem::exists(folder / "systemd/user/" + AgentUnitName(agent, "timer")) &&
               std::filesystem::exists(folder / "systemd/user/" + AgentUnitName(agent, "service"));
    }
};

}  // namespace

class WatchWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempInstallFolder> folder_;
    // A session bus of the tests' own, so that the windows never reach the
    // user's: a dbus-daemon on a socket in a temporary folder.
    test::TempFolder busFolder_;
    QProcess busDaemon_;
    QString busAddress_;
    std::unique_ptr<test::ScopedEnvironment> session_;

private slots:
    void initTestCase() {
        busDaemon_.start(QStringLiteral("dbus-daemon"),
                         {QStringLiteral("--session"), QStringLiteral("--nofork"),
                          QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1"),
                          QString::fromStdString("--address=unix:path=" + busFolder_ / "bus")});
        QVERIFY(busDaemon_.waitForStarted(kWaitMs));
        QTRY_VERIFY_WITH_TIMEOUT(busDaemon_.canReadLine(), kWaitMs);
        busAddress_ = QString::fromUtf8(busDaemon_.readLine()).trimmed();
        session_ = std::make_unique<test::ScopedEnvironment>("DBUS_SESSION_BUS_ADDRESS",
                                                             busAddress_.toUtf8().constData());
    }
    void cleanupTestCase() {
        session_.reset();
        busDaemon_.kill();
        busDaemon_.waitForFinished(kWaitMs);
    }
    void init() { folder_ = std::make_unique<test::TempInstallFolder>(); }
    void cleanup() { folder_.reset(); }

    // A click on an alert's notification opens the History window of the
    // agent it is about; other actions and notifications open nothing.
    void clickingAnAlertOpensTheAgentsHistory() {
        const test::ScopedEnvironment runtime("XDG_RUNTIME_DIR", folder_->Path().c_str());
        AgentCatalogue saved;
        saved.AddAgent(test::MakeAgent("Prices"));
        QCOMPARE(saved.SaveCatalogue(), 0);
        RememberNotification(41, "Prices");
        RememberNotification(42, "Other");
        CGleanworkSheet sheet("Gleanwork 1.0 Administrator");
        sheet.show();
        QDBusConnection server = QDBusConnection::connectToBus(busAddress_, "notifications");
        QVERIFY(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
        for (const auto& [id, action] :
             {std::pair{43U, "default"}, std::pair{42U, "other"}, std::pair{41U, "default"}}) {
            QDBusMessage clicked = QDBusMessage::createSignal(
                QStringLiteral("/org/freedesktop/Notifications"),
                QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
            clicked << id << QString::fromLatin1(action);
            QVERIFY(server.send(clicked));
        }
        // The signals arrive in order: once the last has opened its window,
        // the others have been handled.
        QTRY_VERIFY_WITH_TIMEOUT(!test::TopLevel<CRunHistoryDlg>().isEmpty() &&
                                     test::TopLevel<CRunHistoryDlg>().back()->windowTitle() ==
                                         QStringLiteral("History - Prices"),
                                 kWaitMs);
        QCOMPARE(test::TopLevel<CRunHistoryDlg>().size(), 1);
        delete test::TopLevel<CRunHistoryDlg>().front();
        QDBusConnection::disconnectFromBus(QStringLiteral("notifications"));
    }

    // A schedule picked from the list starts a custom expression from it;
    // the next runs follow what is typed, a refused expression shows and
    // keeps the editor open with systemd's reason.
    void aScheduleIsChosenTypedAndChecked() {
        AgentDefinition agent = test::MakeAgent("Prices");
        agent.SCHEDULE = "*:0/15";
        agent.NOTIFYON = "Failure";
        QVERIFY(EditSchedule(agent, [](PropertySheet& sheet) {
            QVERIFY(Text(sheet, "scheduleForecast").startsWith("Next runs: "));
            QCOMPARE(Find<QComboBox>(sheet, "scheduleKind")->currentText(),
                     QStringLiteral("Every few minutes"));
            Type(sheet, "scheduleKind", QKeySequence(Qt::Key_End));
            QCOMPARE(Find<QLineEdit>(sheet, "scheduleExpression")->text(),
                     QStringLiteral("*:0/15"));
            Retype(sheet, "scheduleExpression", QStringLiteral("Mon..Fri 25:00"));
            QVERIFY(Text(sheet, "scheduleForecast")
                        .startsWith(QStringLiteral("bad calendar expression 'Mon..Fri 25:00': ")));
            auto refused = test::AnswerMessageBox(QMessageBox::Ok);
            sheet.okButton()->click();
            QVERIFY(refused->acted && sheet.isVisible());
            QVERIFY2(refused->text.startsWith(
                         QString::fromStdString(test::SystemdCalendarRefusal("Mon..Fri 25:00"))),
                     qPrintable(refused->text));
            Retype(sheet, "scheduleExpression", QStringLiteral("Mon..Fri 06:30"));
            QCOMPARE(Text(sheet, "scheduleForecast").count(QStringLiteral("06:30")), 3);
            Type(sheet, "notify-empty", QKeySequence(Qt::Key_Space));
            sheet.okButton()->click();
        }));
        QCOMPARE(agent.SCHEDULE, std::string("Mon..Fri 06:30"));
        QCOMPARE(agent.NOTIFYON, std::string("failure,empty"));
        // A visit that changes nothing keeps every value as it was written.
        agent.KEEPRUNS = "many";
        agent.SCHEDULE = "*:00/15";
        const AgentDefinition before = agent;
        QVERIFY(EditSchedule(agent, [](PropertySheet& sheet) { sheet.okButton()->click(); }));
        QVERIFY(agent == before);
    }

    // The lines to ignore show what they match in the last kept output; the
    // test alert goes to the command and the webhook as typed.
    void ignoredLinesAndTheTestAlert() {
        AgentDefinition agent = test::MakeAgent("Prices");
        Record(agent, "Price 10\nUpdated 12:00\nPrice 11\n", 5);
        const std::string written = *folder_ / "alert.env";
        test::LoopbackServer hook({test::Reply("HTTP/1.0 204 No Content\r\n\r\n")});
        QVERIFY(EditSchedule(agent, [&written, &hook](PropertySheet& sheet) {
            QVERIFY(Text(sheet, "ignoredSummary").startsWith("Every line of the output"));
            Retype(sheet, "ignoreLines", QStringLiteral("^Updated|11$"));
            auto* lines = Find<QListWidget>(sheet, "ignoredLines");
            QCOMPARE(lines->count(), 2);
            QCOMPARE(lines->item(0)->text(), QStringLiteral("Updated 12:00"));
            QVERIFY(Text(sheet, "ignoredSummary").startsWith("2 of the 3 lines"));
            Retype(sheet, "ignoreLines", QStringLiteral("(unclosed"));
            QVERIFY(Text(sheet, "ignoredSummary").startsWith("The lines to ignore are no regular"));
            QCOMPARE(lines->count(), 0);
            auto refused = test::AnswerMessageBox(QMessageBox::Ok);
            sheet.okButton()->click();
            QVERIFY(refused->acted && sheet.isVisible());
            Retype(sheet, "ignoreLines", QStringLiteral("^Updated"));

            Retype(sheet, "notifyCommand", QString::fromStdString("env > '" + written + "'"));
            Retype(sheet, "notifyUrl", QString::fromStdString(hook.Url("/hook")));
            Type(sheet, "sendTestAlert", QKeySequence(Qt::Key_Space));
            QTRY_VERIFY_WITH_TIMEOUT(Find<QPushButton>(sheet, "sendTestAlert")->isEnabled(),
                                     kWaitMs);
            const QStringList result = Text(sheet, "testAlertResult").split(u'\n');
            QCOMPARE(result.value(0), QStringLiteral("Command: delivered"));
            QCOMPARE(result.value(1), QStringLiteral("Webhook: delivered"));
            sheet.okButton()->click();
        }));
        QVERIFY(test::ReadFile(written).find("GLEANWORK_AGENT=Prices\n") != std::string::npos);
        const std::string posted = hook.Requests().at(0);
        QVERIFY2(posted.starts_with("POST /hook HTTP/1.0\r\n") &&
                     posted.find("\r\n\r\n{\"agent\":\"Prices\"") != std::string::npos,
                 posted.c_str());
        QCOMPARE(agent.IGNORELINES, std::string("^Updated"));
    }

    // Each agent shows its last run, with its outcome's mark, and its next
    // scheduled run.
    void theAgentsPageShowsLastAndNextRuns() {
        AgentDefinition failing = test::MakeAgent("Failing");
        failing.SCHEDULE = "Mon..Fri 06:30";
        const AgentDefinition changing = test::MakeAgent("Changing");
        Record(failing, "a\n", 30);
        Record(failing, "", 20, "ERROR: Cannot open the page");
        Record(changing, "a\n", 20);
        Record(changing, "b\n", 10);
        AgentCatalogue saved;
        for (const AgentDefinition& agent : {failing, changing, test::MakeAgent("Never")}) {
            saved.AddAgent(agent);
        }
        QCOMPARE(saved.SaveCatalogue(), 0);
        CGleanworkSheet sheet("Gleanwork 1.0 Administrator");
        sheet.show();
        QTreeWidget* list = sheet.agentsPage().agentList();
        QTRY_VERIFY_WITH_TIMEOUT(!list->topLevelItem(1)->text(1).isEmpty(), kWaitMs);
        const QStringList shown{list->topLevelItem(0)->text(1), list->topLevelItem(1)->text(1),
                                list->topLevelItem(2)->text(1)};
        QVERIFY2(
            shown[0].endsWith("  changed") && shown[1].endsWith("  failed") && shown[2].isEmpty(),
            qPrintable(shown.join(u'|')));
        QCOMPARE(list->topLevelItem(1)->toolTip(1), QStringLiteral("ERROR: Cannot open the page"));
        QVERIFY(!list->topLevelItem(1)->icon(1).isNull() &&
                list->topLevelItem(2)->icon(1).isNull());
        QVERIFY(list->topLevelItem(1)->text(2).endsWith("06:30"));
        QVERIFY(list->topLevelItem(0)->text(2).isEmpty());
    }

    // History... lists the runs; the run selected shows its changes,
    // coloured, its log, and its output.
    void theHistoryWindowShowsEachRun() {
        const AgentDefinition prices = test::MakeAgent("Prices");
        Record(prices, "a\nb\nc\n", 30);
        Record(prices, "a\nB\nc\n", 20);
        Record(prices, "", 10, "ERROR: Cannot open the page");
        AgentCatalogue saved;
        saved.AddAgent(prices);
        saved.AddAgent(test::MakeAgent("Other"));
        QCOMPARE(saved.SaveCatalogue(), 0);
        CGleanworkSheet sheet("Gleanwork 1.0 Administrator");
        sheet.show();
        Type(sheet, "AgentList", QKeySequence(Qt::Key_End));
        Type(sheet, "History", QKeySequence(Qt::Key_Space));
        CRunHistoryDlg* window = test::TopLevel<CRunHistoryDlg>().value(0);
        QVERIFY(window != nullptr);
        QCOMPARE(window->windowTitle(), QStringLiteral("History - Prices"));
        QTreeWidget* runs = window->runList();
        QCOMPARE(runs->topLevelItemCount(), 3);
        QCOMPARE(runs->topLevelItem(0)->text(1), QStringLiteral("failed"));
        QCOMPARE(runs->topLevelItem(0)->toolTip(2), QStringLiteral("ERROR: Cannot open the page"));
        QCOMPARE(runs->topLevelItem(1)->text(4) + runs->topLevelItem(1)->text(5),
                 QStringLiteral("+1\u22121"));

        Type(*window, "runs", QKeySequence(Qt::Key_Down));
        const QString changes = window->changes()->toPlainText();
        QVERIFY2(changes.contains("\n-b\n+B\n"), qPrintable(changes));
        const auto background = [window](const QString& line) {
            const QTextBlock block = window->changes()->document()->find(line).block();
            const QList<QTextLayout::FormatRange> formats = block.layout()->formats();
            return formats.isEmpty() ? QColor() : formats.first().format.background().color();
        };
        QCOMPARE(background(QStringLiteral("+B")).green() > 200, true);
        QCOMPARE(background(QStringLiteral("-b")).red() > 200, true);
        QVERIFY(background(QStringLiteral("+B")) != background(QStringLiteral("-b")));
        QVERIFY(window->log()->toPlainText().startsWith("Engine started.\n"));
        Type(*window, "openOutput", QKeySequence(Qt::Key_Space));
        QDialog* output = nullptr;
        for (QDialog* dialog : test::TopLevel<QDialog>()) {
            output = dialog->objectName() == "runOutput" ? dialog : output;
        }
        QVERIFY(output != nullptr);
        QCOMPARE(Find<QPlainTextEdit>(*output, "outputText")->toPlainText(),
                 QStringLiteral("a\nB\nc\n"));
        delete output;
        Type(*window, "runs", QKeySequence(Qt::Key_End));  // the first run: nothing before it
        QVERIFY(window->changes()->toPlainText().startsWith("No earlier successful run"));
        delete window;
    }

    // Saving the agents writes the units of agents newly scheduled and
    // removes those of agents renamed, removed or no longer scheduled.
    void savingTheAgentsWritesAndRemovesTheirUnits() {
        const PrivateUnits units;
        std::vector<AgentDefinition> agents{test::MakeAgent("Old"), test::MakeAgent("Gone"),
                                            test::MakeAgent("Plain"), test::MakeAgent("Kept")};
        std::string reason;
        for (AgentDefinition& agent : agents) {
            agent.SCHEDULE = agent.name == "Plain" ? "" : "hourly";
        }
        AgentCatalogue saved;
        for (const AgentDefinition& agent : agents) {
            saved.AddAgent(agent);
            const auto now = std::chrono::time_point_cast<std::chrono::microseconds>(
                std::chrono::system_clock::now());
            QVERIFY(UpdateAgentSchedule(agent, *MakeUserTimerSetup(reason), now).done);
        }
        QCOMPARE(saved.SaveCatalogue(), 0);
        QVERIFY(units.Has("Old") && units.Has("Gone") && units.Has("Kept"));

        CGleanworkSheet sheet("Gleanwork 1.0 Administrator");
        QSignalSpy shown(&sheet.agentsPage(), &CAgentAdmin::statusShown);
        sheet.show();
        QVERIFY(shown.wait(kWaitMs));
        QVERIFY(!std::filesystem::exists(*folder_ / "history.db"));  // reading made none
        CAgentAdmin& page = sheet.agentsPage();
        sheet.catalogue().FindAgent("Old")->name = "New";
        sheet.catalogue().FindAgent("Plain")->SCHEDULE = "*:0/5";
        auto* list = page.agentList();
        list->setCurrentItem(list->findItems(QStringLiteral("Gone"), Qt::MatchExactly).value(0));
        auto seen = test::AnswerMessageBox(QMessageBox::Yes);
        Type(sheet, "AgentList", QKeySequence::Delete);
        QVERIFY(seen->acted);
        seen = test::AnswerMessageBox(QMessageBox::Ok);
        Type(sheet, "AgentList", QKeySequence(Qt::Key_Return));  // OK, the default button
        QVERIFY(seen->acted);
        QVERIFY2(seen->text.contains("no user service manager answers"), qPrintable(seen->text));
        QVERIFY(!units.Has("Old") && !units.Has("Gone"));
        QVERIFY(units.Has("New") && units.Has("Plain") && units.Has("Kept"));
    }
};

QTEST_MAIN(WatchWindowsTest)
#include "WatchWindowsTest.moc"
