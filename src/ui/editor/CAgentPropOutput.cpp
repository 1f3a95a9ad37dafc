#include "ui/editor/CAgentPropOutput.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/DatabaseCheck.h"
#include "storage/AgentDefinition.h"
#include "ui/editor/EditorText.h"
#include "ui/editor/TextField.h"

namespace gleanwork {

CAgentPropOutput::CAgentPropOutput(QWidget* parent)
    : AgentPage(QStringLiteral("Output settings"), parent) {}

void CAgentPropOutput::ReadFrom(const AgentDefinition& agent) {
    values_ = {agent.FILE,   agent.APPEND,   agent.DBSOURCE, agent.DBUSER,
               agent.DBPASS, agent.DBINSERT, agent.DBUPDATE};
}

void CAgentPropOutput::WriteTo(AgentDefinition& agent) const {
    agent.FILE = values_.outputFile;
    agent.APPEND = values_.append;
    agent.DBSOURCE = values_.dataSource;
    agent.DBUSER = values_.databaseUser;
    agent.DBPASS = values_.databasePassword;
    agent.DBINSERT = values_.insertStatement;
    agent.DBUPDATE = values_.updateStatement;
}

// The two statements use single-line fields, which give back exactly the
// text they were given.
void CAgentPropOutput::OnInitPage() {
    outputFile_ = MakeTextField(this, "outputFile");
    append_ = new QCheckBox(QStringLiteral("Add to existing file"), this);
    append_->setObjectName(QStringLiteral("append"));
    connect(append_, &QCheckBox::clicked, this, &CAgentPropOutput::OnAppendClicked);

    database_ = new QGroupBox(QStringLiteral("Database Configuration"), this);
    database_->setObjectName(QStringLiteral("databaseFrame"));
    dataSource_ = MakeTextField(database_, "dataSource");
    dataSource_->setPlaceholderText(
        QStringLiteral("quotes.db, sqlite:PATH or postgresql://host/database"));
    databaseUser_ = MakeTextField(database_, "databaseUser");
    databasePassword_ = MakeTextField(database_, "databasePassword");
    databasePassword_->setEchoMode(QLineEdit::Password);
    insertStatement_ = MakeTextField(database_, "insertStatement");
    updateStatement_ = MakeTextField(database_, "updateStatement");
    auto* testConnection = new QPushButton(QStringLiteral("Test connection"), database_);
    testConnection->setObjectName(QStringLiteral("testConnection"));
    connect(testConnection, &QPushButton::clicked, this, &CAgentPropOutput::OnTestConnection);
    connectionResult_ = new QLabel(database_);
    connectionResult_->setObjectName(QStringLiteral("connectionResult"));
    connectionResult_->setWordWrap(true);
    connectionResult_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* databaseLayout = new QGridLayout(database_);
    const auto addLabelled = [&](const char* caption, QWidget* field, int row, int column,
                                 int span) {
        auto* label = new QLabel(QLatin1String(caption), database_);
        label->setBuddy(field);
        databaseLayout->addWidget(label, row, column, 1, span);
        databaseLayout->addWidget(field, row + 1, column, 1, span);
    };
    addLabelled("Data Source:", dataSource_, 0, 0, 2);
    addLabelled("User ID:", databaseUser_, 2, 0, 1);
    addLabelled("Password:", databasePassword_, 2, 1, 1);
    addLabelled("SQL for INSERTDATA command:", insertStatement_, 4, 0, 2);
    addLabelled("SQL for UPDATEDATA command:", updateStatement_, 6, 0, 2);
    databaseLayout->addWidget(testConnection, 8, 0, Qt::AlignLeft | Qt::AlignTop);
    databaseLayout->addWidget(connectionResult_, 8, 1);
    databaseLayout->setRowStretch(9, 1);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(QStringLiteral("Output file:"), this));
    fileRow->addWidget(outputFile_, 1);
    fileRow->addWidget(append_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(database_, 1);
}

void CAgentPropOutput::LoadPage() {
    LoadTextField(*outputFile_, values_.outputFile);
    LoadAppendFlag();
    LoadTextField(*dataSource_, values_.dataSource);
    LoadTextField(*databaseUser_, values_.databaseUser);
    LoadTextField(*databasePassword_, values_.databasePassword);
    LoadTextField(*insertStatement_, values_.insertStatement);
    LoadTextField(*updateStatement_, values_.updateStatement);
}

void CAgentPropOutput::SavePage() {
    SaveTextField(*outputFile_, values_.outputFile);
    switch (append_->checkState()) {
        case Qt::Checked:
            values_.append = 1;
            break;
        case Qt::PartiallyChecked:
            values_.append = 2;
            break;
        case Qt::Unchecked:
            values_.append = 0;
            break;
    }
    SaveTextField(*dataSource_, values_.dataSource);
    SaveTextField(*databaseUser_, values_.databaseUser);
    SaveTextField(*databasePassword_, values_.databasePassword);
    SaveTextField(*insertStatement_, values_.insertStatement);
    SaveTextField(*updateStatement_, values_.updateStatement);
}

// A flag outside 0 to 2 (a hand-edited file) counts as 0 from here on. A
// stored 2 is shown as the box's third, partial state and kept as long as the
// user leaves the box alone; the first click makes it a plain two-state box.
void CAgentPropOutput::LoadAppendFlag() {
    if (values_.append < 0 || values_.append > 2) {
        values_.append = 0;
    }
    append_->setTristate(values_.append == 2);
    append_->setCheckState(values_.append == 2   ? Qt::PartiallyChecked
                           : values_.append == 1 ? Qt::Checked
                                                 : Qt::Unchecked);
}

void CAgentPropOutput::OnAppendClicked() {
    append_->setTristate(false);
}

// Tries the settings as the fields show them now; a connection can take a
// while, so the busy cursor shows meanwhile.
void CAgentPropOutput::OnTestConnection() {
    SavePage();
    AgentDefinition agent;
    WriteTo(agent);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string report = CheckDatabaseSettings(agent);
    QApplication::restoreOverrideCursor();
    connectionResult_->setText(ToDisplayText(report));
}

}  // namespace gleanwork
