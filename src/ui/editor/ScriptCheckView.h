#pragma once

#include <QListWidget>
#include <string>
#include <vector>

namespace gleanwork {

// The script checker's warnings on the Actions page: each line of the script
// list that has one gets a warning mark with the messages as its tool tip,
// and this list names them all, "Line N: message". A double-click on a
// message selects its line.
class ScriptCheckView : public QListWidget {
    Q_OBJECT

public:
    ScriptCheckView(QListWidget& script, QWidget* parent = nullptr);

    // Checks `lines`, which the script list shows line for line, and the
    // command being typed, `typed`.
    void Check(const std::vector<std::string>& lines, const std::string& typed);

private:
    QListWidget& script_;
};

}  // namespace gleanwork
