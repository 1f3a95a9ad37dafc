// Times the opening of the Administrator, for bench/watch.
//
// Usage: admin_bench INSTALL_FOLDER AGENTS
//
// Writes a catalogue of AGENTS agents named "Agent 0" ... into
// INSTALL_FOLDER (each with a schedule, so that the page works out every
// next run), then opens the Administrator sheet (the caller picks the Qt
// platform, e.g. offscreen) on the history.db that the folder holds, if any,
// and prints, one "key value" per line: the milliseconds from building the
// sheet to the page showing every agent's last and next run, best of a few
// rounds, and how many agents show a last run.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <string>

#include "storage/AgentCatalogue.h"
#include "ui/admin/CGleanworkSheet.h"

using namespace gleanwork;

namespace {

constexpr int kRounds = 5;

void WriteCatalogue(int agents) {
    AgentCatalogue catalogue;
    for (int index = 0; index < agents; ++index) {
        AgentDefinition agent;
        agent.name = "Agent " + std::to_string(index);
        agent.SCHEDULE = "Mon..Fri 06:30";
        catalogue.AddAgent(std::move(agent));
    }
    if (catalogue.SaveCatalogue() != 0) {
        std::fprintf(stderr, "admin_bench: the catalogue cannot be saved\n");
        std::exit(2);
    }
}

// Opens the sheet once; the milliseconds until its page shows the last runs.
double OpenOnce(int& shownRuns) {
    QElapsedTimer clock;
    clock.start();
    CGleanworkSheet sheet("Gleanwork 1.0 Administrator");
    QEventLoop shown;
    QObject::connect(&sheet.agentsPage(), &CAgentAdmin::statusShown, &shown, &QEventLoop::quit);
    QTimer::singleShot(60000, &shown, &QEventLoop::quit);
    sheet.show();
    shown.exec();
    const double milliseconds = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    const QTreeWidget* list = sheet.agentsPage().agentList();
    shownRuns = 0;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
        shownRuns += list->topLevelItem(row)->text(1).isEmpty() ? 0 : 1;
    }
    return milliseconds;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: admin_bench INSTALL_FOLDER AGENTS\n");
        return 2;
    }
    ::setenv("GLEANWORK_INSTALLDIR", argv[1], 1);
    ::unsetenv("GLEANWORK_HISTORY");
    WriteCatalogue(std::stoi(argv[2]));
    double best = 1e18;
    int shownRuns = 0;
    for (int round = 0; round < kRounds; ++round) {
        best = std::min(best, OpenOnce(shownRuns));
    }
    std::printf("open_ms %.2f\nlast_runs_shown %d\n", best, shownRuns);
    return 0;
}
