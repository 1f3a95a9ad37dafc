#include "ui/sheet/PropertyPage.h"

#include "ui/sheet/PropertySheet.h"

namespace gleanwork {

PropertyPage::PropertyPage(const QString& caption, QWidget* parent)
    : QWidget(parent), caption_(caption) {}

PropertyPage::~PropertyPage() {
    if (sheet_ != nullptr) {
        sheet_->ForgetPage(this);
    }
}

void PropertyPage::SetModified(bool modified) {
    modified_ = modified;
    if (sheet_ != nullptr) {
        sheet_->UpdateApplyButton();
    }
}

void PropertyPage::Activate() {
    if (!initialised_) {
        initialised_ = true;
        OnInitPage();
    }
    LoadPage();
}

void PropertyPage::Deactivate() {
    SavePage();
}

}  // namespace gleanwork
