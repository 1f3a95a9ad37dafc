#include "ui/editor/TextField.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <limits>

#include "ui/common/DisplayText.h"

namespace gleanwork {

QLineEdit* MakeTextField(QWidget* parent, const char* objectName) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(objectName));
    field->setMaxLength(std::numeric_limits<int>::max());
    return field;
}

void LoadTextField(QLineEdit& field, const std::string& value) {
    field.setText(ToDisplayText(value));
}

void SaveTextField(const QLineEdit& field, std::string& value) {
    value = ToStoredText(field.text(), value);
}

namespace {

constexpr int kStatementLines = 3;

}  // namespace

QPlainTextEdit* MakeStatementField(QWidget* parent, const char* objectName) {
    auto* field = new QPlainTextEdit(parent);
    field->setObjectName(QLatin1String(objectName));
    field->setTabChangesFocus(true);
    field->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    field->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const qreal margins = 2 * (field->document()->documentMargin() + field->frameWidth());
    field->setFixedHeight(field->fontMetrics().lineSpacing() * kStatementLines +
                          static_cast<int>(margins));
    return field;
}

void LoadStatementField(QPlainTextEdit& field, const std::string& value) {
    field.setPlainText(ToDisplayText(value));
}

// The raw text, not toPlainText(), which gives a non-breaking space as a
// plain one; only the paragraph breaks become line feeds again.
void SaveStatementField(const QPlainTextEdit& field, std::string& value) {
    QString text = field.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    value = ToStoredText(text, value);
}

}  // namespace gleanwork
