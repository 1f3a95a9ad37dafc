#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "ui/sheet/PropertyPage.h"
#include "ui/sheet/PropertySheet.h"

using gleanwork::PropertyPage;
using gleanwork::PropertySheet;

namespace {

// A page that writes each hook it receives into a shared journal.
class JournalPage : public PropertyPage {
public:
    JournalPage(const QString& caption, QStringList& journal)
        : PropertyPage(caption), journal_(journal) {}

    bool refuseApply = false;

protected:
    void OnInitPage() override { journal_ << caption() + ":init"; }
    void LoadPage() override { journal_ << caption() + ":load"; }
    void SavePage() override { journal_ << caption() + ":save"; }
    bool OnApply() override {
        journal_ << caption() + ":apply";
        return !refuseApply;
    }
    void OnCancel() override { journal_ << caption() + ":cancel"; }

private:
    QStringList& journal_;
};

// A sheet holding its pages as members, the way the program's sheets do.
class TwoPageSheet : public PropertySheet {
public:
    explicit TwoPageSheet(QStringList& journal, int startPage = 0)
        : PropertySheet("Two pages", nullptr, startPage),
          first(("One"), journal),
          second("Two", journal) {
        AddPage(&first);
        AddPage(&second);
    }

    JournalPage first;
    JournalPage second;
};

}  // namespace

class PropertySheetTest : public QObject {
    Q_OBJECT

private slots:
    void showingActivatesOnlyTheStartPageAndSwitchingSavesTheOldAndLoadsTheNew() {
        QStringList journal;
        TwoPageSheet sheet(journal, 1);
        QCOMPARE(sheet.ActivePage(), nullptr);
        sheet.show();
        QCOMPARE(journal, QStringList({"Two:init", "Two:load"}));
        QCOMPARE(sheet.ActivePageIndex(), 1);
        QCOMPARE(sheet.tabs()->count(), 2);
        QCOMPARE(sheet.tabs()->tabText(0), QString("One"));
        QVERIFY(!sheet.first.IsInitialised());

        sheet.tabs()->setCurrentIndex(0);
        sheet.SetActivePage(1);
        QCOMPARE(journal, QStringList({"Two:init", "Two:load", "Two:save", "One:init", "One:load",
                                       "One:save", "Two:load"}));
        QCOMPARE(sheet.ActivePage(), &sheet.second);
    }

    void applyIsEnabledOnlyWhileAPageIsModified() {
        QStringList journal;
        TwoPageSheet sheet(journal);
        sheet.show();
        QVERIFY(!sheet.applyButton()->isEnabled());
        sheet.first.SetModified();
        QVERIFY(sheet.applyButton()->isEnabled());
        journal.clear();
        sheet.applyButton()->click();
        // Only pages that were shown take part; the sheet stays open.
        QCOMPARE(journal, QStringList({"One:save", "One:apply"}));
        QVERIFY(!sheet.applyButton()->isEnabled());
        QVERIFY(!sheet.first.IsModified());
        QVERIFY(sheet.isVisible());
    }

    void okAppliesEveryShownPageAndCloses() {
        QStringList journal;
        TwoPageSheet sheet(journal);
        sheet.show();
        sheet.SetActivePage(1);
        journal.clear();
        sheet.okButton()->click();
        QCOMPARE(journal, QStringList({"Two:save", "One:apply", "Two:apply"}));
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
        QVERIFY(!sheet.isVisible());
    }

    void aRefusedApplyKeepsTheSheetOpenOnThatPage() {
        QStringList journal;
        TwoPageSheet sheet(journal);
        sheet.show();
        sheet.SetActivePage(1);
        sheet.first.refuseApply = true;
        sheet.second.SetModified();
        journal.clear();
        sheet.okButton()->click();
        QCOMPARE(journal, QStringList({"Two:save", "One:apply", "Two:save", "One:load"}));
        QVERIFY(sheet.isVisible());
        QCOMPARE(sheet.ActivePage(), &sheet.first);
        QVERIFY(sheet.applyButton()->isEnabled());

        sheet.first.refuseApply = false;
        sheet.okButton()->click();
        QCOMPARE(sheet.result(), int(QDialog::Accepted));
    }

    void cancelAndTheCloseBoxApplyNothing_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Cancel") << false;
        QTest::newRow("close box") << true;
    }
    void cancelAndTheCloseBoxApplyNothing() {
        QFETCH(bool, closeBox);
        QStringList journal;
        TwoPageSheet sheet(journal);
        sheet.show();
        sheet.first.SetModified();
        journal.clear();
        if (closeBox) {
            sheet.close();
        } else {
            sheet.cancelButton()->click();
        }
        QCOMPARE(journal, QStringList({"One:cancel"}));
        QCOMPARE(sheet.result(), int(QDialog::Rejected));
    }

    void helpOpensOneHelpWindow() {
        QStringList journal;
        TwoPageSheet sheet(journal);
        sheet.show();
        sheet.helpButton()->click();
        sheet.helpButton()->click();
        int helpWindows = 0;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == "HelpWindow" && widget->isVisible()) {
                ++helpWindows;
                // Owned by the sheet, so that the modal sheet does not block it.
                QCOMPARE(widget->parentWidget(), &sheet);
                widget->close();
            }
        }
        QCOMPARE(helpWindows, 1);
        QVERIFY(sheet.isVisible());
    }

    void pagesOwnedByTheSheetGoWithIt() {
        QStringList journal;
        auto* sheet = new PropertySheet("Owned pages");
        QPointer<PropertyPage> page = new JournalPage("Heap", journal);
        sheet->AddPage(page);
        sheet->show();
        delete sheet;
        QVERIFY(page.isNull());
    }
};

QTEST_MAIN(PropertySheetTest)
#include "PropertySheetTest.moc"
