#pragma once

#include <string>

class QLineEdit;
class QWidget;

namespace gleanwork {

// A single-line text field named `objectName` that takes text of any length.
QLineEdit* MakeTextField(QWidget* parent, const char* objectName);

// Page value -> field, and field -> page value (unchanged text keeps its
// stored bytes).
void LoadTextField(QLineEdit& field, const std::string& value);
void SaveTextField(const QLineEdit& field, std::string& value);

}  // namespace gleanwork
