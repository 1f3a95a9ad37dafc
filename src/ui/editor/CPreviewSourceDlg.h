#pragma once

#include <QDialog>
#include <QString>

class QPlainTextEdit;

namespace gleanwork {

// A modeless window that shows a source text read-only, unwrapped, with
// both scroll bars. It has no owner: it stays open on its own until the user
// closes it with Cancel or the close box, and then deletes itself.
class CPreviewSourceDlg : public QDialog {
    Q_OBJECT

public:
    // Makes the window and shows it at once.
    explicit CPreviewSourceDlg(const QString& text);

    const QString& text() const { return text_; }

private:
    void DoDataExchange();

    QString text_;
    QPlainTextEdit* textArea_;
};

}  // namespace gleanwork
