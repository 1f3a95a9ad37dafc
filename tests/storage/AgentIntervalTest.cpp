// The INTERVAL key: kept through a save and a load, and left out of the
// files of agents that do not set it, which older readers then read as ever.

#include <gtest/gtest.h>

#include "storage/AgentFile.h"
#include "support/AgentSamples.h"
#include "support/TempFolder.h"

namespace gleanwork {
namespace {

TEST(AgentInterval, IsSavedOnlyWhenSet) {
    const test::TempFolder folder;
    AgentDefinition agent = test::SampleAgent();
    ASSERT_EQ(WriteAgentFile(agent, folder.Path()), 0);
    const std::string path = AgentFilePath(folder.Path(), agent.name);
    EXPECT_EQ(test::ReadFile(path).find("INTERVAL"), std::string::npos);

    agent.INTERVAL = "250";
    ASSERT_EQ(WriteAgentFile(agent, folder.Path()), 0);
    AgentDefinition read;
    read.name = agent.name;
    ASSERT_EQ(ReadAgentFile(read, path), 0);
    EXPECT_EQ(read, agent);
}

}  // namespace
}  // namespace gleanwork
