#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "EditorHarness.h"
#include "ui/editor/CommandTemplates.h"

namespace gleanwork {

using test::EditorHarness;

namespace {

AgentDefinition AgentWithScript(std::vector<std::string> lines) {
    AgentDefinition agent;
    agent.SCRIPT = std::move(lines);
    return agent;
}

}  // namespace

class ActionsPageTest : public QObject {
    Q_OBJECT

private:
    // An Actions page in front, holding `lines`.
    struct Page {
        explicit Page(std::vector<std::string> lines = {}) : editor(AgentWithScript(lines)) {
            editor.ShowPage(EditorHarness::kActions);
            command = editor.Find<QComboBox>("command");
            script = editor.Find<QListWidget>("script");
        }

        void Press(const char* button) { editor.Find<QPushButton>(button)->click(); }
        void Type(const QString& text) { command->setEditText(text); }

        void Select(int line) {
            const QRect place = script->visualItemRect(script->item(line));
            QTest::mouseClick(script->viewport(), Qt::LeftButton, {}, place.center());
        }

        int Selected() const {
            const QList<QListWidgetItem*> items = script->selectedItems();
            return items.isEmpty() ? -1 : script->row(items.first());
        }

        // The visible list, checked to agree with the script lines.
        std::vector<std::string> Lines() const {
            std::vector<std::string> shown;
            for (int row = 0; row < script->count(); ++row) {
                shown.push_back(script->item(row)->text().toStdString());
            }
            if (shown != editor.actions->scriptLines()) {
                qWarning("the visible list and the script lines differ");
                return {"<differ>"};
            }
            return shown;
        }

        EditorHarness editor;
        QComboBox* command;
        QListWidget* script;
    };

    using Lines = std::vector<std::string>;

private slots:
    void theTemplatesAreListedSortedIgnoringCase() {
        Page page({"FIND \"x\"", "PRINT"});
        QCOMPARE(CommandTemplates().size(), 22);
        QCOMPARE(CommandTemplates().mid(20), (QStringList{"FETCH \"address\"", "BACK"}));
        QStringList entries;
        for (int index = 0; index < page.command->count(); ++index) {
            entries << page.command->itemText(index);
        }
        for (int index = 1; index < entries.size(); ++index) {
            QVERIFY2(entries[index - 1].compare(entries[index], Qt::CaseInsensitive) < 0,
                     qPrintable(entries[index]));
        }
        QStringList all = CommandTemplates();
        all.sort();
        entries.sort();
        QCOMPARE(entries, all);
        QVERIFY(page.command->currentText().isEmpty());
        QCOMPARE(page.Lines(), (Lines{"FIND \"x\"", "PRINT"}));
        QCOMPARE(page.Selected(), -1);
    }

    void addInsertsAfterTheSelectedLineOrAtTheEnd() {
        Page page({"A", "B", "C"});
        page.Type(QStringLiteral("X"));
        page.Press("add");
        QCOMPARE(page.Lines(), (Lines{"A", "B", "C", "X"}));
        QCOMPARE(page.Selected(), 3);

        page.Select(1);
        page.Type(QStringLiteral("Y"));
        page.Press("add");
        QCOMPARE(page.Lines(), (Lines{"A", "B", "Y", "C", "X"}));
        QCOMPARE(page.Selected(), 2);
        QCOMPARE(page.command->currentText(), QStringLiteral("Y"));

        page.Press("add");
        QCOMPARE(page.Lines(), (Lines{"A", "B", "Y", "Y", "C", "X"}));
        QCOMPARE(page.Selected(), 3);
    }

    void addWithAnEmptyEditPartInsertsAnEmptyLine() {
        Page page;
        page.Press("add");
        QCOMPARE(page.Lines(), (Lines{""}));
        QCOMPARE(page.Selected(), 0);
    }

