// Arbitrary file bytes through ReadAgentFile. An agent read from any file must
// survive a save and a load: the saved file reads back as the same agent,
// except that a carriage return inside a value or a script line (one that
// does not end its line) is saved as a space. So it reads back as the input
// with those carriage returns made spaces reads, whichever keys it holds.
#include "FuzzFrame.h"
#include "storage/AgentFile.h"

namespace gleanwork::fuzz {

namespace {

std::string WithInnerCarriageReturnsAsSpaces(std::string_view input) {
    std::string saved(input);
    for (std::size_t at = 0; at < saved.size(); ++at) {
        if (saved[at] == '\r' && (at + 1 == saved.size() || saved[at + 1] != '\n')) {
            saved[at] = ' ';
        }
    }
    return saved;
}

AgentDefinition Read(const std::string& path) {
    AgentDefinition agent;
    agent.name = "fuzz";
    FUZZ_CHECK(ReadAgentFile(agent, path) == 0);
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
    const AgentDefinition asSaved =
        Read(WriteScratchFile("saved.agt", WithInnerCarriageReturnsAsSpaces(input)));
    FUZZ_CHECK(Read(AgentFilePath(ScratchFolder(), agent.name)) == asSaved);
}

}  // namespace gleanwork::fuzz
