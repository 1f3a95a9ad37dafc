#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gleanwork {

// One agent: its name, its source and how to fetch it, its output and its
// script. Every field but `name` carries the key it is stored under.
struct AgentDefinition {
    std::string name;
    std::string DESCRIPTION;
    std::vector<std::string> SCRIPT;
    std::string HOST;
    std::string PORT;
    std::string URL;
    std::string USERAGENT;
    std::string WEBUSER;
    std::string WEBPASS;
    std::string FILE;
    std::string DBSOURCE;
    std::string DBUSER;
    std::string DBPASS;
    std::string DBINSERT;
    std::string DBUPDATE;
    std::int32_t APPEND = 0;
    // Milliseconds between two fetches of a run from one host; empty for the
    // default. Written only when set, so files without it stay as they were.
    std::string INTERVAL;

    bool operator==(const AgentDefinition&) const = default;
};

// True when `name` can name an agent file and a catalogue line: not empty,
// not "." or "..", and holding no "/", zero byte or line break.
bool IsPlainFileName(const std::string& name);

}  // namespace gleanwork
