#include "ui/history/DiffHighlighter.h"

namespace gleanwork {

namespace {

QTextCharFormat LineFormat(const QColor& background, const QColor& text) {
    QTextCharFormat format;
    format.setBackground(background);
    format.setForeground(text);
    return format;
}

}  // namespace

void DiffHighlighter::highlightBlock(const QString& line) {
    static const QTextCharFormat added = LineFormat(QColor(218, 251, 225), QColor(17, 99, 41));
    static const QTextCharFormat removed = LineFormat(QColor(255, 235, 233), QColor(176, 25, 36));
    static const QTextCharFormat hunk = LineFormat(QColor(221, 244, 255), QColor(9, 105, 218));
    if (line.startsWith(QLatin1String("+++")) || line.startsWith(QLatin1String("---"))) {
        QTextCharFormat head;
        head.setFontWeight(QFont::Bold);
        setFormat(0, static_cast<int>(line.size()), head);
    } else if (line.startsWith(u'+')) {
        setFormat(0, static_cast<int>(line.size()), added);
    } else if (line.startsWith(u'-')) {
        setFormat(0, static_cast<int>(line.size()), removed);
    } else if (line.startsWith(QLatin1String("@@"))) {
        setFormat(0, static_cast<int>(line.size()), hunk);
    }
}

}  // namespace gleanwork
