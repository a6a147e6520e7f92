#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/rtl/AtomicFile.h"
#include "tests/support/Support.h"

namespace fs = std::filesystem;

namespace {
unsigned ModeOf(const std::string& Path) {
    struct stat St;
    return stat(Path.c_str(), &St) == 0 ? St.st_mode & 07777 : 0;
}
}  // namespace

// A new file gets the mode the umask gives; a replaced one keeps its own.
TEST(AtomicFile, ModesFollowTheUmaskOrTheOldFile) {
    TempDir Dir;
    mode_t Old = umask(027);
    WriteFileAtomic(Dir / "new.txt", "a");
    umask(Old);
    EXPECT_EQ(ModeOf(Dir / "new.txt"), 0640u);
    chmod((Dir / "new.txt").c_str(), 0600);
    WriteFileAtomic(Dir / "new.txt", "b");
    EXPECT_EQ(ModeOf(Dir / "new.txt"), 0600u);
    EXPECT_EQ(ReadFile(Dir / "new.txt"), "b");
}

// Until Finish, Undo brings back the file as it was, or no file.
TEST(AtomicFile, UndoRestoresWhatWasThere) {
    TempDir Dir;
    WriteFile(Dir / "memo.txt", "old");
    {
        TStagedFile Memo(Dir / "memo.txt", "new");
        EXPECT_EQ(ReadFile(Dir / "memo.txt"), "old") << "nothing shows before Install";
        Memo.Install();
        EXPECT_EQ(ReadFile(Dir / "memo.txt"), "new");
        Memo.Undo();
    }
    EXPECT_EQ(ReadFile(Dir / "memo.txt"), "old");
    {
        TStagedFile Fresh(Dir / "fresh.txt", "x");
        Fresh.Install();
        Fresh.Undo();
    }
    { TStagedFile Dropped(Dir / "dropped.txt", "x"); }
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir.Path()), {}), 1) << "no temporary, no new file";
}

// A set installs every file and takes them all back together, also a file that turned up after
// it was staged as new; its staging folder is held while it lives, and goes with it.
TEST(AtomicFile, SetInstallsAndUndoesTogether) {
    TempDir Dir;
    WriteFile(Dir / "a.txt", "old");
    {
        TStagedFileSet Set(Dir.Path());
        Set.Add("a.txt", "new a");
        Set.Add("b.txt", "new b", true);
        Set.Add("c.txt", "new c", true);
        Set.Discard(Set.Add("d.txt", "not wanted", true));
        WriteFile(Dir / "c.txt", "theirs");
        EXPECT_EQ(RemoveStagingLeftovers(Drives::FromNative(Dir.Path())), 0) << "a held staging folder stays";
        Set.Install();
        EXPECT_EQ(ReadFile(Dir / "a.txt"), "new a");
        EXPECT_EQ(ReadFile(Dir / "b.txt"), "new b");
        EXPECT_EQ(ReadFile(Dir / "c.txt"), "new c");
        EXPECT_FALSE(fs::exists(Dir / "d.txt"));
        Set.Undo();
    }
    EXPECT_EQ(ReadFile(Dir / "a.txt"), "old");
    EXPECT_EQ(ReadFile(Dir / "c.txt"), "theirs");
    EXPECT_EQ(std::distance(fs::directory_iterator(Dir.Path()), {}), 2)
        << "b.txt and the staging folder went";
}

// Leftovers of a killed save go; a staged file still held by a living save, and everything else in
// the folder, stay.
TEST(AtomicFile, OnlyDeadTemporariesAreRemoved) {
    TempDir Dir;
    for (const char* Name : {"20033514.txt.tmpAb12Cd", "x.tmpQQQQQQ", "keep.txt", "keep.tmp", "notes.tmpABC"})
        WriteFile(Dir / Name, "text");
    fs::create_directory(Dir / ".import.tmpZz9Yx8");  // a killed import's staging folder
    WriteFile(Dir / ".import.tmpZz9Yx8/20033516.txt", "staged");
    TStagedFile Living(Dir / "20033515.txt", "in progress");
    EXPECT_EQ(RemoveStagingLeftovers(Dir.Path()), 3);
    std::vector<std::string> Left;
    for (auto& E : fs::directory_iterator(Dir.Path())) Left.push_back(E.path().filename());
    std::sort(Left.begin(), Left.end());
    ASSERT_EQ(Left.size(), 4u);
    EXPECT_EQ(Left[0].rfind("20033515.txt.tmp", 0), 0u);
    EXPECT_EQ((std::vector<std::string>(Left.begin() + 1, Left.end())),
              (std::vector<std::string>{"keep.tmp", "keep.txt", "notes.tmpABC"}));
    Living.Install();
    EXPECT_EQ(ReadFile(Dir / "20033515.txt"), "in progress");
}
