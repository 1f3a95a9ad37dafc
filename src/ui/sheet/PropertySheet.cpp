#include "ui/sheet/PropertySheet.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/help/HelpWindow.h"
#include "ui/sheet/PropertyPage.h"

namespace gleanwork {

PropertySheet::PropertySheet(const QString& caption, QWidget* parent, int startPage)
    : QDialog(parent),
      tabs_(new QTabWidget(this)),
      buttons_(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                        QDialogButtonBox::Apply | QDialogButtonBox::Help,
                                    this)),
      startIndex_(startPage) {
    setWindowTitle(caption);
    setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addWidget(buttons_);
    // Plain captions, as on every property sheet, whatever the style adds.
    for (QAbstractButton* button : buttons_->buttons()) {
        button->setIcon(QIcon());
    }
    applyButton()->setEnabled(false);
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, [this] { ShowHelpWindow(this); });
    connect(tabs_, &QTabWidget::currentChanged, this, &PropertySheet::OnTabChanged);
    connect(buttons_, &QDialogButtonBox::clicked, this, &PropertySheet::OnButtonClicked);
}

PropertySheet::~PropertySheet() {
    disconnect(tabs_, nullptr, this, nullptr);
    for (PropertyPage* page : pages_) {
        page->sheet_ = nullptr;
    }
}

void PropertySheet::AddPage(PropertyPage* page) {
    page->sheet_ = this;
    pages_.push_back(page);
    const QSignalBlocker blocker(tabs_);
    tabs_->addTab(page, page->caption());
}

PropertyPage* PropertySheet::Page(int index) const {
    if (index < 0 || index >= PageCount()) {
        return nullptr;
    }
    return pages_[static_cast<std::size_t>(index)];
}

PropertyPage* PropertySheet::ActivePage() const {
    return activePage_;
}

int PropertySheet::ActivePageIndex() const {
    const auto found = std::find(pages_.begin(), pages_.end(), activePage_);
    return found == pages_.end() ? -1 : static_cast<int>(found - pages_.begin());
}

void PropertySheet::SetActivePage(int index) {
    PropertyPage* page = Page(index);
    if (page == nullptr) {
        return;
    }
    if (activePage_ == nullptr) {
        startIndex_ = index;
        const QSignalBlocker blocker(tabs_);
        tabs_->setCurrentWidget(page);
        return;
    }
    tabs_->setCurrentWidget(page);
}

// The start page is activated before the sheet is placed, so that the sheet
// is centred at the size its pages give it.
void PropertySheet::setVisible(bool visible) {
    if (visible && activePage_ == nullptr) {
        ActivateStartPage();
    }
    QDialog::setVisible(visible);
}

void PropertySheet::ActivateStartPage() {
    PropertyPage* start = Page(startIndex_);
    if (start == nullptr) {
        start = Page(0);
    }
    if (start != nullptr) {
        const QSignalBlocker blocker(tabs_);
        tabs_->setCurrentWidget(start);
        activePage_ = start;
        start->Activate();
    }
}

void PropertySheet::OnTabChanged(int index) {
    auto* page = qobject_cast<PropertyPage*>(tabs_->widget(index));
    if (page == nullptr || page == activePage_ || activePage_ == nullptr) {
        return;
    }
    activePage_->Deactivate();
    activePage_ = page;
    page->Activate();
}

bool PropertySheet::ApplyChanges() {
    if (activePage_ != nullptr) {
        activePage_->Deactivate();
    }
    for (PropertyPage* page : pages_) {
        if (page->IsInitialised() && !page->OnApply()) {
            tabs_->setCurrentWidget(page);
            return false;
        }
    }
    for (PropertyPage* page : pages_) {
        page->modified_ = false;
    }
    UpdateApplyButton();
    return true;
}

void PropertySheet::UpdateApplyButton() {
    const bool modified = std::any_of(pages_.begin(), pages_.end(),
                                      [](const PropertyPage* page) { return page->IsModified(); });
    // A button that is disabled passes its focus to the next one, which Enter
    // would then press: Help, after Apply. OK takes it instead.
    if (!modified && focusWidget() == applyButton()) {
        okButton()->setFocus();
    }
    applyButton()->setEnabled(modified);
}

void PropertySheet::accept() {
    if (ApplyChanges()) {
        QDialog::accept();
    }
}

void PropertySheet::reject() {
    for (PropertyPage* page : pages_) {
        if (page->IsInitialised()) {
            page->OnCancel();
        }
    }
    QDialog::reject();
}

bool PropertySheet::AskToDiscard(const QString& question) {
    return QMessageBox::question(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

// Escape reaches the sheet when the control in front does not use it.
void PropertySheet::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel) && !MayDiscard()) {
        return;
    }
    QDialog::keyPressEvent(event);
}

void PropertySheet::closeEvent(QCloseEvent* event) {
    if (isVisible() && !MayDiscard()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void PropertySheet::OnButtonClicked(QAbstractButton* button) {
    switch (buttons_->standardButton(button)) {
        case QDialogButtonBox::Ok:
            accept();
            break;
        case QDialogButtonBox::Cancel:
            if (MayDiscard()) {
                reject();
            }
            break;
        case QDialogButtonBox::Apply:
            ApplyChanges();
            break;
        case QDialogButtonBox::Help:
            ShowHelpWindow(this);
            break;
        default:
            break;
    }
}

void PropertySheet::ForgetPage(PropertyPage* page) {
    pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
    if (activePage_ == page) {
        activePage_ = nullptr;
    }
    const QSignalBlocker blocker(tabs_);
    const int index = tabs_->indexOf(page);
    if (index >= 0) {
        tabs_->removeTab(index);
    }
}

QPushButton* PropertySheet::okButton() const {
    return buttons_->button(QDialogButtonBox::Ok);
}

QPushButton* PropertySheet::cancelButton() const {
    return buttons_->button(QDialogButtonBox::Cancel);
}

QPushButton* PropertySheet::applyButton() const {
    return buttons_->button(QDialogButtonBox::Apply);
}

QPushButton* PropertySheet::helpButton() const {
    return buttons_->button(QDialogButtonBox::Help);
}

}  // namespace gleanwork
