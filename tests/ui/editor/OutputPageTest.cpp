#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "EditorHarness.h"

namespace gleanwork {

using test::EditorHarness;

namespace {

AgentDefinition AgentWithDatabase() {
    AgentDefinition agent;
    agent.USERAGENT = "Mozilla/2.0";
    agent.FILE = "/tmp/out.txt";
    agent.APPEND = 1;
    agent.DBSOURCE = "inventory";
    agent.DBUSER = "clerk";
    agent.DBPASS = "pa\xA7s";
    agent.DBINSERT = "INSERT INTO t VALUES ('%a%', '" + std::string(40000, 'x') + "')";
    agent.DBUPDATE = "UPDATE t SET a = '%a%'";
    return agent;
}

AgentDefinition AgentAppending(std::int32_t append) {
    AgentDefinition agent;
    agent.APPEND = append;
    return agent;
}

}  // namespace

class OutputPageTest : public QObject {
    Q_OBJECT

private slots:
    void theDatabaseFieldsShowWithTheirCaptions() {
        EditorHarness editor(AgentWithDatabase());
        editor.ShowPage(EditorHarness::kOutput);
        QCOMPARE(editor.Find<QLineEdit>("outputFile")->text(), QStringLiteral("/tmp/out.txt"));
        QVERIFY(editor.Find<QCheckBox>("append")->isChecked());
        auto* frame = editor.Find<QGroupBox>("databaseFrame");
        QCOMPARE(frame->title(), QStringLiteral("Database Configuration"));
        QStringList captions;
        for (QLabel* label : frame->findChildren<QLabel*>()) {
            if (label->buddy() != nullptr && label->buddy()->isVisible()) {
                captions << label->text();
            }
        }
        QCOMPARE(captions,
                 (QStringList{"Data Source:", "User ID:", "Password:",
                              "SQL for INSERTDATA command:", "SQL for UPDATEDATA command:"}));
        QCOMPARE(editor.Find<QLineEdit>("databasePassword")->echoMode(), QLineEdit::Password);
    }

    // The button tries what the fields show, and says what it found.
    void testConnectionSaysWhatHappened() {
        EditorHarness editor(AgentWithDatabase());
        editor.ShowPage(EditorHarness::kOutput);
        auto* result = editor.Find<QLabel>("connectionResult");
        editor.Find<QPushButton>("testConnection")->click();
        QVERIFY(result->text().startsWith("The data source is not understood. Use sqlite:PATH"));
        editor.Find<QLineEdit>("dataSource")->setText(QStringLiteral("/nowhere/quotes.db"));
        editor.Find<QPushButton>("testConnection")->click();
        QCOMPARE(result->text().left(38), QStringLiteral("The SQLite file /nowhere/quotes.db doe"));
    }

    void databaseFieldsSurviveAnEdit() {
        const AgentDefinition agent = AgentWithDatabase();
        EditorHarness editor(agent);
        editor.ShowPage(EditorHarness::kOutput);
        editor.Find<QLineEdit>("outputFile")->setText(QStringLiteral("other.txt"));
        editor.Revisit(EditorHarness::kOutput);
        AgentDefinition expected = agent;
        expected.FILE = "other.txt";
        QCOMPARE(editor.Result(agent), expected);
    }

    void aNewAgentsPageLeftAloneStoresEmptyValues() {
        EditorHarness editor;
        editor.ShowPage(EditorHarness::kOutput);
        AgentDefinition expected;
        expected.USERAGENT = "Gleanwork/1.0";
        QCOMPARE(editor.Result(), expected);
    }

    void aFlagOutsideTheRangeCountsAsZeroOnceThePageOpens() {
        EditorHarness unopened(AgentAppending(7));
        QCOMPARE(unopened.Result().APPEND, 7);

        EditorHarness opened(AgentAppending(7));
        opened.ShowPage(EditorHarness::kOutput);
        QCOMPARE(opened.Find<QCheckBox>("append")->checkState(), Qt::Unchecked);
        QCOMPARE(opened.Result().APPEND, 0);

        EditorHarness negative(AgentAppending(-1));
        negative.ShowPage(EditorHarness::kOutput);
        QCOMPARE(negative.Result().APPEND, 0);
    }

    void aFlagOfTwoShowsPartlyCheckedUntilClickedAndClicksGiveOneOrZero() {
        EditorHarness editor(AgentAppending(2));
        editor.ShowPage(EditorHarness::kOutput);
        auto* append = editor.Find<QCheckBox>("append");
        QCOMPARE(append->checkState(), Qt::PartiallyChecked);
        editor.Revisit(EditorHarness::kOutput);
        QCOMPARE(editor.Result().APPEND, 2);

        append->click();
        QCOMPARE(append->checkState(), Qt::Checked);
        append->click();
        QCOMPARE(append->checkState(), Qt::Unchecked);
        QCOMPARE(editor.Result().APPEND, 0);
        append->click();
        QCOMPARE(append->checkState(), Qt::Checked);
        QCOMPARE(editor.Result().APPEND, 1);
    }
};

}  // namespace gleanwork

QTEST_MAIN(gleanwork::OutputPageTest)
#include "OutputPageTest.moc"
