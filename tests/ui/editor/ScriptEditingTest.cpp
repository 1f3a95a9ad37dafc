#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include "EditorHarness.h"

namespace gleanwork {

using test::EditorHarness;

class ScriptEditingTest : public QObject {
    Q_OBJECT

private:
    static std::vector<std::string> Shown(const QListWidget& list) {
        std::vector<std::string> shown;
        for (int row = 0; row < list.count(); ++row) {
            shown.push_back(list.item(row)->text().toStdString());
        }
        return shown;
    }

private slots:
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
        QCOMPARE(Shown(*script),
                 (std::vector<std::string>{"FIND \"a\"", "JUMPIFOK end", "GETUNTL \"b\""}));
        QVERIFY(!script->item(2)->icon().isNull());

        // A selected line comes into the field; Enter replaces it.
        script->setCurrentRow(0);
        script->setCurrentRow(2);
        command->setEditText(QStringLiteral("BOOKMARK end"));
        QTest::keyClick(command->lineEdit(), Qt::Key_Return);
        QCOMPARE(Shown(*script),
                 (std::vector<std::string>{"FIND \"a\"", "JUMPIFOK end", "BOOKMARK end"}));
        QCOMPARE(messages->count(), 0);
        QCOMPARE(editor.actions->scriptLines(), Shown(*script));

        script->setCurrentRow(0);
        QApplication::setActiveWindow(&editor.sheet);
        script->setFocus();
        QTest::keyClick(script, Qt::Key_Delete);
        QCOMPARE(script->count(), 2);
        QTest::keyClick(script, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(script, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Shown(*script),
                 (std::vector<std::string>{"FIND \"a\"", "JUMPIFOK end", "GETUNTL \"b\""}));
        QTest::keyClick(script, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(editor.actions->scriptLines(),
                 (std::vector<std::string>{"FIND \"a\"", "JUMPIFOK end", "BOOKMARK end"}));

        // In place: the edited item becomes the script line.
        script->item(0)->setText(QStringLiteral("FIND \"z\""));
        QCOMPARE(editor.actions->scriptLines().front(), std::string("FIND \"z\""));
    }
};

}  // namespace gleanwork

QTEST_MAIN(gleanwork::ScriptEditingTest)
#include "ScriptEditingTest.moc"
