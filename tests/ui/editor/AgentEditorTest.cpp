#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "EditorHarness.h"
#include "storage/AgentCatalogue.h"
#include "support/AgentSamples.h"
#include "support/ModalDriver.h"
#include "ui/editor/AgentEditor.h"

namespace gleanwork {

namespace {

using SheetScript = std::function<void(PropertySheet&)>;

// Opens the editor and works it with `script` once it is up. A script that
// leaves the sheet open (a failed check returns early) fails the test, and
// the sheet is closed with Cancel so that nothing waits for ever.
bool RunEditor(AgentEditorMode mode, AgentDefinition& agent, const AgentCatalogue& catalogue,
               SheetScript script) {
    auto left = std::make_shared<bool>(false);
    const auto watch = test::WhenModalWindow<PropertySheet>([script, left](PropertySheet& sheet) {
        script(sheet);
        if (sheet.isVisible()) {
            *left = true;
            sheet.reject();
        }
    });
    const bool accepted = RunAgentEditor(nullptr, mode, agent, catalogue);
    if (*left) {
        qWarning("the editor was left open");
        return !accepted;
    }
    return accepted;
}

template <typename Control>
Control* Find(PropertySheet& sheet, const char* name) {
    return sheet.findChild<Control*>(QLatin1String(name));
}

void ShowPage(PropertySheet& sheet, int page) {
    sheet.tabs()->setCurrentIndex(page);
}

void SetText(PropertySheet& sheet, const char* name, const char* text) {
    Find<QLineEdit>(sheet, name)->setText(QString::fromUtf8(text));
}

// Types a value into every control the user can reach, on all three pages.
void ChangeEverything(PropertySheet& sheet) {
    SetText(sheet, "agentName", "Renamed");
    SetText(sheet, "description", "New description");
    SetText(sheet, "urlOrFile", "/srv/page.html");
    Find<QComboBox>(sheet, "userAgent")->setEditText(QStringLiteral("Robot/9"));
    SetText(sheet, "webUser", "bob");
    SetText(sheet, "webPassword", "hunter2");
    SetText(sheet, "proxyHost", "cache.invalid");
    SetText(sheet, "proxyPort", "3128");
    ShowPage(sheet, 1);
    Find<QComboBox>(sheet, "command")->setEditText(QStringLiteral("PRINTLN \"done\""));
    Find<QPushButton>(sheet, "add")->click();
    ShowPage(sheet, 2);
    SetText(sheet, "outputFile", "/tmp/renamed.txt");
    Find<QCheckBox>(sheet, "append")->click();
}

AgentDefinition ChangedAgent(const AgentDefinition& before) {
    AgentDefinition agent = before;
    agent.name = "Renamed";
    agent.DESCRIPTION = "New description";
    agent.URL = "/srv/page.html";
    agent.USERAGENT = "Robot/9";
    agent.WEBUSER = "bob";
    agent.WEBPASS = "hunter2";
    agent.HOST = "cache.invalid";
    agent.PORT = "3128";
    agent.SCRIPT.push_back("PRINTLN \"done\"");
    agent.FILE = "/tmp/renamed.txt";
    agent.APPEND = before.APPEND == 1 ? 0 : 1;
    return agent;
}

void PressOk(PropertySheet& sheet) {
    sheet.okButton()->click();
}

void PressCancel(PropertySheet& sheet) {
    sheet.cancelButton()->click();
}

}  // namespace

class AgentEditorTest : public QObject {
    Q_OBJECT

private slots:
    void aNewAgentOpensEmptyOnTheGeneralPage() {
        AgentCatalogue catalogue;
        AgentDefinition agent;
        const bool accepted = RunEditor(AgentEditorMode::New, agent, catalogue, [](auto& sheet) {
            QCOMPARE(sheet.windowTitle(), QStringLiteral("New Agent"));
            QCOMPARE(sheet.PageCount(), 3);
            QCOMPARE(sheet.tabs()->tabText(0), QStringLiteral("General"));
            QCOMPARE(sheet.tabs()->tabText(1), QStringLiteral("Actions"));
            QCOMPARE(sheet.tabs()->tabText(2), QStringLiteral("Output settings"));
            QCOMPARE(sheet.ActivePageIndex(), 0);
            QVERIFY(!sheet.applyButton()->isEnabled());
            QVERIFY(sheet.helpButton() != nullptr);
            QVERIFY(Find<QLineEdit>(sheet, "agentName")->text().isEmpty());
            SetText(sheet, "agentName", "Fresh");
            PressOk(sheet);
        });
        QVERIFY(accepted);
        AgentDefinition expected;
        expected.name = "Fresh";
        expected.USERAGENT = "Gleanwork/1.0";
        QCOMPARE(agent, expected);
    }

