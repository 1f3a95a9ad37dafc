#pragma once

#include <QSyntaxHighlighter>

namespace gleanwork {

// Colours a unified diff line by line: added lines green, removed lines red,
// hunk heads blue, the file heads bold.
class DiffHighlighter : public QSyntaxHighlighter {
public:
    using QSyntaxHighlighter::QSyntaxHighlighter;

protected:
    void highlightBlock(const QString& line) override;
};

}  // namespace gleanwork
