#include "ui/editor/CommandTemplates.h"

#include <algorithm>

namespace gleanwork {

const QStringList& CommandTemplates() {
    static const QStringList templates = {
        QStringLiteral("FIND \"string\""),
        QStringLiteral("GET number"),
        QStringLiteral("GETTOKEN \"delimiters\""),
        QStringLiteral("GETUNTIL \"string\""),
        QStringLiteral("SKIP number"),
        QStringLiteral("SKIPANY \"characters\""),
        QStringLiteral("SKIPUNTIL \"string\""),
        QStringLiteral("SKIPTOKEN \"delimiters\""),
        QStringLiteral("SAVETO varname"),
        QStringLiteral("PRINT"),
        QStringLiteral("PRINT \"string\""),
        QStringLiteral("PRINTLN \"string\""),
        QStringLiteral("CLEAR"),
        QStringLiteral("JUMPIFOK bookmark"),
        QStringLiteral("JUMPIFFAILED bookmark"),
        QStringLiteral("BOOKMARK name"),
        QStringLiteral("REWIND"),
        QStringLiteral("REWIND number"),
        QStringLiteral("MATCH \"string\""),
        QStringLiteral("MATCHANY \"characters\""),
    };
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
