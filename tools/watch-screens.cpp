// Draws the windows of the run history, schedules and alerts offscreen and
// saves each as a PNG, for the documentation: the editor's Schedule and
// alerts page, the Agents page with the agents' last and next runs, and the
// History window with a run's changes.
//
// Usage: QT_QPA_PLATFORM=offscreen watch_screens OUTPUT_FOLDER
// (cmake --build BUILD --target watch_screens builds it)
#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "storage/AgentCatalogue.h"
#include "ui/admin/CGleanworkSheet.h"
#include "ui/editor/AgentEditor.h"
#include "ui/history/CRunHistoryDlg.h"
#include "watch/HistoryOpen.h"
#include "watch/RunRecording.h"

using namespace gleanwork;

namespace {

QString folder;

void Save(QWidget& window, const char* name) {
    QApplication::processEvents();
    const QString path = folder + "/" + name;
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "watch_screens: cannot write %s\n", qPrintable(path));
    }
}

void Record(HistoryStore& store, const AgentDefinition& agent, const std::string& output,
            int minutesAgo, const std::string& error = {}) {
    FinishedRun run;
    run.outcome.started = std::chrono::system_clock::now() - std::chrono::minutes(minutesAgo);
    run.outcome.duration = std::chrono::milliseconds(1400);
    run.outcome.linesPrinted =
        static_cast<std::uint64_t>(std::count(output.begin(), output.end(), '\n'));
    run.output = output;
    run.log.head = {"Engine started.", "Setting variables...", "Accessing URL - /prices",
                    "Agent completed."};
    if (!error.empty()) {
        run.outcome.end = RunEnd::kCompletedWithErrors;
        run.outcome.errors = 1;
        run.outcome.firstError = error;
        run.log.head.insert(run.log.head.begin() + 3, error);
    }
    RecordRun(store, agent, run);
}

std::vector<AgentDefinition> Agents() {
    AgentDefinition prices;
    prices.name = "Camera prices";
    prices.DESCRIPTION = "Prices of three cameras at the shop";
    prices.SCHEDULE = "Mon..Fri 06:30";
    prices.NOTIFYON = "failure,change,recovery";
    prices.NOTIFYCOMMAND = "notify-send \"$GLEANWORK_AGENT\" \"$GLEANWORK_EVENT\"";
    prices.NOTIFYURL = "https://hooks.example.com/gleanwork";
    prices.IGNORELINES = "^Updated ";
    prices.KEEPRUNS = "20";
    AgentDefinition jobs;
    jobs.name = "Job board";
    jobs.SCHEDULE = "*:0/15";
    AgentDefinition releases;
    releases.name = "Releases";
    return {prices, jobs, releases};
}

void FillHistory(const std::vector<AgentDefinition>& agents) {
    HistoryResult result;
    std::unique_ptr<HistoryStore> store = OpenHistory(result);
    if (!store) {
        std::fprintf(stderr, "watch_screens: %s\n", result.reason.c_str());
        std::exit(1);
    }
    const std::string before =
        "Updated 06:30\nAlpha 7 IV 2199.00\nBeta Z5 1349.00\nGamma X100 1599.00\n";
    Record(*store, agents[0], before, 3 * 1440);
    Record(*store, agents[0],
           "Updated 06:31\nAlpha 7 IV 2199.00\nBeta Z5 1349.00\nGamma X100 1599.00\n", 2 * 1440);
    Record(*store, agents[0], "", 1440 + 5, "ERROR: Failed to connect to shop.example.com");
    Record(*store, agents[0],
           "Updated 06:30\nAlpha 7 IV 2099.00\nBeta Z5 1349.00\nGamma X100 1549.00\nDelta R8 "
           "2899.00\n",
           90);
    Record(*store, agents[1], "Rust developer\nQt developer\n", 40);
    Record(*store, agents[1], "", 25);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: watch_screens OUTPUT_FOLDER\n");
        return 2;
    }
    folder = QString::fromLocal8Bit(argv[1]);
    const std::string install = std::filesystem::temp_directory_path() / "gleanwork-screens";
    std::filesystem::remove_all(install);
    ::setenv("GLEANWORK_INSTALLDIR", install.c_str(), 1);
    ::unsetenv("GLEANWORK_HISTORY");
    const std::vector<AgentDefinition> agents = Agents();
    AgentCatalogue catalogue;
    for (const AgentDefinition& agent : agents) {
        catalogue.AddAgent(agent);
    }
    catalogue.SaveCatalogue();
    FillHistory(agents);

    CGleanworkSheet sheet("Gleanwork 1.0 Administrator");
    QEventLoop shown;
    QObject::connect(&sheet.agentsPage(), &CAgentAdmin::statusShown, &shown, &QEventLoop::quit);
    sheet.show();
    shown.exec();
    Save(sheet, "agents-page.png");

    QTimer::singleShot(200, [] {
        auto* editor = qobject_cast<PropertySheet*>(QApplication::activeModalWidget());
        editor->tabs()->setCurrentIndex(3);
        editor->findChild<QLineEdit*>("ignoreLines")->setText(QStringLiteral("^Updated "));
        Save(*editor, "schedule-page.png");
        editor->reject();
    });
    AgentDefinition edited = agents[0];
    RunAgentEditor(&sheet, AgentEditorMode::Edit, edited, catalogue);

    CRunHistoryDlg* history = CRunHistoryDlg::ShowHistory(agents[0]);
    history->runList()->setCurrentItem(history->runList()->topLevelItem(0));
    Save(*history, "history-window.png");
    std::filesystem::remove_all(install);
    return 0;
}
