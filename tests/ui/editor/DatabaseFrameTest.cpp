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
    agent.DBSOURCE = "inventory";
    agent.DBUSER = "clerk";
    agent.DBPASS = "secret";
    return agent;
}

}  // namespace

// The Database Configuration frame of the Output settings page.
class DatabaseFrameTest : public QObject {
    Q_OBJECT

private slots:
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
};

}  // namespace gleanwork

QTEST_MAIN(gleanwork::DatabaseFrameTest)
#include "DatabaseFrameTest.moc"
