#include "database/PostgresConnect.h"

#include <vector>

namespace gleanwork {

namespace {

// How long a connection may take, unless the address says otherwise.
constexpr const char* kConnectTimeoutSeconds = "30";

void IgnoreNotice(void*, const char*) {}

}  // namespace

std::string OneLine(std::string_view message) {
    std::string line;
    bool space = false;
    for (const char c : message) {
        if (c == '\n' || c == '\r' || c == '\t' || c == ' ') {
            space = !line.empty();
            continue;
        }
        if (space) {
            line += ' ';
            space = false;
        }
        line += c;
    }
    return line;
}

std::string ResultMessage(const PGresult* result) {
    const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    if (primary == nullptr) {
        return OneLine(PQresultErrorMessage(result));
    }
    std::string message = OneLine(primary);
    if (const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL)) {
        message += " (" + OneLine(detail) + ")";
    }
    return message;
}

PostgresHandle ConnectPostgres(const std::string& uri, const DatabaseLogin& login,
                               std::string& error) {
    // Later keywords override earlier ones, the address's own settings
    // included: the time limit is a default, the login is not.
    std::vector<const char*> keywords = {"connect_timeout", "dbname", "fallback_application_name"};
    std::vector<const char*> values = {kConnectTimeoutSeconds, uri.c_str(), "gleanwork"};
    if (!login.user.empty()) {
        keywords.push_back("user");
        values.push_back(login.user.c_str());
    }
    if (!login.password.empty()) {
        keywords.push_back("password");
        values.push_back(login.password.c_str());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    PostgresHandle connection(PQconnectdbParams(keywords.data(), values.data(), 1));
    if (!connection) {
        error = "out of memory";
        return nullptr;
    }
    if (PQstatus(connection.get()) != CONNECTION_OK) {
        error = OneLine(PQerrorMessage(connection.get()));
        return nullptr;
    }
    PQsetNoticeProcessor(connection.get(), IgnoreNotice, nullptr);
    return connection;
}

}  // namespace gleanwork
