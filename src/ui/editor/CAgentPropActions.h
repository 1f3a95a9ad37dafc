#pragma once

#include <string>
#include <vector>

#include "ui/editor/AgentPage.h"
#include "ui/editor/ScriptUndo.h"

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;

namespace gleanwork {

class ScriptCheckView;

// The Actions page of the agent editor: the agent's script as an ordered list
// of lines, written from command templates. The visible list and the script
// lines always agree line for line. The buttons, Enter in the command field,
// editing a line in place (F2 or a double-click) and Delete change them;
// Ctrl+Z and Ctrl+Shift+Z undo and redo those changes. The script checker's
// warnings are shown as the script changes and as a command is typed.
class CAgentPropActions : public AgentPage {
    Q_OBJECT

public:
    explicit CAgentPropActions(QWidget* parent = nullptr);

    const std::string& commandText() const { return commandText_; }
    const std::vector<std::string>& scriptLines() const { return values().SCRIPT; }

    // A line typed into the command field and not yet in the script is a
    // change too; a line copied there from the script, or added, is not.
    bool HasChanges() const override;

signals:
    // "Test run": run the script as it stands, step by step.
    void testRunRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void OnInitPage() override;
    void LoadPage() override;
    void SavePage() override;

private:
    void OnAdd();
    void OnRemove();
    void OnMoveUp();
    void OnMoveDown();
    void OnSelectionChanged();
    void OnEnter();
    void OnLineEdited(QListWidgetItem* item);
    void OnUndo(bool redo);
    std::vector<std::string>& Script() { return pageValues().SCRIPT; }
    void SetScript(std::vector<std::string> lines);
    // Fills the list from the script lines anew.
    void ShowScript();
    void ScriptChanged();
    void AddShortcuts();

    // The command field's text unless it is empty or a line of the script.
    QString TypedNewLine() const;
    int SelectedLine() const;
    void SelectLine(int line);
    void SwapLines(int first, int second);
    void UpdateScriptEndNotice();

    std::string commandText_;
    QComboBox* command_;
    QListWidget* script_;
    QLabel* scriptEndNotice_ = nullptr;
    ScriptCheckView* check_ = nullptr;
    ScriptUndo undo_;
    int editingRow_ = -1;  // the line copied into the command field
};

}  // namespace gleanwork
