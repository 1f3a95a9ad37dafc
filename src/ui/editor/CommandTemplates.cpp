#include "ui/editor/CommandTemplates.h"

#include <algorithm>

#include "script/CommandTable.h"

namespace gleanwork {

namespace {

QStringList TemplatesOfAllCommands() {
    QStringList templates;
    for (const CommandInfo& command : kScriptCommands) {
        for (const std::string& form : TemplatesOf(command)) {
            templates << QString::fromStdString(form);
        }
    }
    return templates;
}

}  // namespace

const QStringList& CommandTemplates() {
    static const QStringList templates = TemplatesOfAllCommands();
    return templates;
}

QStringList SortedCommandTemplates() {
    QStringList sorted = CommandTemplates();
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return sorted;
}

}  // namespace gleanwork
