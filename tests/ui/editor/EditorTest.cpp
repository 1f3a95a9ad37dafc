// The agent editor as users work it: definitions loaded into the pages and
// saved back, a whole edit through the dialog, refused names, the script
// list with Enter, checker marks and undo, the database test button, and the
// source preview.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "net/LoopbackServer.h"
#include "storage/AgentCatalogue.h"
#include "storage/AgentFile.h"
#include "support/AgentSamples.h"
#include "support/CaseFile.h"
#include "support/ModalDriver.h"
#include "support/TempFolder.h"
#include "ui/editor/AgentEditor.h"
#include "ui/editor/CAgentPropActions.h"
#include "ui/editor/CAgentPropGeneral.h"
#include "ui/editor/CAgentPropOutput.h"
#include "ui/editor/CPreviewSourceDlg.h"
#include "ui/sheet/PropertySheet.h"

namespace gleanwork {

using Lines = std::vector<std::string>;

namespace {

// The editor's three pages in a sheet shown without a modal loop, so that a
// test can switch pages and work the controls directly.
class EditorHarness {
public:
    enum PageIndex { kGeneral = 0, kActions = 1, kOutput = 2 };

    explicit EditorHarness(const AgentDefinition& agent = {}) : sheet(QStringLiteral("Editor")) {
        for (PropertyPage* page : std::initializer_list<PropertyPage*>{general, actions, output}) {
            sheet.AddPage(page);
        }
        general->ReadFrom(agent);
        actions->ReadFrom(agent);
        output->ReadFrom(agent);
        sheet.setModal(false);
        sheet.show();
        QCoreApplication::processEvents();
    }

    // Brings a page to the front as a click on its tab does.
    void ShowPage(PageIndex page) {
        sheet.tabs()->setCurrentIndex(page);
        QCoreApplication::processEvents();
    }

    // Leaves the page in front and comes back to it.
    void Revisit(PageIndex page) {
        ShowPage(page == kGeneral ? kActions : kGeneral);
        ShowPage(page);
    }

    // What OK writes: the page in front saved, then every page's values.
    AgentDefinition Result(AgentDefinition agent = {}) {
        sheet.ApplyChanges();
        general->WriteTo(agent);
        actions->WriteTo(agent);
        output->WriteTo(agent);
        return agent;
    }

    template <typename Control>
    Control* Find(const char* name) const {
        return sheet.findChild<Control*>(QLatin1String(name));
    }

