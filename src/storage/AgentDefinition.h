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
    // The optional keys below are written only when set, so an agent that
    // uses none of them saves exactly as before they existed.
    // Milliseconds between two fetches of a run from one host; empty for the
    // default.
    std::string INTERVAL;
    // When the agent runs by itself: a calendar expression; empty for never.
    std::string SCHEDULE;
    // Which run outcomes alert ("failure", "change", "empty", "recovery",
    // separated by commas or spaces), and how: a shell command, a webhook.
    std::string NOTIFYON;
    std::string NOTIFYCOMMAND;
    std::string NOTIFYURL;
    // How many outputs of past runs are kept; empty for the default.
    std::string KEEPRUNS;
    // Output lines that take no part in telling whether the output changed
    // (a regular expression), and "1" to compare the lines in any order.
    std::string IGNORELINES;
    std::string IGNOREORDER;
    // The cookie jar kept between runs; empty for none.
    std::string COOKIEFILE;
    // The character set of the pages: empty keeps the bytes as received,
    // "auto" detects it, a name converts from that set.
    std::string CHARSET;
    // "1" to obey each host's robots.txt.
    std::string ROBOTS;

    bool operator==(const AgentDefinition&) const = default;
};

// True when `name` can name an agent file and a catalogue line: not empty,
// not "." or "..", and holding no "/", zero byte or line break.
bool IsPlainFileName(const std::string& name);

}  // namespace gleanwork
