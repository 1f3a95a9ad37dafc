#include "run/PasswordRedaction.h"

#include <cctype>
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

bool IsWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// Redacts `piece` where it stands as a word of its own: not inside a longer
// run of letters and digits.
void RedactWord(std::string_view piece, std::string& message) {
    if (piece.empty()) {
        return;
    }
    for (std::size_t at = message.find(piece); at != std::string::npos;
         at = message.find(piece, at)) {
        const std::size_t end = at + piece.size();
        if ((at == 0 || !IsWordCharacter(message[at - 1])) &&
            (end == message.size() || !IsWordCharacter(message[end]))) {
            message.replace(at, piece.size(), kMask);
            at += kMask.size();
        } else {
            ++at;
        }
    }
}

// The text between `begin` and the first of `ends` after it.
std::string_view Between(std::string_view text, std::size_t begin, std::string_view ends) {
    return text.substr(begin, text.find_first_of(ends, begin) - begin);
}

// The password of a connection URI's "user:password@" part. The user name
// and password end at the last "@" before the query, so a password may hold
// "@" and "/" unencoded.
std::string_view UriPassword(std::string_view source) {
    const std::size_t authority = source.find("://");
    if (authority == std::string_view::npos) {
        return {};
    }
    const std::string_view beforeQuery = Between(source, authority + 3, "?");
    const std::size_t at = beforeQuery.rfind('@');
    const std::string_view userInfo = beforeQuery.substr(0, at);
    const std::size_t colon = userInfo.find(':');
    if (at == std::string_view::npos || colon == std::string_view::npos) {
        return {};
    }
    return userInfo.substr(colon + 1);
}

}  // namespace

void RedactPasswords(const AgentDefinition& agent, std::string& message) {
    Redact(agent.DBPASS, message);
    const std::string_view source = agent.DBSOURCE;
    const std::string_view password = UriPassword(source);
    Redact(password, message);
    // The client library cuts such a password at its first "@", "/" or ":"
    // and echoes the pieces as a host, a port or a database name.
    for (std::size_t begin = 0; begin < password.size();) {
        const std::size_t end = std::min(password.find_first_of("@/:", begin), password.size());
        RedactWord(password.substr(begin, end - begin), message);
        begin = end + 1;
    }
    const std::size_t setting = source.find("password=");
    if (setting != std::string_view::npos) {
        Redact(Between(source, setting + 9, "&"), message);
    }
}

}  // namespace gleanwork
