#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "storage/AgentCatalogue.h"
#include "support/AgentFixtures.h"
#include "support/ModalDriver.h"
#include "support/TempFolder.h"
#include "ui/admin/CGleanworkSheet.h"
#include "ui/run/CAgentOutputDlg.h"

using namespace gleanwork;
using test::AnswerMessageBox;
using test::MakeAgent;
using test::WhenModal;

namespace {

constexpr int kModalTimeoutMs = 5000;

QStringList ListedNames(const CAgentAdmin& page) {
    QStringList names;
    for (int row = 0; row < page.agentList()->count(); ++row) {
        names << page.agentList()->item(row)->text();
    }
    return names;
}

QStringList CatalogueNames(AgentCatalogue& catalogue) {
    QStringList names;
    for (std::size_t index = 0; index < catalogue.Count(); ++index) {
        names << QString::fromStdString(catalogue.At(index).name);
    }
    return names;
}

void Select(CAgentAdmin& page, const QString& name) {
    const QList<QListWidgetItem*> found = page.agentList()->findItems(name, Qt::MatchExactly);
    QVERIFY(found.size() == 1);
    page.agentList()->setCurrentItem(found.first());
}

qsizetype OutputWindowCount() {
    return test::TopLevel<CAgentOutputDlg>().size();
}

// Answers the agent editor: types `name` into its name field (when given)
// and presses OK, or presses Cancel.
std::shared_ptr<test::ModalSeen> AnswerEditor(bool ok, const QString& name = {}) {
    return test::WhenModalWindow<PropertySheet>(
        [ok, name](PropertySheet& sheet) {
            if (!ok) {
                sheet.cancelButton()->click();
                return;
            }
            if (!name.isNull()) {
                sheet.findChild<QLineEdit*>("agentName")->setText(name);
            }
            sheet.okButton()->click();
        },
        kModalTimeoutMs);
}

}  // namespace

class AgentsPageTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempInstallFolder> folder_;
    std::unique_ptr<CGleanworkSheet> sheet_;

    CAgentAdmin& page() { return sheet_->agentsPage(); }

    void OpenSheet(const std::vector<AgentDefinition>& agents) {
        QVERIFY(test::SaveAgents(agents));
        sheet_ = std::make_unique<CGleanworkSheet>("Gleanwork 1.0 Administrator");
        sheet_->show();
    }

    std::string IniPath() const { return *folder_ / "AGENTS.INI"; }

