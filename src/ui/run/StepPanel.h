#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "run/StepControl.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QTableWidget;

namespace gleanwork {

// What a paused run shows beside its run log: the script with the line that
// runs next marked (a check box on each line sets a breakpoint there, at any
// time while the run goes), the source text with the cursor and the text
// last collected highlighted, the data buffer, the status and every
// variable. While the run goes on the panel keeps the last state it showed,
// greyed; once it has ended, the state it ended in.
class StepPanel : public QWidget {
    Q_OBJECT

public:
    StepPanel(const std::vector<std::string>& script, StepControl& control,
              QWidget* parent = nullptr);

    // Shows `snapshot`, the state of the paused run.
    void ShowPaused(const StepSnapshot& snapshot);
    // The run goes on: the shown state is no longer current.
    void ShowRunning();
    // The run has ended in `end`, or in a state not kept (nullptr).
    void ShowEnded(const StepSnapshot* end);
    // Sets or clears the breakpoint on the script line in front.
    void ToggleBreakpoint();

    // Where the source view highlights, in characters of the shown text.
    struct Highlight {
        int begin = 0;
        int end = 0;
    };
    Highlight CollectedHighlight() const { return collected_; }
    Highlight CursorHighlight() const { return cursor_; }

private:
    void OnScriptItemChanged(QListWidgetItem* item);
    void ShowState(const QString& state, const StepSnapshot& snapshot);
    void ShowScriptLine(std::size_t lineIndex);
    void ShowSource(const StepSnapshot& snapshot);
    // Greys the run's state while it is not current.
    void SetStateCurrent(bool current);
    void ShowVariables(const VariableTable& variables);

    StepControl& control_;
    QLabel* state_;
    QListWidget* script_;
    QPlainTextEdit* source_;
    QPlainTextEdit* buffer_;
    QTableWidget* variables_;
    std::string shownSource_;
    Highlight collected_;
    Highlight cursor_;
};

}  // namespace gleanwork
