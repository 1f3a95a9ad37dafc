// The agent editor as users work it: definitions loaded into the pages and
// saved back, a whole edit through the dialog, refused names, the script
// list, and the source preview.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "EditorHarness.h"
#include "net/LoopbackServer.h"
#include "storage/AgentCatalogue.h"
#include "support/CaseFile.h"
#include "support/ModalDriver.h"
#include "ui/editor/AgentEditor.h"
#include "ui/editor/CPreviewSourceDlg.h"

namespace gleanwork {

using test::EditorHarness;
using Lines = std::vector<std::string>;

namespace {

// Opens the editor and works it with `script` once it is up; a script that
// leaves it open fails the test, and the editor is then cancelled.
bool RunEditor(AgentEditorMode mode, AgentDefinition& agent, const AgentCatalogue& catalogue,
               std::function<void(PropertySheet&)> script) {
    auto leftOpen = std::make_shared<bool>(false);
    const auto watch = test::WhenModalWindow<PropertySheet>([=](PropertySheet& sheet) {
        script(sheet);
        *leftOpen = sheet.isVisible();
        if (*leftOpen) {
            sheet.reject();
        }
    });
    const bool accepted = RunAgentEditor(nullptr, mode, agent, catalogue);
    if (*leftOpen) {
        qWarning("the editor was left open");
    }
    return accepted && !*leftOpen;
}

void SetText(PropertySheet& sheet, const char* name, const char* text) {
    sheet.findChild<QLineEdit*>(name)->setText(QString::fromUtf8(text));
}

// Types a value into every control the user can reach, on all three pages.
void ChangeEverything(PropertySheet& sheet) {
    for (const auto& [name, text] : {std::pair{"agentName", "Renamed"},
                                     {"description", "New"},
                                     {"urlOrFile", "/srv/page.html"},
                                     {"webUser", "bob"},
                                     {"webPassword", "hunter2"},
                                     {"proxyHost", "cache.invalid"},
                                     {"proxyPort", "3128"}}) {
        SetText(sheet, name, text);
    }
    sheet.findChild<QComboBox*>("userAgent")->setEditText(QStringLiteral("Robot/9"));
    sheet.tabs()->setCurrentIndex(1);
    sheet.findChild<QComboBox*>("command")->setEditText(QStringLiteral("PRINTLN \"done\""));
    sheet.findChild<QPushButton*>("add")->click();
    sheet.tabs()->setCurrentIndex(2);
    SetText(sheet, "outputFile", "/tmp/renamed.txt");
    sheet.findChild<QCheckBox*>("append")->click();
}

AgentDefinition ChangedAgent(AgentDefinition agent) {
    agent.name = "Renamed";
    agent.DESCRIPTION = "New";
    agent.URL = "/srv/page.html";
    agent.USERAGENT = "Robot/9";
    agent.WEBUSER = "bob";
    agent.WEBPASS = "hunter2";
    agent.HOST = "cache.invalid";
    agent.PORT = "3128";
    agent.SCRIPT.push_back("PRINTLN \"done\"");
    agent.FILE = "/tmp/renamed.txt";
    agent.APPEND = agent.APPEND == 1 ? 0 : 1;
    return agent;
}

// The sample agent with the agent-file lines `lines` applied.
AgentDefinition SampleWith(const std::string& lines) {
    const test::TempFolder folder;
    test::WriteFile(folder / "lines", lines + "\n");
    AgentDefinition agent = test::SampleAgent();
    ReadAgentFile(agent, folder / "lines");
    return agent;
}

}  // namespace

class EditorTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qDeleteAll(test::TopLevel<CPreviewSourceDlg>()); }

    void definitionsGoThroughThePagesAndBack() {
        std::vector<std::string> errors;
        const std::vector<test::Case> cases = test::ReadCaseFile(
            GLEANWORK_TEST_DATA "/editor/round-trip.txt", {"stored", "revisit", "saved"}, errors);
        QVERIFY(errors.empty());
        for (const test::Case& c : cases) {
            EditorHarness editor(SampleWith(c.Text("stored")));
            for (const std::string& page : c.Lines("revisit")) {
                editor.Revisit(EditorHarness::PageIndex(std::stoi(page)));
            }
            const AgentDefinition saved = SampleWith(c.Text(c.Has("saved") ? "saved" : "stored"));
            QVERIFY2(editor.Result() == saved, c.name.c_str());
        }
    }

    void aWholeEditThroughTheDialog() {
        AgentCatalogue catalogue;
        AgentDefinition& agent = catalogue.AddAgent(test::SampleAgent());
        QVERIFY(!RunEditor(AgentEditorMode::Edit, agent, catalogue, [](PropertySheet& sheet) {
            QCOMPARE(sheet.windowTitle(), QStringLiteral("Edit Agent - Weather"));
            ChangeEverything(sheet);
            sheet.cancelButton()->click();
        }));
        QVERIFY(agent == test::SampleAgent());
        QVERIFY(RunEditor(AgentEditorMode::Edit, agent, catalogue, [](PropertySheet& sheet) {
            ChangeEverything(sheet);
            sheet.okButton()->click();
        }));
        QVERIFY(agent == ChangedAgent(test::SampleAgent()));

        AgentDefinition fresh;
        QVERIFY(RunEditor(AgentEditorMode::New, fresh, catalogue, [](PropertySheet& sheet) {
            QCOMPARE(sheet.windowTitle(), QStringLiteral("New Agent"));
            QCOMPARE(sheet.tabs()->tabText(2), QStringLiteral("Output settings"));
            QVERIFY(!sheet.applyButton()->isEnabled());
            SetText(sheet, "agentName", "Fresh");
            sheet.okButton()->click();
        }));
        QCOMPARE(fresh.name, std::string("Fresh"));
        QCOMPARE(fresh.USERAGENT, std::string("Gleanwork/1.0"));
    }

    void namesThatCannotBeUsedKeepTheEditorOpen_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << QString("") << QString("enter a name");
        QTest::newRow("another's") << QString("Weather") << QString("already named \"Weather\"");
        QTest::newRow("slash") << QString("a/b") << QString("cannot contain \"/\"");
        QTest::newRow("dot") << QString(".") << QString("cannot be \".\"");
        QTest::newRow("dot dot") << QString("..") << QString("cannot be \".\" or \"..\"");
        QTest::newRow("own name") << QString("News") << QString("");
        QTest::newRow("another's in other case") << QString("weather") << QString("");
        const QString longest(static_cast<qsizetype>(kLongestAgentName), QChar(u'n'));
        QTest::newRow("longest") << longest << QString("");
        QTest::newRow("too long") << longest + 'n' << QString("too long");
    }
    void namesThatCannotBeUsedKeepTheEditorOpen() {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        AgentCatalogue catalogue;
        catalogue.AddAgent(test::SampleAgent());
        AgentDefinition& agent = catalogue.AddAgent(test::MakeAgent("News"));
        std::shared_ptr<test::ModalSeen> seen;
        QVERIFY(RunEditor(AgentEditorMode::Edit, agent, catalogue, [&](PropertySheet& sheet) {
            sheet.findChild<QLineEdit*>("agentName")->setText(name);
            sheet.tabs()->setCurrentIndex(2);
            seen = test::AnswerMessageBox(QMessageBox::Ok);
            sheet.okButton()->click();
            if (!reason.isEmpty()) {
                QVERIFY(sheet.isVisible());
                QCOMPARE(sheet.ActivePageIndex(), 0);
                SetText(sheet, "agentName", "Renamed");
                sheet.okButton()->click();
            }
        }));
        QCOMPARE(seen->acted, !reason.isEmpty());
        QVERIFY2(seen->text.contains(reason), qPrintable(seen->text));
        QCOMPARE(agent.name, reason.isEmpty() ? name.toStdString() : "Renamed");
    }

    void theScriptListIsEditedLineByLine() {
        AgentDefinition agent;
        agent.SCRIPT = {"A", "B", "C"};
        EditorHarness editor(agent);
        editor.ShowPage(EditorHarness::kActions);
        auto* command = editor.Find<QComboBox>("command");
        auto* script = editor.Find<QListWidget>("script");
        // Each step: a line to click (-1: none), what to type (null: nothing),
        // the button, then the lines and the selected line.
        struct Step {
            int click;
            const char* type;
            const char* button;
            Lines lines;
            int selected;
        };
        for (const Step& step : {Step{-1, "X", "add", {"A", "B", "C", "X"}, 3},
                                 Step{1, "Y", "add", {"A", "B", "Y", "C", "X"}, 2},
                                 Step{-1, nullptr, "add", {"A", "B", "Y", "Y", "C", "X"}, 3},
                                 Step{-1, nullptr, "remove", {"A", "B", "Y", "C", "X"}, 3},
                                 Step{4, nullptr, "remove", {"A", "B", "Y", "C"}, 3},
                                 Step{0, nullptr, "moveUp", {"A", "B", "Y", "C"}, 0},
                                 Step{-1, nullptr, "moveDown", {"B", "A", "Y", "C"}, 1},
                                 Step{3, nullptr, "moveDown", {"B", "A", "Y", "C"}, 3},
                                 Step{-1, nullptr, "moveUp", {"B", "A", "C", "Y"}, 2}}) {
            if (step.click >= 0) {
                const QRect place = script->visualItemRect(script->item(step.click));
                QTest::mouseClick(script->viewport(), Qt::LeftButton, {}, place.center());
                QCOMPARE(command->currentText(), script->item(step.click)->text());
            }
            if (step.type != nullptr) {
                command->setEditText(QString::fromUtf8(step.type));
            }
            editor.Find<QPushButton>(step.button)->click();
            QCOMPARE(editor.actions->scriptLines(), step.lines);
            QCOMPARE(script->count(), static_cast<int>(step.lines.size()));
            QCOMPARE(script->currentRow(), step.selected);
        }
        command->setEditText(QStringLiteral("skip"));
        editor.Revisit(EditorHarness::kActions);
        QCOMPARE(command->currentText(), QStringLiteral("SKIP number"));
        QCOMPARE(editor.Result().SCRIPT, (Lines{"B", "A", "C", "Y"}));
    }

    void thePreviewShowsTheSourceAsARunReadsIt() {
        const test::TempFolder folder;
        test::WriteFile(folder / "page.txt", std::string("a\nb\r\nc\r\r\nd\0e", 12));
        test::LoopbackServer server({test::Reply("HTTP/1.0 200 OK\r\n\r\none\ntwo")});
        const QString httpUrl = QStringLiteral("http://127.0.0.1:%1/data").arg(server.Port());
        QPointer<CPreviewSourceDlg> shown[3];
        {
            EditorHarness editor;
            editor.Find<QComboBox>("userAgent")->setEditText(QStringLiteral("Mozilla/3.0"));
            editor.Find<QLineEdit>("webUser")->setText(QStringLiteral("alice"));
            const QStringList urls{QString::fromStdString(folder / "page.txt"), httpUrl,
                                   QStringLiteral("HTTP://127.0.0.1:1/")};
            for (int index = 0; index < 3; ++index) {
                const QList<CPreviewSourceDlg*> before = test::TopLevel<CPreviewSourceDlg>();
                editor.Find<QLineEdit>("urlOrFile")->setText(urls[index]);
                editor.Find<QPushButton>("previewSource")->click();
                for (CPreviewSourceDlg* window : test::TopLevel<CPreviewSourceDlg>()) {
                    if (!before.contains(window)) {
                        shown[index] = window;
                    }
                }
            }
        }
        QCOMPARE(shown[0]->text(), QStringLiteral("a\r\nb\r\nc\r\nd"));
        QCOMPARE(shown[1]->text(), QStringLiteral("one\r\ntwo"));
        QVERIFY(shown[2]->isVisible() && shown[2]->text().isEmpty());
        QCOMPARE(server.Requests(),
                 std::vector<std::string>{
                     "GET /data HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) +
                     "\r\nAuthorization: Basic YWxpY2U6\r\nUser-agent: "
                     "Mozilla/3.0\r\n\r\n"});
    }
};

}  // namespace gleanwork

QTEST_MAIN(gleanwork::EditorTest)
#include "EditorTest.moc"
