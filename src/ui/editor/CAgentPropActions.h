#pragma once

#include <string>
#include <vector>

#include "ui/editor/AgentPage.h"

class QComboBox;
class QLabel;
class QListWidget;

namespace gleanwork {

// The Actions page of the agent editor: the agent's script as an ordered list
// of lines, written from command templates. The visible list and the script
// lines always agree line for line; only the four buttons change them.
class CAgentPropActions : public AgentPage {
    Q_OBJECT

public:
    explicit CAgentPropActions(QWidget* parent = nullptr);

    const std::string& commandText() const { return commandText_; }
    const std::vector<std::string>& scriptLines() const { return values().SCRIPT; }

protected:
    void OnInitPage() override;
    void LoadPage() override;
    void SavePage() override;

private:
    void OnAdd();
    void OnRemove();
    void OnMoveUp();
    void OnMoveDown();
    void OnSelectionChanged();

    int SelectedLine() const;
    void SelectLine(int line);
    void SwapLines(int first, int second);
    void UpdateScriptEndNotice();

    std::string commandText_;
    QComboBox* command_;
    QListWidget* script_;
    QLabel* scriptEndNotice_ = nullptr;
};

}  // namespace gleanwork
