#include "ui/run/StepPanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableWidget>
#include <QTextBlock>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/common/DisplayText.h"

namespace gleanwork {

namespace {

constexpr char kCurrentMark[] = "\u25B6 ";

// The position in `shown` (the display form of `text`) of byte `offset`.
int ShownOffset(std::string_view text, const QString& shown, std::size_t offset) {
    offset = std::min(offset, text.size());
    if (static_cast<std::size_t>(shown.size()) == text.size()) {
        return static_cast<int>(offset);
    }
    return static_cast<int>(QString::fromUtf8(text.data(), static_cast<qsizetype>(offset)).size());
}

QTextEdit::ExtraSelection Marked(QPlainTextEdit* view, int begin, int end, const QColor& color) {
    QTextEdit::ExtraSelection selection;
    selection.cursor = QTextCursor(view->document());
    selection.cursor.setPosition(begin);
    selection.cursor.setPosition(end, QTextCursor::KeepAnchor);
    selection.format.setBackground(color);
    return selection;
}

QPlainTextEdit* MakeTextView(QWidget* parent, const char* objectName) {
    auto* view = new QPlainTextEdit(parent);
    view->setObjectName(QLatin1String(objectName));
    view->setReadOnly(true);
    view->setLineWrapMode(QPlainTextEdit::NoWrap);
    return view;
}

QString StatusText(bool statusOk) {
    return statusOk ? QStringLiteral("OK") : QStringLiteral("FAILED");
}

}  // namespace

StepPanel::StepPanel(const std::vector<std::string>& script, StepControl& control, QWidget* parent)
    : QWidget(parent),
      control_(control),
      state_(new QLabel(this)),
      script_(new QListWidget(this)),
      source_(MakeTextView(this, "stepSource")),
      buffer_(MakeTextView(this, "stepBuffer")),
      variables_(new QTableWidget(0, 2, this)) {
    state_->setObjectName(QStringLiteral("stepState"));
    script_->setObjectName(QStringLiteral("stepScript"));
    script_->setToolTip(
        QStringLiteral("Check a line (or press F9 on it) to pause the run before it"));
    for (std::size_t i = 0; i < script.size(); ++i) {
        auto* item = new QListWidgetItem(
            QString::number(i + 1) + QStringLiteral("  ") + ToDisplayText(script[i]), script_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(control_.HasBreakpoint(i) ? Qt::Checked : Qt::Unchecked);
    }
    connect(script_, &QListWidget::itemChanged, this, &StepPanel::OnScriptItemChanged);
    variables_->setObjectName(QStringLiteral("stepVariables"));
    variables_->setHorizontalHeaderLabels({QStringLiteral("Variable"), QStringLiteral("Value")});
    variables_->horizontalHeader()->setStretchLastSection(true);
    variables_->verticalHeader()->hide();
    variables_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    // The script and the source get the room; the buffer and the variables
    // share the lower part side by side.
    auto* lower = new QSplitter(Qt::Horizontal, this);
    auto* bufferBox = new QWidget(lower);
    auto* bufferLayout = new QVBoxLayout(bufferBox);
    bufferLayout->setContentsMargins(0, 0, 0, 0);
    bufferLayout->addWidget(new QLabel(QStringLiteral("Data buffer:"), bufferBox));
    bufferLayout->addWidget(buffer_, 1);
    lower->addWidget(bufferBox);
    lower->addWidget(variables_);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(script_);
    splitter->addWidget(source_);
    splitter->addWidget(lower);
    splitter->setSizes({300, 400, 200});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(state_);
    layout->addWidget(splitter, 1);
    ShowRunning();
}

void StepPanel::ShowPaused(const StepSnapshot& snapshot) {
    ShowState(QStringLiteral("Paused before line %1 - status %2")
                  .arg(snapshot.lineIndex + 1)
                  .arg(StatusText(snapshot.statusOk)),
              snapshot);
    ShowScriptLine(snapshot.lineIndex);
}

void StepPanel::ShowRunning() {
    state_->setText(QStringLiteral("Running"));
    SetStateCurrent(false);
}

void StepPanel::ShowEnded(const StepSnapshot* end) {
    script_->setEnabled(false);
    if (end == nullptr) {
        state_->setText(QStringLiteral("The run has ended"));
        SetStateCurrent(false);
        return;
    }
    ShowState(QStringLiteral("The run has ended - status %1").arg(StatusText(end->statusOk)), *end);
    ShowScriptLine(static_cast<std::size_t>(script_->count()));
}

void StepPanel::ToggleBreakpoint() {
    QListWidgetItem* item = script_->currentItem();
    if (item != nullptr && script_->isEnabled()) {
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
}

void StepPanel::ShowState(const QString& state, const StepSnapshot& snapshot) {
    SetStateCurrent(true);
    state_->setText(state);
    ShowSource(snapshot);
    buffer_->setPlainText(ToDisplayText(snapshot.dataBuffer));
    ShowVariables(snapshot.variables);
}

void StepPanel::SetStateCurrent(bool current) {
    for (QWidget* view : std::initializer_list<QWidget*>{source_, buffer_, variables_}) {
        view->setEnabled(current);
    }
}

void StepPanel::OnScriptItemChanged(QListWidgetItem* item) {
    control_.SetBreakpoint(static_cast<std::size_t>(script_->row(item)),
                           item->checkState() == Qt::Checked);
}

void StepPanel::ShowScriptLine(std::size_t lineIndex) {
    const QSignalBlocker blocker(script_);
    const QString mark = QString::fromUtf8(kCurrentMark);
    for (int row = 0; row < script_->count(); ++row) {
        QListWidgetItem* item = script_->item(row);
        QString text = item->text();
        if (text.startsWith(mark)) {
            text.remove(0, mark.size());
        }
        const bool current = static_cast<std::size_t>(row) == lineIndex;
        item->setText(current ? mark + text : text);
        QFont font = item->font();
        font.setBold(current);
        item->setFont(font);
        if (current) {
            script_->setCurrentItem(item);
            script_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
        }
    }
}

void StepPanel::ShowSource(const StepSnapshot& snapshot) {
    const QString shown = ToDisplayText(snapshot.sourceText);
    if (snapshot.sourceText != shownSource_ || source_->document()->isEmpty()) {
        shownSource_ = snapshot.sourceText;
        source_->setPlainText(shown);
    }
    const std::string_view text(shownSource_);
    collected_ = {ShownOffset(text, shown, snapshot.collectedBegin),
                  ShownOffset(text, shown, snapshot.collectedEnd)};
    const int cursor = ShownOffset(text, shown, snapshot.cursor);
    cursor_ = {cursor, std::min(cursor + 1, static_cast<int>(shown.size()))};
    QList<QTextEdit::ExtraSelection> marks;
    if (collected_.end > collected_.begin) {
        marks << Marked(source_, collected_.begin, collected_.end, QColor(255, 230, 120));
    }
    marks << Marked(source_, cursor_.begin, cursor_.end, QColor(120, 180, 255));
    source_->setExtraSelections(marks);
    QTextCursor at(source_->document());
    at.setPosition(cursor);
    source_->setTextCursor(at);
    source_->centerCursor();
}

void StepPanel::ShowVariables(const VariableTable& variables) {
    variables_->setRowCount(static_cast<int>(variables.size()));
    int row = 0;
    for (const auto& [name, value] : variables) {
        variables_->setItem(row, 0, new QTableWidgetItem(ToDisplayText(name)));
        variables_->setItem(row, 1, new QTableWidgetItem(ToDisplayText(value)));
        ++row;
    }
}

}  // namespace gleanwork
