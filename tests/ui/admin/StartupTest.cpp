#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "support/AgentFixtures.h"
#include "support/ModalDriver.h"
#include "support/TempFolder.h"
#include "ui/admin/CGleanworkSheet.h"
#include "ui/admin/Startup.h"
#include "ui/run/CAgentOutputDlg.h"

using namespace gleanwork;
using test::WhenModalWindow;
using Sheet = CGleanworkSheet;

namespace {

constexpr int kModalTimeoutMs = 5000;

int StartsFine() {
    return 0;
}
int FailsToStart() {
    return 10091;
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void aSocketFailureShowsOnlyItsMessage() {
        const auto sheetSeen = WhenModalWindow<Sheet>([](Sheet& sheet) { sheet.close(); }, 1000);
        const auto boxSeen = test::AnswerMessageBox(QMessageBox::Ok, kModalTimeoutMs);
        QCOMPARE(RunGleanwork(FailsToStart), 1);
        QVERIFY(boxSeen->acted);
        QCOMPARE(boxSeen->text, QString("Windows sockets initialization failed."));
        QCOMPARE(boxSeen->title, QApplication::applicationName());
        QVERIFY(!sheetSeen->acted);
    }

    // The sheet's own controls are checked by AgentsPageTest.
    void theAdministratorSheetOpensOnAnEmptyFolder() {
        const test::TempFolder folder;
        const std::string install = folder / "nothing-here";
        const test::ScopedEnvironment environment("GLEANWORK_INSTALLDIR", install.c_str());
        bool applyEnabled = true;
        bool helpShown = false;
        int listed = -1;
        const auto seen = WhenModalWindow<Sheet>(
            [&](Sheet& sheet) {
                applyEnabled = sheet.applyButton()->isEnabled();
                helpShown = sheet.helpButton()->isVisible();
                listed = sheet.agentsPage().agentList()->count();
                sheet.cancelButton()->click();
            },
            kModalTimeoutMs);
        QCOMPARE(RunGleanwork(StartsFine), 0);
        QVERIFY(seen->acted);
        QCOMPARE(seen->title, QString("Gleanwork 1.0 Administrator"));
        QVERIFY(!applyEnabled);
        QVERIFY(helpShown);
        QCOMPARE(listed, 0);
        // Cancel wrote nothing.
        QVERIFY(!std::filesystem::exists(install));
    }

    void outputWindowsStayUsableWhileTheSheetIsOpen() {
        const test::TempInstallFolder folder;
        test::WriteFile(folder / "source.txt", "abc");
        QVERIFY(test::SaveAgents({test::MakeEndlessAgent("Endless", folder / "source.txt")}));
        bool closedByClick = false;
        const auto seen = WhenModalWindow<Sheet>(
            [&closedByClick](Sheet& sheet) {
                sheet.agentsPage().runButton()->click();
                CAgentOutputDlg* output = test::TopLevel<CAgentOutputDlg>().last();
                auto* close = output->findChild<QPushButton*>("Close");
                // The click may already delete the closed window.
                const QPointer<CAgentOutputDlg> shown(output);
                // A click that goes through the window system, where a
                // modal window would swallow it.
                QTest::mouseClick(output->windowHandle(), Qt::LeftButton, {},
                                  close->mapTo(output, close->rect().center()));
                closedByClick = shown.isNull() || !shown->isVisible();
                sheet.cancelButton()->click();
            },
            kModalTimeoutMs);
        QCOMPARE(RunGleanwork(StartsFine), 0);
        QVERIFY(seen->acted);
        QVERIFY(closedByClick);
    }

    void closingTheProgramStopsRunningAgents() {
        const test::TempInstallFolder folder;
        test::WriteFile(folder / "source.txt", "abc");
        QVERIFY(test::SaveAgents({test::MakeEndlessAgent("Endless", folder / "source.txt")}));
        const auto seen = WhenModalWindow<Sheet>(
            [](Sheet& sheet) {
                sheet.agentsPage().runButton()->click();
                sheet.agentsPage().runButton()->click();
                QTimer::singleShot(50, sheet.okButton(), &QPushButton::click);
            },
            kModalTimeoutMs);
        QCOMPARE(RunGleanwork(StartsFine), 0);
        QVERIFY(seen->acted);
        QVERIFY(test::TopLevel<CAgentOutputDlg>().isEmpty());
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
