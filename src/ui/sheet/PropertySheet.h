#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

class QPushButton;
class QTabWidget;

namespace gleanwork {

class PropertyPage;

// A modal dialog of tabbed PropertyPages above the buttons OK, Cancel, Apply
// and Help. It is modal to its parent window only (exec() blocks the parent
// and its ancestors), so windows outside that family, such as running Agent
// Output windows, stay usable while it is open.
//
// - OK: saves the page in front, applies every activated page (see
//   PropertyPage), then closes with QDialog::Accepted. A page that refuses
//   its apply keeps the sheet open.
// - Apply: the same without closing; enabled only while a page is modified.
//   When it disables itself, the focus goes to OK.
// - Cancel, Escape and the close box: the discard check, if one is set, may
//   keep the sheet open; else every activated page gets OnCancel(), then the
//   sheet closes with QDialog::Rejected; nothing is applied. reject() itself
//   closes without the check.
// - Help: opens the program's help window; never fails.
//
// Pages are added before the sheet is shown. The sheet does not own them
// beyond Qt's parent: a page may be a member of a derived sheet or be created
// with `new` and left to the sheet as its Qt parent. The start page is
// activated when the sheet is first shown, before it is placed on the screen:
// pages that make their controls when they are constructed give the sheet
// its final size from the start.
class PropertySheet : public QDialog {
    Q_OBJECT

public:
    explicit PropertySheet(const QString& caption, QWidget* parent = nullptr, int startPage = 0);
    ~PropertySheet() override;

    void AddPage(PropertyPage* page);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    PropertyPage* Page(int index) const;

    // The page in front, or nullptr before the sheet has been shown.
    PropertyPage* ActivePage() const;
    int ActivePageIndex() const;
    // Brings a page to the front (saving the one that leaves). Before the
    // sheet is shown this only chooses the start page.
    void SetActivePage(int index);

    // The Apply sequence: save the page in front, then OnApply() on every
    // activated page in order. Returns false, with the refusing page in
    // front, when a page refuses.
    bool ApplyChanges();

    // Recomputes Apply's state from the pages' modified flags.
    void UpdateApplyButton();

    // Asked when the user closes the sheet without applying; returning false
    // keeps the sheet open as it is.
    void SetDiscardCheck(std::function<bool()> mayDiscard) { mayDiscard_ = std::move(mayDiscard); }
    // Asks `question` with Yes and No, No the default, for a discard check;
    // true when the answer is Yes.
    bool AskToDiscard(const QString& question);

    QPushButton* okButton() const;
    QPushButton* cancelButton() const;
    QPushButton* applyButton() const;
    QPushButton* helpButton() const;
    QTabWidget* tabs() const { return tabs_; }

    void setVisible(bool visible) override;

public slots:
    void accept() override;
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    friend class PropertyPage;

    void ActivateStartPage();
    void OnTabChanged(int index);
    void OnButtonClicked(QAbstractButton* button);
    // Called by a page that is being destroyed before its sheet.
    void ForgetPage(PropertyPage* page);
    bool MayDiscard() const { return !mayDiscard_ || mayDiscard_(); }

    QTabWidget* tabs_;
    QDialogButtonBox* buttons_;
    std::vector<PropertyPage*> pages_;
    int startIndex_;
    PropertyPage* activePage_ = nullptr;
    std::function<bool()> mayDiscard_;
};

}  // namespace gleanwork