    void removeSelectsTheLineThatTakesThePlace() {
        Page page({"A", "B", "C"});
        page.Press("remove");
        QCOMPARE(page.Lines(), (Lines{"A", "B", "C"}));

        page.Select(0);
        page.Press("remove");
        QCOMPARE(page.Lines(), (Lines{"B", "C"}));
        QCOMPARE(page.Selected(), 0);

        page.Select(1);
        page.Press("remove");
        QCOMPARE(page.Lines(), (Lines{"B"}));
        QCOMPARE(page.Selected(), 0);

        page.Press("remove");
        QCOMPARE(page.Lines(), Lines{});
        QCOMPARE(page.Selected(), -1);
        page.Press("remove");
        QCOMPARE(page.Lines(), Lines{});
    }

    void moveUpAndDownExchangeWithTheNeighbour() {
        Page page({"A", "B", "C"});
        page.Press("moveUp");
        page.Press("moveDown");
        QCOMPARE(page.Lines(), (Lines{"A", "B", "C"}));

        page.Select(0);
        page.Press("moveUp");
        QCOMPARE(page.Lines(), (Lines{"A", "B", "C"}));
        QCOMPARE(page.Selected(), 0);

        page.Press("moveDown");
        page.Press("moveDown");
        QCOMPARE(page.Lines(), (Lines{"B", "C", "A"}));
        QCOMPARE(page.Selected(), 2);
        page.Press("moveDown");
        QCOMPARE(page.Lines(), (Lines{"B", "C", "A"}));
        QCOMPARE(page.Selected(), 2);

        page.Press("moveUp");
        QCOMPARE(page.Lines(), (Lines{"B", "A", "C"}));
        QCOMPARE(page.Selected(), 1);
    }

    void onlyTheUsersSelectionFillsTheEditPart() {
        Page page({"FIND \"a\"", "GET 3", "PRINT"});
        page.Select(1);
        QCOMPARE(page.command->currentText(), QStringLiteral("GET 3"));
        page.Type(QStringLiteral("typed"));
        page.Press("moveUp");
        page.Press("remove");
        page.Press("add");
        QCOMPARE(page.command->currentText(), QStringLiteral("typed"));
        QCOMPARE(page.Lines(), (Lines{"FIND \"a\"", "typed", "PRINT"}));

        QTest::keyClick(page.script, Qt::Key_Down);
        QCOMPARE(page.Selected(), 2);
        QCOMPARE(page.command->currentText(), QStringLiteral("PRINT"));
    }

    void theCommandTextIsCompletedToATemplateOnComingBack_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("completed");
        QTest::newRow("keyword") << QString("GET") << QString("GET number");
        QTest::newRow("lower case") << QString("skip") << QString("SKIP number");
        QTest::newRow("whole line") << QString("FIND \"word\"") << QString("FIND \"word\"");
        QTest::newRow("empty") << QString() << QString();
    }
    void theCommandTextIsCompletedToATemplateOnComingBack() {
        QFETCH(QString, typed);
        QFETCH(QString, completed);
        Page page;
        page.Type(typed);
        QCOMPARE(page.command->currentText(), typed);
        page.editor.Revisit(EditorHarness::kActions);
        QCOMPARE(page.command->currentText(), completed);
    }

    void leavingThePageKeepsTheScriptAndItGoesBackInOrder() {
        Page page({"A", "B"});
        page.Select(0);
        page.Press("moveDown");
        page.editor.Revisit(EditorHarness::kActions);
        QCOMPARE(page.Lines(), (Lines{"B", "A"}));
        QCOMPARE(page.editor.Result().SCRIPT, (Lines{"B", "A"}));
    }

    void linesThatAreNotUtf8KeepTheirBytes() {
        const std::string latin1 = "PRINT \"caf\xE9\"";
        Page page({latin1, "B"});
        page.Select(1);
        page.Press("moveUp");
        QCOMPARE(page.editor.Result().SCRIPT, (Lines{"B", latin1}));
    }
};

}  // namespace gleanwork

QTEST_MAIN(gleanwork::ActionsPageTest)
#include "ActionsPageTest.moc"
