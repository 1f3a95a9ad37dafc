#include "ui/editor/CAgentPropOutput.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <array>

#include "storage/AgentDefinition.h"

namespace gleanwork {

namespace {

enum Group { kOutput, kDatabase };

// A stored APPEND of 2 shows as the check box's third state and is kept as
// long as the user leaves the box alone; any value outside 0 to 2 (a
// hand-edited file) counts as 0 from the first load on. The two statements
// use single-line fields too, which give back exactly the text they were
// given.
constexpr std::array<PageField, 7> kFields{
    TextRow(&AgentDefinition::FILE, "outputFile", "Output file:", kOutput),
    FlagRow(&AgentDefinition::APPEND, "append", "Add to existing file", kOutput),
    TextRow(&AgentDefinition::DBSOURCE, "dataSource", "Data Source:", kDatabase),
    TextRow(&AgentDefinition::DBUSER, "databaseUser", "User ID:", kDatabase),
    PasswordRow(&AgentDefinition::DBPASS, "databasePassword", "Password:", kDatabase),
    TextRow(&AgentDefinition::DBINSERT, "insertStatement",
            "SQL for INSERTDATA command:", kDatabase),
    TextRow(&AgentDefinition::DBUPDATE, "updateStatement",
            "SQL for UPDATEDATA command:", kDatabase),
};

}  // namespace

// The database controls exist so that their values travel through the page
// like the others, but the user never sees them: they are hidden and their
// frame keeps its place with an empty caption.
CAgentPropOutput::CAgentPropOutput(QWidget* parent)
    : AgentPage(QStringLiteral("Output settings"), kFields, parent) {
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fields().LabelOf(&AgentDefinition::FILE));
    fileRow->addWidget(fields().ControlOf(&AgentDefinition::FILE), 1);
    fileRow->addWidget(fields().ControlOf(&AgentDefinition::APPEND));

    auto* database = new QGroupBox(QStringLiteral("Database Configuration"), this);
    database->setObjectName(QStringLiteral("databaseFrame"));
    fields().AddRows(*new QFormLayout(database), kDatabase);
    fields().ShowGroup(kDatabase, false);
    database->setTitle(QString());

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(database, 1);
}

}  // namespace gleanwork
