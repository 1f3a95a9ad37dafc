#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "engine/CommandTable.h"

namespace gleanwork {
namespace {

// The interpreter's fuzzer starts from whole keywords: its dictionary holds
// each one, alone or followed by a space.
TEST(FuzzDictionary, HoldsEveryKeyword) {
    std::ifstream file(GLEANWORK_TEST_DATA "/../fuzz/dict/Interpreter.dict");
    ASSERT_TRUE(file.is_open());
    std::stringstream dictionary;
    dictionary << file.rdbuf();
    const std::string entries = dictionary.str();
    for (const CommandInfo& command : kScriptCommands) {
        const std::string entry = "\"" + std::string(command.keyword);
        EXPECT_TRUE(entries.find(entry + "\"\n") != std::string::npos ||
                    entries.find(entry + " \"\n") != std::string::npos)
            << command.keyword;
    }
}

}  // namespace
}  // namespace gleanwork
