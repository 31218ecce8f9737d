// Saving as the operator meets it: links, permission bits, killed saves.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "commandlist/CommandListStore.h"
#include "stream/CxIOFile.h"
#include "tests/support/TempDir.h"

namespace {

const CommandListHeader kHeader{{0, 2, 9, 3, 1, 2}, {0, 1, 224}, 32, 800, 0};

std::vector<CommandRecord> Rows(size_t n) {
    std::vector<CommandRecord> rows(n, CommandRecord{100, 7, {0xff, 1, 0, 8, 0x20, 0x20, 0x49}});
    return rows;
}

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        names.insert(e.path().filename().string());
    }
    return names;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

struct CommandListStoreTest : testing::Test {
    orvane::Result Save(const std::string& folder, size_t rows = 3) {
        return SaveCommandListFile(file, folder, kHeader, Rows(rows));
    }

    TempDir dir;
    std::string cfg = CommandListPath(dir.path());
    CxIOFile file;
};

TEST_F(CommandListStoreTest, SavesThroughALinkKeepingItsTargetsBits) {
    const mode_t oldMask = umask(022);
    EXPECT_FALSE(CommandListFileExists(dir.path()));
    ASSERT_TRUE(Save(dir.path()));
    EXPECT_TRUE(CommandListFileExists(dir.path()));
    EXPECT_EQ(ModeOf(cfg), 0644u) << "a new file: 0666 less the umask";

    // A link to a 0600 file in another folder: both stay what they are.
    const std::string target = dir.File("real/target.cfg");
    std::filesystem::create_directory(dir.File("real"));
    ASSERT_TRUE(WriteWholeFile(target, {1, 2, 3}));
    ASSERT_EQ(chmod(target.c_str(), 0600), 0);
    std::filesystem::remove(cfg);
    ASSERT_EQ(symlink("real/target.cfg", cfg.c_str()), 0);
    ASSERT_TRUE(Save(dir.path(), 2));
    EXPECT_EQ(std::filesystem::read_symlink(cfg), "real/target.cfg");
    EXPECT_EQ(ModeOf(target), 0600u);
    EXPECT_EQ(ReadWholeFile(target).size(), 48u + 2 * 16);
    EXPECT_EQ(Entries(dir.File("real")), std::set<std::string>{"target.cfg"});

    umask(oldMask);
}

TEST_F(CommandListStoreTest, NextSaveRemovesWhatAKilledSaveLeft) {
    const pid_t child = fork();
    if (child == 0) {
        CxIOFile killed;
        killed.OpenReplacing(cfg.c_str());
        killed.Write("partial", 1, 7);
        killed.Flush();
        _exit(0);  // as if killed: no Close, no Commit
    }
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    ASSERT_EQ(Entries(dir.path()).size(), 1u);
    const std::string deadOther = ".Other.cfg.tmp-" + std::to_string(child) + "-abcdef";
    const std::string running = ".DomeConfig.cfg.tmp-1-abcdef";  // pid 1 always runs
    ASSERT_TRUE(WriteWholeFile(dir.File(deadOther), {}));
    ASSERT_TRUE(WriteWholeFile(dir.File(running), {}));
    ASSERT_TRUE(Save(dir.path()));
    EXPECT_EQ(Entries(dir.path()),
              (std::set<std::string>{deadOther, running, kCommandListFileName}));
}

}  // namespace