private slots:
    void init() { folder_ = std::make_unique<test::TempInstallFolder>(); }

    void cleanup() {
        sheet_.reset();
        CAgentOutputDlg::EndAllRuns();
        folder_.reset();
    }

    void theListIsSortedWithTheFirstEntrySelected() {
        OpenSheet(
            {MakeAgent("zeta", "last"), MakeAgent("Alpha", "first"), MakeAgent("beta", "second")});
        QCOMPARE(ListedNames(page()), QStringList({"Alpha", "beta", "zeta"}));
        QCOMPARE(page().SelectedAgent(), sheet_->catalogue().FindAgent("Alpha"));
        QCOMPARE(page().descriptionArea()->text(), QString("first"));
        Select(page(), "zeta");
        QCOMPARE(page().descriptionArea()->text(), QString("last"));
        QCOMPARE(sheet_->tabs()->count(), 1);
        QCOMPARE(sheet_->tabs()->tabText(0), QString("Agents"));
        QVERIFY(!sheet_->applyButton()->isEnabled());
    }

    void anEmptyCatalogueOffersNothingToActOn() {
        OpenSheet({});
        QCOMPARE(page().agentList()->count(), 0);
        QCOMPARE(page().SelectedAgent(), nullptr);
        QVERIFY(page().descriptionArea()->text().isEmpty());
        const auto seen = WhenModal([](QWidget*) { return true; }, 200);
        for (QPushButton* button : {page().editButton(), page().removeButton(),
                                    page().duplicateButton(), page().runButton()}) {
            button->click();
        }
        QTest::qWait(250);
        QVERIFY(!seen->acted);
        QCOMPARE(OutputWindowCount(), 0);
        QVERIFY(!sheet_->applyButton()->isEnabled());
    }

    void duplicateAppendsTheFirstFreeCounter() {
        AgentDefinition weather = MakeAgent("Weather", "forecast");
        weather.URL = "http://example.invalid/";
        weather.SCRIPT = {"FIND \"x\"", "PRINT"};
        weather.APPEND = 1;
        OpenSheet({weather, MakeAgent("Weather2"), MakeAgent("NEWS2"), MakeAgent("news")});
        AgentCatalogue& catalogue = sheet_->catalogue();

        Select(page(), "Weather");
        page().duplicateButton()->click();
        const AgentDefinition* copy = catalogue.FindAgent("Weather3");
        QVERIFY(copy != nullptr);
        AgentDefinition expected = weather;
        expected.name = "Weather3";
        QVERIFY(*copy == expected);
        QVERIFY(sheet_->applyButton()->isEnabled());
        QCOMPARE(page().SelectedAgent(), catalogue.FindAgent("Weather"));

        Select(page(), "Weather2");
        page().duplicateButton()->click();
        Select(page(), "news");
        page().duplicateButton()->click();
        QCOMPARE(CatalogueNames(catalogue), QStringList({"Weather", "Weather2", "NEWS2", "news",
                                                         "Weather3", "Weather22", "news2"}));
        QCOMPARE(ListedNames(page()), QStringList({"news", "NEWS2", "news2", "Weather", "Weather2",
                                                   "Weather22", "Weather3"}));
    }

    void duplicateCountsPastOneHundred() {
        std::vector<AgentDefinition> agents = {MakeAgent("Busy")};
        for (int counter = 2; counter <= 100; ++counter) {
            agents.push_back(MakeAgent("Busy" + std::to_string(counter)));
        }
        OpenSheet(agents);
        Select(page(), "Busy");
        page().duplicateButton()->click();
        QVERIFY(sheet_->catalogue().FindAgent("Busy101") != nullptr);
        QCOMPARE(sheet_->catalogue().Count(), std::size_t{101});
    }

    void removeAsksFirstAndOnlyYesTakesTheRecordOut() {
        OpenSheet({MakeAgent("b", "bee"), MakeAgent("a", "ay"), MakeAgent("c")});
        Select(page(), "b");
        auto seen = AnswerMessageBox(QMessageBox::No);
        page().removeButton()->click();
        QVERIFY(seen->acted);
        QCOMPARE(seen->title, QString("Gleanwork - Remove Agent"));
        QCOMPARE(seen->text, QString("Are you sure you want to remove this agent?"));
        QCOMPARE(ListedNames(page()), QStringList({"a", "b", "c"}));
        QCOMPARE(sheet_->catalogue().Count(), std::size_t{3});
        QVERIFY(!sheet_->applyButton()->isEnabled());

        seen = AnswerMessageBox(QMessageBox::Yes);
        page().removeButton()->click();
        QVERIFY(seen->acted);
        QCOMPARE(ListedNames(page()), QStringList({"a", "c"}));
        QCOMPARE(CatalogueNames(sheet_->catalogue()), QStringList({"a", "c"}));
        QCOMPARE(page().SelectedAgent(), nullptr);
        QVERIFY(page().descriptionArea()->text().isEmpty());
        QVERIFY(sheet_->applyButton()->isEnabled());

        sheet_->okButton()->click();
        QCOMPARE(QString::fromStdString(test::ReadFile(IniPath())), QString("a\nc\n"));
        QVERIFY(std::filesystem::exists(*folder_ / "Agents/b.agt"));
    }

    void newAgentAddsTheEditorsRecord() {
        OpenSheet({MakeAgent("Old")});
        const auto seen = AnswerEditor(true, "Fresh");
        page().newButton()->click();
        QVERIFY(seen->acted);
        QCOMPARE(seen->title, QString("New Agent"));
        QCOMPARE(CatalogueNames(sheet_->catalogue()), QStringList({"Old", "Fresh"}));
        QCOMPARE(ListedNames(page()), QStringList({"Fresh", "Old"}));
        QCOMPARE(page().SelectedAgent(), sheet_->catalogue().FindAgent("Old"));
        QVERIFY(sheet_->applyButton()->isEnabled());
    }

    void cancelInTheEditorChangesNothing() {
        OpenSheet({MakeAgent("Old", "kept")});
        auto seen = AnswerEditor(false);
        page().newButton()->click();
        QVERIFY(seen->acted);
        seen = AnswerEditor(false);
        page().editButton()->click();
        QVERIFY(seen->acted);
        QCOMPARE(seen->title, QString("Edit Agent - Old"));
        QCOMPARE(CatalogueNames(sheet_->catalogue()), QStringList({"Old"}));
        QCOMPARE(page().descriptionArea()->text(), QString("kept"));
        QVERIFY(!sheet_->applyButton()->isEnabled());
    }

    void renamingMovesTheEntryAndTheOldFileStays() {
        OpenSheet({MakeAgent("apple"), MakeAgent("mango"), MakeAgent("zucchini")});
        Select(page(), "apple");
        const auto seen = AnswerEditor(true, "pear");
        emit page().agentList()->itemDoubleClicked(page().agentList()->currentItem());
        QVERIFY(seen->acted);
        QCOMPARE(seen->title, QString("Edit Agent - apple"));
        QCOMPARE(ListedNames(page()), QStringList({"mango", "pear", "zucchini"}));
        QCOMPARE(page().SelectedAgent(), nullptr);
        QVERIFY(sheet_->applyButton()->isEnabled());

        sheet_->applyButton()->click();
        QVERIFY(sheet_->isVisible());
        QVERIFY(!sheet_->applyButton()->isEnabled());
        QCOMPARE(QString::fromStdString(test::ReadFile(IniPath())),
                 QString("pear\nmango\nzucchini\n"));
        QVERIFY(std::filesystem::exists(*folder_ / "Agents/apple.agt"));
        QVERIFY(std::filesystem::exists(*folder_ / "Agents/pear.agt"));
    }

    void okWritesTheCatalogueEvenUnchanged() {
        OpenSheet({MakeAgent("One")});
        std::filesystem::remove(IniPath());
        std::filesystem::remove(*folder_ / "Agents/One.agt");
        sheet_->okButton()->click();
        QCOMPARE(sheet_->result(), int(QDialog::Accepted));
        QCOMPARE(QString::fromStdString(test::ReadFile(IniPath())), QString("One\n"));
        QVERIFY(std::filesystem::exists(*folder_ / "Agents/One.agt"));
    }

    void cancelWritesNothing() {
        OpenSheet({MakeAgent("One")});
        Select(page(), "One");
        page().duplicateButton()->click();
        std::filesystem::remove_all(folder_->Path());
        sheet_->cancelButton()->click();
        QCOMPARE(sheet_->result(), int(QDialog::Rejected));
        QVERIFY(!std::filesystem::exists(folder_->Path()));
    }

    void aFailedSaveIsReportedAndKeepsTheSheetOpen() {
        OpenSheet({MakeAgent("One")});
        test::WriteFile(*folder_ / "blocker", "a file where a folder should be");
        const std::string unwritable = *folder_ / "blocker/install";
        const test::ScopedEnvironment blocked("GLEANWORK_INSTALLDIR", unwritable.c_str());
        const auto seen = AnswerMessageBox(QMessageBox::Ok);
        sheet_->okButton()->click();
        QVERIFY(seen->acted);
        QVERIFY(seen->text.contains("could not be saved"));
        QVERIFY(sheet_->isVisible());
        QCOMPARE(sheet_->catalogue().Count(), std::size_t{1});
    }

    void runAgentOpensAWindowPerClick() {
        test::WriteFile(*folder_ / "source.txt", "abc");
        AgentDefinition agent = MakeAgent("Quick");
        agent.URL = *folder_ / "source.txt";
        agent.SCRIPT = {"FIND \"b\""};
        OpenSheet({agent});
        page().runButton()->click();
        page().runButton()->click();
        QCOMPARE(OutputWindowCount(), 2);
        QVERIFY(sheet_->isVisible());
        QVERIFY(!sheet_->applyButton()->isEnabled());
    }
};

QTEST_MAIN(AgentsPageTest)
#include "AgentsPageTest.moc"
