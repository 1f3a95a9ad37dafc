#pragma once

#include <string>

class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace gleanwork {

// A single-line text field named `objectName` that takes text of any length.
QLineEdit* MakeTextField(QWidget* parent, const char* objectName);

// Page value -> field, and field -> page value (unchanged text keeps its
// stored bytes).
void LoadTextField(QLineEdit& field, const std::string& value);
void SaveTextField(const QLineEdit& field, std::string& value);

// A text field of a few lines named `objectName` that wraps long text and
// takes line breaks; Tab moves on to the next control.
QPlainTextEdit* MakeStatementField(QWidget* parent, const char* objectName);

// The same moves for it; every character comes back as it was shown.
void LoadStatementField(QPlainTextEdit& field, const std::string& value);
void SaveStatementField(const QPlainTextEdit& field, std::string& value);

}  // namespace gleanwork
