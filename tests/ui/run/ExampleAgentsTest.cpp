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
        QCOMPARE(test::ReadFile(folder / "links.txt"),
                 std::string("Links on Gleanwork Gazette\n"
                             "Harbour reopens after the storm: stories/harbour.html\n"
                             "City library extends its opening hours: stories/library.html\n"
                             "Record turnout at the spring marathon: stories/marathon.html\n"
                             "Farmers' market moves to the square: stories/market.html\n"
                             "the archive: archive.html\n"));
        QCOMPARE(test::ReadFile(folder / "prices.csv"),
                 std::string("fruit,origin,price\nApples,Kent,2.10\nPears,Somerset,2.45\n"
                             "Cherries,Herefordshire,6.80\nPlums,Worcestershire,3.20\n"));
        QCOMPARE(test::ReadFile(folder / "stations.txt"),
                 std::string("Harbour: 14 C, wind 22 km/h\nAirport: 11 C, wind 35 km/h\n"
                             "Hilltop: 8 C, wind 41 km/h\n"));
        QCOMPARE(test::ReadFile(folder / "quotes.txt"),
                 std::string("ACME;12.50\nGLOBEX;48.05\nINITECH;7.95\n"));
        QCOMPARE(test::ReadFile(folder / "shop.csv"),
                 std::string("name,price,maker\n"
                             "\"Lamp \"\"Nova\"\", 2\xc2\xa0m\",49.90,Light & Shade\n"
                             "Chair \xe2\x80\x9cOak\xe2\x80\x9d,120.00,\"Smith, Jones & Sons\"\n"
                             "Table <Long>,310.50,Caf\xc3\xa9 Works\n"));
        QCOMPARE(logs.filter("[SQL]: ").size(), 3);
        QVERIFY(
            logs.contains("[SQL]: INSERT INTO quotes (symbol, price) VALUES ('GLOBEX', 48.05)"));
    }
};

QTEST_MAIN(ExampleAgentsTest)
#include "ExampleAgentsTest.moc"
