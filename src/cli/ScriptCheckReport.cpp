#include "cli/ScriptCheckReport.h"

#include <vector>

#include "script/ScriptChecker.h"
#include "storage/AgentFile.h"
#include "storage/TextLines.h"

namespace gleanwork {

namespace {

// The agent file's line number (from 1) of each script line: the lines
// between a line whose key is SCRIPT and the script's end line, as the agent
// file reader takes them. Empty when the file cannot be read or no longer
// holds `scriptSize` script lines.
std::vector<std::size_t> ScriptLinesInFile(const std::string& path, std::size_t scriptSize) {
    std::vector<std::string> lines;
    std::vector<std::size_t> fileLines;
    std::vector<std::size_t> numbers;
    if (ReadTextLines(path, lines, &fileLines) != 0) {
        return numbers;
    }
    bool inScript = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (inScript) {
            inScript = !IsScriptEndLine(line);
            if (inScript) {
                numbers.push_back(fileLines[i]);
            }
        } else {
            inScript = line.substr(0, line.find('=')) == "SCRIPT";
        }
    }
    if (numbers.size() != scriptSize) {
        numbers.clear();
    }
    return numbers;
}

}  // namespace

std::size_t ReportScriptCheck(const AgentDefinition& agent, const std::string& path,
                              std::FILE* out) {
    const std::vector<ScriptMessage> messages =
        CheckScript(agent.SCRIPT, ScriptLinesInFile(path, agent.SCRIPT.size()));
    for (const ScriptMessage& message : messages) {
        std::fprintf(out, "%s:%zu: %s\n", path.c_str(), message.line, message.message.c_str());
    }
    return messages.size();
}

}  // namespace gleanwork