    void editingShowsTheAgentAndOkKeepsWhatWasNotChanged() {
        AgentCatalogue catalogue;
        AgentDefinition& agent = catalogue.AddAgent(test::SampleAgent());
        QVERIFY(RunEditor(AgentEditorMode::Edit, agent, catalogue, [](auto& sheet) {
            QCOMPARE(sheet.windowTitle(), QStringLiteral("Edit Agent - Weather"));
            QCOMPARE(Find<QLineEdit>(sheet, "urlOrFile")->text(),
                     QStringLiteral("http://weather.invalid/today"));
            ShowPage(sheet, 1);
            QCOMPARE(Find<QListWidget>(sheet, "script")->count(), 3);
            QVERIFY(Find<QComboBox>(sheet, "command")->currentText().isEmpty());
            ShowPage(sheet, 2);
            QVERIFY(Find<QCheckBox>(sheet, "append")->isChecked());
            ShowPage(sheet, 0);
            PressOk(sheet);
        }));
        QCOMPARE(agent, test::SampleAgent());
    }

    void editingWritesEveryChangedField() {
        AgentCatalogue catalogue;
        AgentDefinition& agent = catalogue.AddAgent(test::SampleAgent());
        QVERIFY(RunEditor(AgentEditorMode::Edit, agent, catalogue, [](auto& sheet) {
            ChangeEverything(sheet);
            PressOk(sheet);
        }));
        QCOMPARE(agent, ChangedAgent(test::SampleAgent()));
        QCOMPARE(catalogue.Count(), std::size_t{1});
    }

    void pagesNeverShownPassTheirFieldsThrough() {
        AgentCatalogue catalogue;
        AgentDefinition stored = test::SampleAgent();
        stored.APPEND = 7;
        AgentDefinition& agent = catalogue.AddAgent(stored);
        QVERIFY(RunEditor(AgentEditorMode::Edit, agent, catalogue, PressOk));
        QCOMPARE(agent, stored);
    }

    void cancelChangesNothing() {
        AgentCatalogue catalogue;
        AgentDefinition& agent = catalogue.AddAgent(test::SampleAgent());
        QVERIFY(!RunEditor(AgentEditorMode::Edit, agent, catalogue, [](auto& sheet) {
            ChangeEverything(sheet);
            PressCancel(sheet);
        }));
        QCOMPARE(agent, test::SampleAgent());

        AgentDefinition fresh;
        QVERIFY(!RunEditor(AgentEditorMode::New, fresh, catalogue, [](auto& sheet) {
            ChangeEverything(sheet);
            sheet.reject();
        }));
        QCOMPARE(fresh, AgentDefinition{});
        QCOMPARE(catalogue.Count(), std::size_t{1});
    }

    void refusedNamesKeepTheEditorOpenWithEverythingTyped_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << QString("") << QString("enter a name");
        QTest::newRow("another agent's")
            << QString("Weather") << QString("already named \"Weather\"");
        QTest::newRow("slash") << QString("a/b") << QString("cannot contain \"/\"");
        QTest::newRow("dot") << QString(".") << QString("cannot be \".\"");
        QTest::newRow("dot dot") << QString("..") << QString("cannot be \".\" or \"..\"");
    }
    void refusedNamesKeepTheEditorOpenWithEverythingTyped() {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        AgentCatalogue catalogue;
        catalogue.AddAgent(test::SampleAgent());
        AgentDefinition agent;
        std::shared_ptr<test::ModalSeen> seen;
        QVERIFY(RunEditor(AgentEditorMode::New, agent, catalogue, [&](auto& sheet) {
            ChangeEverything(sheet);
            ShowPage(sheet, 0);
            Find<QLineEdit>(sheet, "agentName")->setText(name);
            ShowPage(sheet, 2);
            seen = test::AnswerMessageBox(QMessageBox::Ok);
            PressOk(sheet);
            QVERIFY(sheet.isVisible());
            QCOMPARE(sheet.ActivePageIndex(), 0);
            QCOMPARE(Find<QLineEdit>(sheet, "agentName")->text(), name);
            QCOMPARE(Find<QLineEdit>(sheet, "description")->text(),
                     QStringLiteral("New description"));
            SetText(sheet, "agentName", "Renamed");
            PressOk(sheet);
        }));
        QVERIFY(seen->acted);
        QVERIFY2(seen->text.contains(reason), qPrintable(seen->text));
        QCOMPARE(agent, ChangedAgent(AgentDefinition{}));
        QCOMPARE(catalogue.Count(), std::size_t{1});
    }

    void anAgentMayKeepItsNameAndNamesDifferingInCaseAreOthers() {
        AgentCatalogue catalogue;
        catalogue.AddAgent(test::SampleAgent());
        AgentDefinition& other = catalogue.AddAgent(test::MakeAgent("News"));
        QVERIFY(RunEditor(AgentEditorMode::Edit, other, catalogue, PressOk));
        QCOMPARE(other.name, std::string("News"));
        QVERIFY(RunEditor(AgentEditorMode::Edit, other, catalogue, [](auto& sheet) {
            SetText(sheet, "agentName", "weather");
            PressOk(sheet);
        }));
        QCOMPARE(other.name, std::string("weather"));
    }
};

}  // namespace gleanwork

QTEST_MAIN(gleanwork::AgentEditorTest)
#include "AgentEditorTest.moc"
