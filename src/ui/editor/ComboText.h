#pragma once

class QComboBox;
class QString;
class QWidget;

namespace gleanwork {

// An editable drop-down list named `objectName` whose edit part takes text of
// any length exactly as typed: no completion, and Enter adds no entry.
QComboBox* MakeEditableCombo(QWidget* parent, const char* objectName);

// Index of the first entry of `box`, in list order, whose text begins with
// `text` compared without regard to case; -1 when there is none. An empty
// `text` is the beginning of every entry.
int FirstEntryStartingWith(const QComboBox& box, const QString& text);

// Loads `text` into the editable drop-down list `box`: selects the first entry
// that begins with it (ignoring case), whose text the edit part then shows;
// when no entry does, puts `text` into the edit part unchanged.
void LoadComboText(QComboBox& box, const QString& text);

}  // namespace gleanwork
