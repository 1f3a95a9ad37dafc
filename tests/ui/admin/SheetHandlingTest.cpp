#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "support/AgentFixtures.h"
#include "support/ModalDriver.h"
#include "support/TempFolder.h"
#include "ui/admin/CGleanworkSheet.h"

using namespace gleanwork;

// How the Administrator sheet and the agent editor answer the mouse and the
// keyboard, and where the editor opens.
class SheetHandlingTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempInstallFolder> folder_;
    std::unique_ptr<CGleanworkSheet> sheet_;

    CAgentAdmin& page() { return sheet_->agentsPage(); }

private slots:
    void init() {
        folder_ = std::make_unique<test::TempInstallFolder>();
        QVERIFY(
            test::SaveAgents({test::MakeAgent("Alpha", "first"), test::MakeAgent("Beta", "second"),
                              test::MakeAgent("Gamma", "third")}));
        sheet_ = std::make_unique<CGleanworkSheet>("Gleanwork 1.0 Administrator");
        sheet_->show();
        sheet_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(sheet_.get()));
    }

    void cleanup() {
        sheet_.reset();
        folder_.reset();
    }

    void aClickShowsTheDescriptionOfTheClickedAgent() {
        QListWidget* list = page().agentList();
        for (const auto& [row, description] : {std::pair{2, "third"}, std::pair{1, "second"}}) {
            const QRect entry = list->visualItemRect(list->item(row));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
            QCOMPARE(page().descriptionArea()->text(), QString(description));
        }
    }

    // Apply disables itself; the focus it loses must not make Help the
    // button that Enter presses.
    void enterAfterApplyPressesOk() {
        page().SetModified(true);
        QTest::mouseClick(sheet_->applyButton(), Qt::LeftButton);
        QVERIFY(!sheet_->applyButton()->isEnabled());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            QVERIFY2(widget->objectName() != "HelpWindow" || !widget->isVisible(), "Help opened");
        }
        QCOMPARE(sheet_->result(), int(QDialog::Accepted));
    }

    // The editor is centred on the Administrator sheet at the size it keeps
    // on every page.
    void theEditorOpensCentredAtItsFinalSize() {
        QRect opened;
        QList<QSize> pageSizes;
        const auto seen = test::WhenModalWindow<PropertySheet>([&](PropertySheet& editor) {
            opened = editor.geometry();
            for (int index = 0; index < editor.PageCount(); ++index) {
                editor.tabs()->setCurrentIndex(index);
                QCoreApplication::processEvents();
                pageSizes << editor.size();
            }
            editor.cancelButton()->click();
        });
        page().editButton()->click();
        QVERIFY(seen->acted);
        QCOMPARE(pageSizes, QList<QSize>(3, opened.size()));
        const QPoint offset = opened.center() - sheet_->geometry().center();
        QVERIFY2(offset.manhattanLength() <= 2,
                 qPrintable(QString("off centre by %1, %2").arg(offset.x()).arg(offset.y())));
    }
};

QTEST_MAIN(SheetHandlingTest)
#include "SheetHandlingTest.moc"
