#include "engine/PasswordRedaction.h"

#include <string_view>

namespace gleanwork {

namespace {

constexpr std::string_view kMask = "********";

void Redact(std::string_view secret, std::string& message) {
    if (secret.empty()) {
        return;
    }
    for (std::size_t at = message.find(secret); at != std::string::npos;
         at = message.find(secret, at + kMask.size())) {
        message.replace(at, secret.size(), kMask);
    }
}

// The text between `begin` and the first of `ends` after it.
std::string_view Between(std::string_view text, std::size_t begin, std::string_view ends) {
    return text.substr(begin, text.find_first_of(ends, begin) - begin);
}

}  // namespace

void RedactPasswords(const AgentDefinition& agent, std::string& message) {
    Redact(agent.DBPASS, message);
    const std::string_view source = agent.DBSOURCE;
    const std::size_t authority = source.find("://");
    if (authority != std::string_view::npos) {
        const std::string_view userInfo = Between(source, authority + 3, "@/?");
        if (source.find('@', authority) != std::string_view::npos &&
            userInfo.find(':') != std::string_view::npos) {
            Redact(userInfo.substr(userInfo.find(':') + 1), message);
        }
    }
    const std::size_t setting = source.find("password=");
    if (setting != std::string_view::npos) {
        Redact(Between(source, setting + 9, "&"), message);
    }
}

}  // namespace gleanwork
