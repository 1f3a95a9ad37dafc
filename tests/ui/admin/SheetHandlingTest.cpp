#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "support/ModalDriver.h"
#include "support/RunWindows.h"
#include "support/TempFolder.h"
#include "ui/admin/CGleanworkSheet.h"

using namespace gleanwork;

// The Administrator sheet and the agent editor worked with mouse and keys.
class SheetHandlingTest : public QObject {
    Q_OBJECT

private slots:
    void clickEditApplyAndEnter() {
        test::TempInstallFolder folder;
        QVERIFY(test::SaveAgents(
            {test::MakeAgent("Alpha", "first"), test::MakeAgent("Beta", "second")}));
        CGleanworkSheet sheet("Gleanwork 1.0 Administrator");
        sheet.show();
        sheet.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));

        // The description follows the click, though the list makes the
        // entry current before it selects it.
        QListWidget* list = sheet.agentsPage().agentList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(1)).center());
        QCOMPARE(sheet.agentsPage().descriptionArea()->text(), QString("second"));

        // The editor opens centred on the sheet at the size it keeps on
        // every page.
        QList<QRect> shown;
        const auto seen = test::WhenModalWindow<PropertySheet>([&](PropertySheet& editor) {
            for (int index = 0; index < editor.PageCount(); ++index) {
                editor.tabs()->setCurrentIndex(index);
                QCoreApplication::processEvents();
                shown << editor.geometry();
            }
            editor.cancelButton()->click();
        });
        sheet.agentsPage().editButton()->click();
        QVERIFY(seen->acted);
        QCOMPARE(shown, QList<QRect>(3, shown.first()));
        const QPoint offset = shown.first().center() - sheet.geometry().center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(QString("off centre by %1, %2").arg(offset.x()).arg(offset.y())));

        // Apply disables itself; Enter then presses OK, not Help.
        sheet.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        sheet.agentsPage().SetModified(true);
        QTest::mouseClick(sheet.applyButton(), Qt::LeftButton);
        QTest::keyClick(sheet.focusWidget(), Qt::Key_Return);
        QVERIFY(sheet.findChild<QWidget*>("HelpWindow") == nullptr);
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(SheetHandlingTest)
#include "SheetHandlingTest.moc"
