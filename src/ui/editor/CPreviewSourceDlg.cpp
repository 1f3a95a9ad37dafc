#include "ui/editor/CPreviewSourceDlg.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace gleanwork {

CPreviewSourceDlg::CPreviewSourceDlg(const QString& text)
    : text_(text), textArea_(new QPlainTextEdit(this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Preview Source"));
    setModal(false);

    textArea_->setReadOnly(true);
    textArea_->setLineWrapMode(QPlainTextEdit::NoWrap);
    textArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textArea_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(textArea_);
    layout->addWidget(buttons);
    resize(640, 420);

    DoDataExchange();
    show();
}

void CPreviewSourceDlg::DoDataExchange() {
    textArea_->setPlainText(text_);
}

}  // namespace gleanwork
