#include "storage/OutputFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "storage/LinkFollowing.h"
#include "support/TempFolder.h"

namespace gleanwork::test {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

bool Replace(const std::string& path, const std::string& text, int& error) {
    OutputFile file;
    return file.Open(path, false, error) && file.Write(text, error) && file.Commit(error);
}

bool Append(const std::string& path, const std::string& text, int& error) {
    OutputFile file;
    return file.Open(path, true, error) && file.Write(text, error) && file.Commit(error);
}

// A replaced file keeps its mode; through a link, the link stays and its
// target is replaced, the temporary file beside the target.
TEST(OutputFile, ReplacesTheTargetOfALinkAndKeepsItsMode) {
    const TempFolder folder;
    fs::create_directory(folder / "real");
    WriteFile(folder / "real/out.txt", "old");
    ::chmod((folder / "real/out.txt").c_str(), 0640);
    fs::create_symlink("real/out.txt", folder / "link");
    fs::create_symlink(folder / "link", folder / "chain");
    fs::create_symlink("real/new.txt", folder / "dangling");
    for (const auto& [name, target] : {std::pair{"real/out.txt", "real/out.txt"},
                                       {"link", "real/out.txt"},
                                       {"chain", "real/out.txt"},
                                       {"dangling", "real/new.txt"}}) {
        SCOPED_TRACE(name);
        int error = 0;
        ASSERT_TRUE(Replace(folder / name, name, error)) << error;
        EXPECT_EQ(ReadFile(folder / target), name);
        if (std::string(target) == "real/out.txt") {
            EXPECT_EQ(ModeOf(folder / target), 0640u);
        }
        for (const char* sub : {"", "real"}) {
            for (const auto& entry : fs::directory_iterator(folder / sub)) {
                EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << entry.path();
            }
        }
    }
    EXPECT_TRUE(fs::is_symlink(folder / "link") && fs::is_symlink(folder / "chain"));
}

// As the kernel's protected-symlink rule: in a sticky folder writable by all,
// a link of another user is not followed, unless that user owns the folder.
TEST(OutputFile, RefusesALinkThatAnotherUserPlantedInASharedFolder) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || nobody == nullptr) {
        GTEST_SKIP() << "needs root and the user nobody, to plant a link as another user";
    }
    const TempFolder folder;
    WriteFile(folder / "victim", "kept\n");
    for (const auto& [shared, mode] : {std::pair{"sticky", 01777}, {"plain", 0777}}) {
        fs::create_directory(folder / shared);
        ::chmod((folder / shared).c_str(), mode);
    }
    const auto plant = [&](const std::string& link, const std::string& target, uid_t owner) {
        fs::create_symlink(target, folder / link);
        ASSERT_EQ(::lchown((folder / link).c_str(), owner, static_cast<gid_t>(-1)), 0);
    };
    plant("sticky/theirs", folder / "victim", nobody->pw_uid);
    plant("sticky/folder", folder.Path(), nobody->pw_uid);
    plant("sticky/mine", folder / "victim", 0);
    plant("plain/theirs", folder / "victim", nobody->pw_uid);
    for (const auto& [path, followed] : {std::pair{"sticky/theirs", false},
                                         {"sticky/folder/victim", false},
                                         {"sticky/mine", true},
                                         {"plain/theirs", true}}) {
        SCOPED_TRACE(path);
        WriteFile(folder / "victim", "kept\n");
        int error = 0;
        EXPECT_EQ(Append(folder / path, "+\n", error), followed);
        EXPECT_EQ(OpenForWriting(folder / path, O_APPEND, error).IsOpen(), followed);
        EXPECT_EQ(Replace(folder / path, "new\n", error), followed);
        EXPECT_EQ(error, followed ? 0 : kForeignLinkError);
        EXPECT_EQ(ReadFile(folder / "victim"), followed ? "new\n" : "kept\n");
    }
}

// A failed run's appended lines go, but never lines that other runs
// appended after them.
TEST(OutputFile, DiscardCutsBackOnlyWhatNoOtherWriterAppendedAfter) {
    const TempFolder folder;
    const std::string path = folder / "out.txt";
    WriteFile(path, "old\n");
    int error = 0;
    OutputFile failed;
    ASSERT_TRUE(failed.Open(path, true, error) && failed.Write("failed\n", error));
    EXPECT_TRUE(failed.Discard());
    EXPECT_EQ(ReadFile(path), "old\n");
    for (const std::string after : {"", "again\n"}) {
        WriteFile(path, "old\n");
        ASSERT_TRUE(failed.Open(path, true, error) && failed.Write("failed\n", error));
        ASSERT_TRUE(Append(path, "other\n", error) && failed.Write(after, error));
        EXPECT_FALSE(failed.Discard());
        EXPECT_EQ(ReadFile(path), "old\nfailed\nother\n" + after);
    }
}

}  // namespace
}  // namespace gleanwork::test
