#pragma once

#include <string>

#include "storage/AgentDefinition.h"

namespace gleanwork::test {

// An agent with only a name and a description.
inline AgentDefinition MakeAgent(const std::string& name, const std::string& description = {}) {
    AgentDefinition agent;
    agent.name = name;
    agent.DESCRIPTION = description;
    return agent;
}

// An agent with every field set, a Latin-1 byte among them.
inline AgentDefinition SampleAgent() {
    AgentDefinition agent = MakeAgent("Weather", "Forecast for caf\xE9s");
    agent.SCRIPT = {"FIND \"<b>\"", "GETUNTIL \"</b>\"", "PRINT"};
    agent.HOST = "proxy.invalid";
    agent.PORT = "8080";
    agent.URL = "http://weather.invalid/today";
    agent.USERAGENT = "Mozilla/3.0 (compatible)";
    agent.WEBUSER = "alice";
    agent.WEBPASS = "secret";
    agent.FILE = "/tmp/weather.txt";
    agent.DBSOURCE = "forecasts";
    agent.DBUSER = "clerk";
    agent.DBPASS = "hidden";
    agent.DBINSERT = "INSERT INTO f VALUES ('{t}')";
    agent.DBUPDATE = "UPDATE f SET t = '{t}'";
    agent.APPEND = 1;
    return agent;
}

}  // namespace gleanwork::test
