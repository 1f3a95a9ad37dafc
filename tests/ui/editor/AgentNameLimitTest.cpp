#include <QtTest>

#include "storage/AgentCatalogue.h"
#include "storage/AgentFile.h"
#include "support/TempFolder.h"
#include "ui/editor/AgentNameCheck.h"

namespace gleanwork {

class AgentNameLimitTest : public QObject {
    Q_OBJECT

private slots:
    // The name check and the save agree: the longest name the check lets
    // through can be saved, and one byte more is refused with a message.
    void LongestAcceptedNameCanBeSaved() {
        const test::TempFolder folder;
        const AgentCatalogue catalogue;
        AgentDefinition agent;
        agent.name = std::string(kLongestAgentName, 'n');
        QCOMPARE(AgentNameProblem(agent.name, agent, catalogue), QString());
        QCOMPARE(WriteAgentFile(agent, folder.Path()), 0);

        agent.name.push_back('n');
        QVERIFY(AgentNameProblem(agent.name, agent, catalogue).contains("too long"));
        QCOMPARE(WriteAgentFile(agent, folder.Path()), -1);
    }
};

}  // namespace gleanwork

QTEST_MAIN(gleanwork::AgentNameLimitTest)
#include "AgentNameLimitTest.moc"
