#include "ui/editor/CAgentPropOutput.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

#include "run/DatabaseCheck.h"
#include "storage/AgentDefinition.h"
#include "ui/common/DisplayText.h"

namespace gleanwork {

namespace {

enum Group { kOutput, kDatabase };

// A stored APPEND of 2 shows as the check box's third state and is kept as
// long as the user leaves the box alone; any value outside 0 to 2 (a
// hand-edited file) counts as 0 from the first load on. The two statements
// take fields of a few lines, the whole width of the frame, so that a long
// statement shows whole.
constexpr std::array<PageField, 7> kFields{
    TextRow(&AgentDefinition::FILE, "outputFile", "Output file:", kOutput),
    FlagRow(&AgentDefinition::APPEND, "append", "Add to existing file", kOutput),
    TextRow(&AgentDefinition::DBSOURCE, "dataSource", "Data Source:", kDatabase),
    TextRow(&AgentDefinition::DBUSER, "databaseUser", "User ID:", kDatabase),
    PasswordRow(&AgentDefinition::DBPASS, "databasePassword", "Password:", kDatabase),
    StatementRow(&AgentDefinition::DBINSERT, "insertStatement",
                 "SQL for INSERTDATA command:", kDatabase),
    StatementRow(&AgentDefinition::DBUPDATE, "updateStatement",
                 "SQL for UPDATEDATA command:", kDatabase),
};

}  // namespace

CAgentPropOutput::CAgentPropOutput(QWidget* parent)
    : AgentPage(QStringLiteral("Output settings"), kFields, parent) {
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fields().LabelOf(&AgentDefinition::FILE));
    fileRow->addWidget(fields().ControlOf(&AgentDefinition::FILE), 1);
    fileRow->addWidget(fields().ControlOf(&AgentDefinition::APPEND));

    auto* database = new QGroupBox(QStringLiteral("Database Configuration"), this);
    database->setObjectName(QStringLiteral("databaseFrame"));
    auto* form = new QFormLayout(database);
    fields().AddRows(*form, kDatabase);
    testConnection_ = new QPushButton(QStringLiteral("Test connection"), database);
    testConnection_->setObjectName(QStringLiteral("testConnection"));
    connect(testConnection_, &QPushButton::clicked, this, &CAgentPropOutput::OnTestConnection);
    connectionResult_ = new QLabel(database);
    connectionResult_->setObjectName(QStringLiteral("connectionResult"));
    connectionResult_->setWordWrap(true);
    connectionResult_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(testConnection_, connectionResult_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(database, 1);
}

// Tries the settings as the fields show them now, off the window's thread:
// a server that does not answer takes up to its connect limit.
void CAgentPropOutput::OnTestConnection() {
    SavePage();
    AgentDefinition agent;
    WriteTo(agent);
    const bool started = connectionTest_.Start(
        [agent] { return CheckDatabaseSettings(agent); },
        [this](std::string report) { ShowConnectionResult(report); },
        [](const std::string& failure) { return "The test ends on " + failure; });
    if (started) {
        testConnection_->setEnabled(false);
        connectionResult_->setText(QStringLiteral("Testing the connection..."));
    }
}

void CAgentPropOutput::ShowConnectionResult(const std::string& report) {
    testConnection_->setEnabled(true);
    connectionResult_->setText(ToDisplayText(report));
}

}  // namespace gleanwork
