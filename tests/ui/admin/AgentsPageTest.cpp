// The Agents page of the administrator sheet as users work it: browse,
// duplicate, remove, create, rename, run, and save with OK or Apply, or fail
// to.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "storage/AgentCatalogue.h"
#include "support/ModalDriver.h"
#include "support/RunWindows.h"
#include "ui/admin/CGleanworkSheet.h"
#include "ui/run/CAgentOutputDlg.h"

using namespace gleanwork;
using test::AnswerMessageBox;
using test::MakeAgent;

class AgentsPageTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempInstallFolder> folder_;
    std::unique_ptr<CGleanworkSheet> sheet_;

    CAgentAdmin& page() { return sheet_->agentsPage(); }

    void Open(const std::vector<AgentDefinition>& agents) {
        QVERIFY(test::SaveAgents(agents));
        sheet_ = std::make_unique<CGleanworkSheet>("Gleanwork 1.0 Administrator");
        sheet_->show();
    }

    QStringList Listed() {
        QStringList names;
        for (int row = 0; row < page().agentList()->count(); ++row) {
            names << page().agentList()->item(row)->text();
        }
        return names;
    }

    void Select(const QString& name) {
        const auto found = page().agentList()->findItems(name, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        page().agentList()->setCurrentItem(found.first());
    }

    QString Saved(const std::string& file = "AGENTS.INI") {
        return QString::fromStdString(test::ReadFile(*folder_ / file));
    }

    // Answers the agent editor: types `name` (unless null) and presses OK,
    // or presses Cancel.
    static std::shared_ptr<test::ModalSeen> AnswerEditor(bool ok, const QString& name = {}) {
        return test::WhenModalWindow<PropertySheet>([ok, name](PropertySheet& sheet) {
            if (ok && !name.isNull()) {
                sheet.findChild<QLineEdit*>("agentName")->setText(name);
            }
            (ok ? sheet.okButton() : sheet.cancelButton())->click();
        });
    }

private slots:
    void init() { folder_ = std::make_unique<test::TempInstallFolder>(); }
    void cleanup() {
        sheet_.reset();
        CAgentOutputDlg::EndAllRuns();
        folder_.reset();
    }

    void browseDuplicateRemoveAndSave() {
        AgentDefinition weather = test::SampleAgent();
        Open({MakeAgent("zeta", "last"), weather, MakeAgent("Weather2"), MakeAgent("NEWS2"),
              MakeAgent("news", "first")});
        QCOMPARE(Listed(), QStringList({"news", "NEWS2", "Weather", "Weather2", "zeta"}));
        QCOMPARE(page().descriptionArea()->text(), QString("first"));
        Select("zeta");
        QCOMPARE(page().descriptionArea()->text(), QString("last"));
        QVERIFY(!sheet_->applyButton()->isEnabled());
        for (const char* name : {"Weather", "Weather2", "news"}) {
            Select(name);
            page().duplicateButton()->click();
        }
        weather.name = "Weather3";
        const AgentDefinition* copy = sheet_->catalogue().FindAgent("Weather3");
        QVERIFY(copy != nullptr && *copy == weather);
        QCOMPARE(Listed(), QStringList({"news", "NEWS2", "news2", "Weather", "Weather2",
                                        "Weather22", "Weather3", "zeta"}));

        Select("Weather2");
        auto seen = AnswerMessageBox(QMessageBox::No);
        page().removeButton()->click();
        QCOMPARE(seen->title, QString("Gleanwork - Remove Agent"));
        QCOMPARE(seen->text, QString("Are you sure you want to remove this agent?"));
        QCOMPARE(Listed().size(), 8);
        seen = AnswerMessageBox(QMessageBox::Yes);
        page().removeButton()->click();
        QVERIFY(seen->acted);
        QCOMPARE(page().SelectedAgent(), nullptr);
        QVERIFY(page().descriptionArea()->text().isEmpty());
        QVERIFY(sheet_->applyButton()->isEnabled());
        page().runButton()->click();  // nothing selected
        Select("zeta");
        page().runButton()->click();
        page().runButton()->click();
        QCOMPARE(test::TopLevel<CAgentOutputDlg>().size(), 2);
        sheet_->okButton()->click();
        QCOMPARE(Saved(), QString("zeta\nWeather\nNEWS2\nnews\nWeather3\nWeather22\nnews2\n"));
        QVERIFY(std::filesystem::exists(*folder_ / "Agents/Weather2.agt"));
    }

    void createRenameAndApply() {
        Open({MakeAgent("apple", "kept"), MakeAgent("mango")});
        auto seen = AnswerEditor(false);
        page().newButton()->click();
        seen = AnswerEditor(false);
        page().editButton()->click();
        QCOMPARE(seen->title, QString("Edit Agent - apple"));
        QCOMPARE(page().descriptionArea()->text(), QString("kept"));
        QVERIFY(!sheet_->applyButton()->isEnabled());

        seen = AnswerEditor(true, "Fresh");
        page().newButton()->click();
        QCOMPARE(seen->title, QString("New Agent"));
        Select("apple");
        seen = AnswerEditor(true, "pear");
        emit page().agentList()->itemDoubleClicked(page().agentList()->currentItem());
        QVERIFY(seen->acted);
        QCOMPARE(Listed(), QStringList({"Fresh", "mango", "pear"}));
        {  // a failed save keeps the sheet open
            test::WriteFile(*folder_ / "blocker", "a file where a folder should be");
            const std::string unwritable = *folder_ / "blocker/install";
            const test::ScopedEnvironment blocked("GLEANWORK_INSTALLDIR", unwritable.c_str());
            seen = AnswerMessageBox(QMessageBox::Ok);
            sheet_->okButton()->click();
            QVERIFY(seen->text.contains("could not be saved"));
            QVERIFY(sheet_->isVisible());
        }
        sheet_->applyButton()->click();
        QVERIFY(sheet_->isVisible());
        QVERIFY(!sheet_->applyButton()->isEnabled());
        QCOMPARE(Saved(), QString("pear\nmango\nFresh\n"));
        QVERIFY(Saved("Agents/apple.agt").startsWith("DESCRIPTION=kept\n"));
        QVERIFY(Saved("Agents/pear.agt").startsWith("DESCRIPTION=kept\n"));
    }
};

QTEST_MAIN(AgentsPageTest)
#include "AgentsPageTest.moc"
