#include "storage/AgentFile.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <vector>

#include "base/TextScan.h"
#include "storage/AtomicFile.h"
#include "storage/TextLines.h"

namespace gleanwork {

namespace {

using TextField = std::string AgentDefinition::*;

struct TextKey {
    std::string_view key;
    TextField field;
};

// The text keys in the order the file lists them, with APPEND after FILE.
constexpr std::array<TextKey, 13> kTextKeys{{
    {"DESCRIPTION", &AgentDefinition::DESCRIPTION},
    {"FILE", &AgentDefinition::FILE},
    {"HOST", &AgentDefinition::HOST},
    {"PORT", &AgentDefinition::PORT},
    {"URL", &AgentDefinition::URL},
    {"USERAGENT", &AgentDefinition::USERAGENT},
    {"WEBUSER", &AgentDefinition::WEBUSER},
    {"WEBPASS", &AgentDefinition::WEBPASS},
    {"DBUSER", &AgentDefinition::DBUSER},
    {"DBPASS", &AgentDefinition::DBPASS},
    {"DBSOURCE", &AgentDefinition::DBSOURCE},
    {"DBINSERT", &AgentDefinition::DBINSERT},
    {"DBUPDATE", &AgentDefinition::DBUPDATE},
}};
constexpr std::size_t kKeysBeforeAppend = 2;

// Keys added later, each written only when set and in this order, after the
// text keys and before the script.
constexpr std::array<TextKey, 11> kOptionalKeys{{
    {"INTERVAL", &AgentDefinition::INTERVAL},
    {"SCHEDULE", &AgentDefinition::SCHEDULE},
    {"NOTIFYON", &AgentDefinition::NOTIFYON},
    {"NOTIFYCOMMAND", &AgentDefinition::NOTIFYCOMMAND},
    {"NOTIFYURL", &AgentDefinition::NOTIFYURL},
    {"KEEPRUNS", &AgentDefinition::KEEPRUNS},
    {"IGNORELINES", &AgentDefinition::IGNORELINES},
    {"IGNOREORDER", &AgentDefinition::IGNOREORDER},
    {"COOKIEFILE", &AgentDefinition::COOKIEFILE},
    {"CHARSET", &AgentDefinition::CHARSET},
    {"ROBOTS", &AgentDefinition::ROBOTS},
}};

constexpr std::string_view kAppendKey = "APPEND";
constexpr std::string_view kScriptKey = "SCRIPT";
constexpr std::string_view kEndScriptKey = "ENDSCRIPT";

std::int32_t ToAppendValue(std::string_view text) {
    const std::int64_t value = ReadDecimal(text);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

template <std::size_t N>
TextField FindIn(const std::array<TextKey, N>& keys, std::string_view key) {
    const auto known =
        std::find_if(keys.begin(), keys.end(), [key](const TextKey& k) { return k.key == key; });
    return known == keys.end() ? nullptr : known->field;
}

TextField FindTextField(std::string_view key) {
    const TextField field = FindIn(kTextKeys, key);
    return field != nullptr ? field : FindIn(kOptionalKeys, key);
}

// Applies one key line; returns the index of the next line to look at.
std::size_t ApplyLine(AgentDefinition& agent, const std::vector<std::string>& lines,
                      std::size_t at) {
    const std::string_view line = lines[at];
    const std::size_t equals = line.find('=');
    const std::string_view key = line.substr(0, equals);
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
    if (key == kScriptKey) {
        for (++at; at < lines.size() && !IsScriptEndLine(lines[at]); ++at) {
            agent.SCRIPT.push_back(lines[at]);
        }
        return at + 1;
    }
    if (key == kAppendKey) {
        agent.APPEND = ToAppendValue(value);
        return at + 1;
    }
    if (const TextField field = FindTextField(key); field != nullptr) {
        agent.*field = value;
    }
    return at + 1;
}

// Appends `text` as one line: every line break inside it becomes a space.
void AppendLine(std::string& out, std::string_view text) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
            continue;  // a CR LF pair becomes a single space
        }
        out.push_back(c == '\n' || c == '\r' ? ' ' : c);
    }
    out.push_back('\n');
}

void AppendKeyLine(std::string& out, std::string_view key, std::string_view value) {
    out.append(key);
    out.push_back('=');
    AppendLine(out, value);
}

}  // namespace

std::string FormatAgentFile(const AgentDefinition& agent) {
    std::string out;
    for (std::size_t i = 0; i < kTextKeys.size(); ++i) {
        if (i == kKeysBeforeAppend) {
            AppendKeyLine(out, kAppendKey, std::to_string(agent.APPEND));
        }
        AppendKeyLine(out, kTextKeys[i].key, agent.*(kTextKeys[i].field));
    }
    for (const TextKey& optional : kOptionalKeys) {
        if (!(agent.*(optional.field)).empty()) {
            AppendKeyLine(out, optional.key, agent.*(optional.field));
        }
    }
    AppendLine(out, kScriptKey);
    for (const std::string& line : agent.SCRIPT) {
        if (IsScriptEndLine(line)) {
            out.push_back(' ');
        }
        AppendLine(out, line);
    }
    AppendLine(out, kEndScriptKey);
    return out;
}

std::string AgentFilePath(const std::string& folder, const std::string& name) {
    return folder + "/" + name + std::string(kAgentFileExtension);
}

bool IsScriptEndLine(std::string_view line) {
    return line == kEndScriptKey;
}

int ReadAgentFile(AgentDefinition& agent, const std::string& path) {
    std::vector<std::string> lines;
    if (ReadTextLines(path, lines) != 0 || lines.empty()) {
        return -1;
    }
    for (std::size_t at = 0; at < lines.size();) {
        at = ApplyLine(agent, lines, at);
    }
    return 0;
}

int WriteAgentFile(const AgentDefinition& agent, const std::string& folder) {
    if (!IsPlainFileName(agent.name)) {
        return -1;
    }
    const bool written =
        WriteFileAtomically(AgentFilePath(folder, agent.name), FormatAgentFile(agent));
    return written ? 0 : -1;
}

}  // namespace gleanwork
