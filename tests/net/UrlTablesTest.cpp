#include <gtest/gtest.h>

#include <string>

#include "net/UrlResolve.h"
#include "net/UrlSplit.h"
#include "support/CaseFile.h"

namespace gleanwork::test {
namespace {

const std::string kTables = GLEANWORK_TEST_DATA "/net/urls.txt";

// The rows of table `name`, each of `fields` fields.
Table Rows(const std::string& name, std::size_t fields) {
    std::vector<std::string> errors;
    Table rows = ReadTable(kTables, name, errors);
    EXPECT_EQ(errors, std::vector<std::string>());
    for (const auto& row : rows) {
        EXPECT_EQ(row.size(), fields) << row.front();
    }
    return rows;
}

TEST(ResolveUrl, ResolvesReferencesAsRfc3986Does) {
    for (const auto& row : Rows("resolve", 3)) {
        EXPECT_EQ(ResolveUrl(row.at(0), row.at(1)), row.at(2)) << row.at(0) << " " << row.at(1);
    }
}

TEST(HttpUrlSplit, TakesHostPortAndPathApart) {
    for (const auto& row : Rows("split", 4)) {
        std::string host = "before";
        int port = 1234;
        EXPECT_EQ(SplitUrl(row.at(0), host, port), row.at(3)) << row.at(0);
        EXPECT_EQ(host, row.at(1)) << row.at(0);
        EXPECT_EQ(port, std::stoi(row.at(2))) << row.at(0);
    }
    EXPECT_EQ(ReadPort("  -12"), -12);
    EXPECT_EQ(ReadPort("letters"), 0);
}

}  // namespace
}  // namespace gleanwork::test
