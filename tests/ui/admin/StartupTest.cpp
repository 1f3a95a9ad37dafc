// The program from its start: a socket library that cannot start, the
// administrator sheet on an empty folder, output windows that stay usable
// while the modal sheet is up, and runs stopped when the program ends.
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "support/ModalDriver.h"
#include "support/RunWindows.h"
#include "ui/admin/CGleanworkSheet.h"
#include "ui/admin/Startup.h"
#include "ui/run/CAgentOutputDlg.h"

using namespace gleanwork;
using test::WhenModalWindow;
using Sheet = CGleanworkSheet;

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void aSocketFailureShowsOnlyItsMessage() {
        const auto box = test::AnswerMessageBox(QMessageBox::Ok);
        QCOMPARE(RunGleanwork([] { return 10091; }), 1);
        QCOMPARE(box->text, QString("Windows sockets initialization failed."));
        QCOMPARE(box->title, QApplication::applicationName());
    }

    void theSheetOpensOnAnEmptyFolderAndCancelWritesNothing() {
        const test::TempFolder folder;
        const std::string install = folder / "nothing-here";
        const test::ScopedEnvironment environment("GLEANWORK_INSTALLDIR", install.c_str());
        const auto seen = WhenModalWindow<Sheet>([](Sheet& sheet) {
            QCOMPARE(sheet.agentsPage().agentList()->count(), 0);
            sheet.cancelButton()->click();
        });
        QCOMPARE(RunGleanwork([] { return 0; }), 0);
        QCOMPARE(seen->title, QString("Gleanwork 1.0 Administrator"));
        QVERIFY(!std::filesystem::exists(install));
    }

    void outputWindowsStayUsableAndEndWithTheProgram() {
        const test::TempInstallFolder folder;
        test::WriteFile(folder / "source.txt", "abc");
        QVERIFY(test::SaveAgents({test::MakeEndlessAgent("Endless", folder / "source.txt")}));
        bool closedByClick = false;
        const auto seen = WhenModalWindow<Sheet>([&closedByClick](Sheet& sheet) {
            for (int run = 0; run < 3; ++run) {
                sheet.agentsPage().runButton()->click();
            }
            CAgentOutputDlg* output = test::TopLevel<CAgentOutputDlg>().last();
            auto* close = output->findChild<QPushButton*>("Close");
            const QPointer<CAgentOutputDlg> shown(output);
            // A click through the window system, which a modal window would swallow.
            QTest::mouseClick(output->windowHandle(), Qt::LeftButton, {},
                              close->mapTo(output, close->rect().center()));
            closedByClick = shown.isNull() || !shown->isVisible();
            QTimer::singleShot(50, sheet.okButton(), &QPushButton::click);
        });
        QCOMPARE(RunGleanwork([] { return 0; }), 0);
        QVERIFY(seen->acted);
        QVERIFY(closedByClick);
        QVERIFY(test::TopLevel<CAgentOutputDlg>().isEmpty());
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