    PropertySheet sheet;
    CAgentPropGeneral* general = new CAgentPropGeneral;
    CAgentPropActions* actions = new CAgentPropActions;
    CAgentPropOutput* output = new CAgentPropOutput;
};

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

// The sample agent with the agent-file lines `lines` applied.
AgentDefinition SampleWith(const std::string& lines) {
    const test::TempFolder folder;
    test::WriteFile(folder / "lines", lines + "\n");
    AgentDefinition agent = test::SampleAgent();
    ReadAgentFile(agent, folder / "lines");
    return agent;
}

QString ToQ(const std::string& text) {
    return QString::fromStdString(text);
}

// The rows of table `name` of the editor's data file.
test::Table Table(const std::string& name) {
    std::vector<std::string> errors;
    test::Table rows = test::ReadTable(GLEANWORK_TEST_DATA "/ui/editor.txt", name, errors);
    if (!errors.empty()) {
        qFatal("%s", errors.front().c_str());
    }
    return rows;
}

Lines Shown(const QListWidget& list) {
    Lines shown;
    for (int row = 0; row < list.count(); ++row) {
        shown.push_back(list.item(row)->text().toStdString());
    }
    return shown;
}

QString Joined(const Lines& lines) {
    QStringList joined;
    for (const std::string& line : lines) {
        joined << ToQ(line);
    }
    return joined.join(u'|');
}

// Works every control of the "every control" table, on all three pages.
void ChangeEverything(PropertySheet& sheet) {
    for (const std::vector<std::string>& row : Table("every control")) {
        sheet.tabs()->setCurrentIndex(std::stoi(row[0]));
        auto* control = sheet.findChild<QWidget*>(ToQ(row[1]));
        if (auto* combo = qobject_cast<QComboBox*>(control)) {
            combo->setEditText(ToQ(row[2]));
        } else if (auto* line = qobject_cast<QLineEdit*>(control)) {
            line->setText(ToQ(row[2]));
        } else {
            qobject_cast<QAbstractButton*>(control)->click();
        }
    }
}

// The sample agent as ChangeEverything leaves it.
AgentDefinition ChangedAgent() {
    std::string lines;
    for (const std::vector<std::string>& row : Table("every control")) {
        lines += row[3].empty() ? "" : row[3] + "\n";
    }
    AgentDefinition agent = SampleWith(lines);
    agent.name = "Renamed";
    agent.SCRIPT.push_back("PRINTLN \"done\"");
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
            ChangeEverything(sheet);
            auto seen = test::AnswerMessageBox(QMessageBox::No);
            QTest::keyClick(&sheet, Qt::Key_Escape);
            QCOMPARE(seen->text, QStringLiteral("Discard the changes to agent Weather?"));
            QVERIFY(sheet.isVisible() &&
                    sheet.findChild<QLineEdit*>("agentName")->text() == "Renamed");
            seen = test::AnswerMessageBox(QMessageBox::Yes);
            sheet.close();
            QVERIFY(seen->acted && !sheet.isVisible());
        }));
        QVERIFY(agent == test::SampleAgent());
        QVERIFY(RunEditor(AgentEditorMode::Edit, agent, catalogue, [](PropertySheet& sheet) {
            ChangeEverything(sheet);
            sheet.okButton()->click();
        }));
        QVERIFY(agent == ChangedAgent());

        AgentDefinition fresh;
        QVERIFY(RunEditor(AgentEditorMode::New, fresh, catalogue, [](PropertySheet& sheet) {
            QVERIFY(!sheet.applyButton()->isEnabled());
            SetText(sheet, "agentName", "Fresh");
            sheet.okButton()->click();
        }));
        QCOMPARE(fresh.name, std::string("Fresh"));
        QCOMPARE(fresh.USERAGENT, std::string("Gleanwork/1.0"));
    }

    // A line typed into the command field and not added asks; an edit undone
    // and a script line copied into the field are no change.
    void cancelAsksOnlyAboutChanges() {
        AgentCatalogue catalogue;
        AgentDefinition& agent = catalogue.AddAgent(test::SampleAgent());
        QVERIFY(!RunEditor(AgentEditorMode::Edit, agent, catalogue, [](PropertySheet& sheet) {
            SetText(sheet, "agentName", "Other");
            SetText(sheet, "agentName", "Weather");
            sheet.tabs()->setCurrentIndex(1);
            sheet.findChild<QComboBox*>("command")->setEditText(QStringLiteral("SKIP 1"));
            auto seen = test::AnswerMessageBox(QMessageBox::No);
            sheet.cancelButton()->click();
            QVERIFY(seen->acted);
            sheet.findChild<QListWidget*>("script")->setCurrentRow(1);
            seen = test::AnswerMessageBox(QMessageBox::Yes);
            sheet.cancelButton()->click();
            QVERIFY(!seen->acted && !sheet.isVisible());
        }));
    }

    void namesThatCannotBeUsedKeepTheEditorOpen_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        for (const std::vector<std::string>& row : Table("names")) {
            QTest::addRow("'%s'", row[0].c_str()) << ToQ(row[0]) << ToQ(row[1]);
        }
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
        for (const std::vector<std::string>& step : Table("script list")) {
            const int click = std::stoi(step[0]);
            if (click >= 0) {
                const QRect place = script->visualItemRect(script->item(click));
                QTest::mouseClick(script->viewport(), Qt::LeftButton, {}, place.center());
                QCOMPARE(command->currentText(), script->item(click)->text());
            }
            if (step[1] != "-") {
                command->setEditText(ToQ(step[1]));
            }
            editor.Find<QPushButton>(step[2].c_str())->click();
            QCOMPARE(Joined(editor.actions->scriptLines()), ToQ(step[3]));
            QCOMPARE(Joined(Shown(*script)), ToQ(step[3]));
            QCOMPARE(script->currentRow(), std::stoi(step[4]));
        }
        command->setEditText(QStringLiteral("skip"));
        editor.Revisit(EditorHarness::kActions);
        QCOMPARE(command->currentText(), QStringLiteral("SKIP number"));
        QCOMPARE(editor.Result().SCRIPT, (Lines{"B", "A", "C", "Y"}));
    }

    // Enter adds and replaces without closing the sheet; the checker marks
    // lines as they change; undo and redo restore the list.
    void enterCheckerMarksAndUndo() {
        AgentDefinition agent;
        agent.SCRIPT = {"FIND \"a\"", "JUMPIFOK end"};
        EditorHarness editor(agent);
        editor.ShowPage(EditorHarness::kActions);
        auto* command = editor.Find<QComboBox>("command");
        auto* script = editor.Find<QListWidget>("script");
        auto* messages = editor.Find<QListWidget>("checkMessages");
        QCOMPARE(messages->count(), 1);
        QCOMPARE(messages->item(0)->text(),
                 QStringLiteral("Line 2: no bookmark \"end\" in the script"));
        QVERIFY(!script->item(1)->icon().isNull());
        QVERIFY(script->item(0)->icon().isNull());

        command->setEditText(QStringLiteral("GETUNTL \"b\""));
        QCOMPARE(messages->item(1)->text(),
                 QStringLiteral("Typed line: unknown command \"GETUNTL\"; did you mean GETUNTIL?"));
        QTest::keyClick(command->lineEdit(), Qt::Key_Return);
        QVERIFY(editor.sheet.isVisible());
        QCOMPARE(Shown(*script), (Lines{"FIND \"a\"", "JUMPIFOK end", "GETUNTL \"b\""}));
        QVERIFY(!script->item(2)->icon().isNull());

        // A selected line comes into the field; Enter replaces it.
        script->setCurrentRow(0);
        script->setCurrentRow(2);
        command->setEditText(QStringLiteral("BOOKMARK end"));
        QTest::keyClick(command->lineEdit(), Qt::Key_Return);
        QCOMPARE(Shown(*script), (Lines{"FIND \"a\"", "JUMPIFOK end", "BOOKMARK end"}));
        QCOMPARE(messages->count(), 0);
        QCOMPARE(editor.actions->scriptLines(), Shown(*script));

        script->setCurrentRow(0);
        QApplication::setActiveWindow(&editor.sheet);
        script->setFocus();
        QTest::keyClick(script, Qt::Key_Delete);
        QCOMPARE(script->count(), 2);
        QTest::keyClick(script, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(script, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Shown(*script), (Lines{"FIND \"a\"", "JUMPIFOK end", "GETUNTL \"b\""}));
        QTest::keyClick(script, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(editor.actions->scriptLines(),
                 (Lines{"FIND \"a\"", "JUMPIFOK end", "BOOKMARK end"}));

        // In place: the edited item becomes the script line.
        script->item(0)->setText(QStringLiteral("FIND \"z\""));
        QCOMPARE(editor.actions->scriptLines().front(), std::string("FIND \"z\""));
    }

    // The Database Configuration frame's button tries what the fields show,
    // and says what it found.
    void testConnectionSaysWhatHappened() {
        AgentDefinition agent;
        agent.DBSOURCE = "inventory";
        EditorHarness editor(agent);
        editor.ShowPage(EditorHarness::kOutput);
        auto* result = editor.Find<QLabel>("connectionResult");
        editor.Find<QPushButton>("testConnection")->click();
        QVERIFY(result->text().startsWith("The data source is not understood. Use sqlite:PATH"));
        editor.Find<QLineEdit>("dataSource")->setText(QStringLiteral("/nowhere/quotes.db"));
        editor.Find<QPushButton>("testConnection")->click();
        QCOMPARE(result->text().left(38), QStringLiteral("The SQLite file /nowhere/quotes.db doe"));
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
        for (const QPointer<CPreviewSourceDlg>& window : shown) {
            QTRY_VERIFY_WITH_TIMEOUT(!window->IsReading(), 10000);
        }
        QCOMPARE(shown[0]->text(), QStringLiteral("a\r\nb\r\nc\r\nd"));
        QCOMPARE(shown[1]->text(), QStringLiteral("one\r\ntwo"));
        QVERIFY(shown[2]->isVisible() && shown[2]->text().contains("ERROR: Cannot read "));
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
