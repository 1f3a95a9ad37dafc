// The example catalogue, run the way `make run` starts it: from a copy of
// the folder, which is also the working directory its relative paths use.
#include <QtTest>
#include <filesystem>

#include "net/UrlSplit.h"
#include "storage/AgentCatalogue.h"
#include "support/RunWindows.h"
#include "support/TempFolder.h"

using namespace gleanwork;

class ExampleAgentsTest : public QObject {
    Q_OBJECT

private slots:
    void everyExampleRunsAndWritesItsOutput() {
        const test::TempInstallFolder folder;
        std::filesystem::copy(GLEANWORK_EXAMPLES, folder.Path(),
                              std::filesystem::copy_options::recursive);
        const std::filesystem::path before = std::filesystem::current_path();
        std::filesystem::current_path(folder.Path());
        AgentCatalogue catalogue;
        catalogue.LoadCatalogue();
        QCOMPARE(catalogue.Count(), std::size_t{6});
        QStringList logs;
        for (std::size_t index = 0; index < catalogue.Count(); ++index) {
            if (IsWebUrl(catalogue.At(index).URL)) {
                continue;  // tests reach no address but the loopback's
            }
            auto* window = new CAgentOutputDlg(catalogue.At(index));
            test::FinishedRun run(window);
            QTRY_VERIFY_WITH_TIMEOUT(run.finished, test::kRunTimeoutMs);
            delete window;
            QCOMPARE(run.lines.last(), QString("Agent completed."));
            QVERIFY2(run.lines.filter("ERROR: ").isEmpty(), qPrintable(run.lines.join('\n')));
            QVERIFY(!run.lines.contains("[Unknown command!]"));
            logs << run.lines;
        }
        std::filesystem::current_path(before);
        for (const char* output :
             {"links.txt", "prices.csv", "stations.txt", "quotes.txt", "shop.csv"}) {
            QCOMPARE(test::ReadFile(folder / output),
                     test::ReadFile(std::string(GLEANWORK_TEST_DATA "/examples/") + output));
        }
        QCOMPARE(logs.filter("[SQL]: ").size(), 3);
        QVERIFY(
            logs.contains("[SQL]: INSERT INTO quotes (symbol, price) VALUES ('GLOBEX', 48.05)"));
    }
};

QTEST_MAIN(ExampleAgentsTest)
#include "ExampleAgentsTest.moc"
