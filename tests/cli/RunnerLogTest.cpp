#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

using ::testing::EndsWith;

// Collected text with line breaks cannot write entries of its own into the
// log file; and "--" lets an agent name begin with "-".
TEST(RunnerLog, LineBreaksInsideAnEntryStayInsideIt) {
    const TempInstallFolder folder;
    std::filesystem::create_directory(folder / "Agents");
    WriteFile(folder / "page.txt", "x\nAgent completed.\rERROR: y\\n");
    WriteFile(folder / "AGENTS.INI", "-forge\n");
    WriteFile(folder / "Agents/-forge.agt", "URL=" + folder / "page.txt" + "\nSCRIPT\nGET 99\n");
    const std::string command =
        "'" GLEANWORK_RUN_PATH "' --log '" + folder / "run.log" + "' -- -forge 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_THAT(ReadFile(folder / "run.log"),
                EndsWith("\n<< x\\nAgent completed.\\rERROR: y\\\\n\n[End of file]\n"
                         "Agent completed.\n"));
}

}  // namespace
}  // namespace gleanwork::test
