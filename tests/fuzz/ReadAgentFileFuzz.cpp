// Arbitrary file bytes through ReadAgentFile. An agent read from any file must
// survive a save and a load: the saved file reads back as the same agent,
// except that a carriage return inside a value is saved as a space.
#include <algorithm>

#include "FuzzFrame.h"
#include "storage/AgentFile.h"

namespace gleanwork::fuzz {

namespace {

AgentDefinition AsSaved(AgentDefinition agent) {
    for (std::string* text :
         {&agent.DESCRIPTION, &agent.HOST, &agent.PORT, &agent.URL, &agent.USERAGENT,
          &agent.WEBUSER, &agent.WEBPASS, &agent.FILE, &agent.DBSOURCE, &agent.DBUSER,
          &agent.DBPASS, &agent.DBINSERT, &agent.DBUPDATE}) {
        std::replace(text->begin(), text->end(), '\r', ' ');
    }
    for (std::string& line : agent.SCRIPT) {
        std::replace(line.begin(), line.end(), '\r', ' ');
    }
    return agent;
}

}  // namespace

FUZZ_TARGET(ReadAgentFile) {
    AgentDefinition agent;
    agent.name = "fuzz";
    const AgentDefinition untouched = agent;
    if (ReadAgentFile(agent, WriteScratchFile("input.agt", input)) != 0) {
        FUZZ_CHECK(agent == untouched);
        return;
    }
    FUZZ_CHECK(WriteAgentFile(agent, ScratchFolder()) == 0);
    AgentDefinition reread;
    reread.name = agent.name;
    FUZZ_CHECK(ReadAgentFile(reread, AgentFilePath(ScratchFolder(), agent.name)) == 0);
    FUZZ_CHECK(reread == AsSaved(agent));
}

}  // namespace gleanwork::fuzz
