#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <filesystem>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/StringList.h"
#include "tests/support/Support.h"

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override { OldCwd = fs::current_path(); }
    void TearDown() override { fs::current_path(OldCwd); }
    PrivateDataHome Home;
    TempDir Tree;
    fs::path OldCwd;
};

TEST_F(FilesTest, DrivesMapToDirectories) {
    Drives::EnsureDriveC();
    std::string C = Home.Path() + "/agendix/drive_c";
    EXPECT_TRUE(fs::is_directory(C + "/Temp"));
    // Letter case of a drive path does not count; an existing name is found as it is spelled.
    EXPECT_EQ(Drives::ToNative("c:\\Temp\\a.txt"), C + "/Temp/a.txt");
    EXPECT_EQ(Drives::ToNative("C:\\TEMP\\"), C + "/Temp");
    EXPECT_EQ(Drives::ToNative("z:\\tmp"), "/tmp");
    EXPECT_EQ(Drives::FromNative(C + "/Temp"), "c:\\Temp");
    EXPECT_EQ(Drives::FromNative("/home/user/work"), "z:\\home\\user\\work");
    EXPECT_EQ(Drives::FromNative("/"), "z:\\");
    EXPECT_TRUE(Drives::DriveRoot('Q').empty());
}

// An exact name wins; another spelling finds an entry only where exactly one matches, and a
// component that must be a directory only matches directories.
TEST_F(FilesTest, CaseInsensitiveResolutionPrefersTheExactNameAndNeverGuesses) {
    fs::create_directories(Tree / "Work/Sub");
    fs::create_directories(Tree / "work");
    fs::create_directories(Tree / "Only");
    fs::create_directories(Tree / "Dir");
    WriteFile(Tree / "dir", "a file beside the directory");
    AnsiString Base = Drives::FromNative(Tree.Path());
    const struct {
        const char* Path;
        bool Directory;
        const char* Native;
    } Rows[] = {
        {"\\work", false, "work"},
        {"\\Work", false, "Work"},
        {"\\WORK\\sub", false, "WORK/sub"},
        {"\\only\\x", false, "Only/x"},
        {"\\missing\\x", false, "missing/x"},
        {"\\dir", false, "dir"},
        {"\\dir", true, "Dir"},
        {"\\dir\\x", false, "Dir/x"},
    };
    for (const auto& R : Rows)
        EXPECT_EQ(Drives::ToNative(Base + R.Path, R.Directory), Tree / R.Native)
            << R.Path << " " << R.Directory;
}

// ".." stops at the root of the drive the path lies on, also from a relative path.
TEST_F(FilesTest, PathsNeverClimbAboveTheirDriveRoot) {
    Drives::EnsureDriveC();
    const std::string C = Drives::DriveRoot('C');
    EXPECT_EQ(Drives::ToNative("c:\\..\\..\\x"), C + "/x");
    EXPECT_EQ(Drives::ToNative("c:\\Temp\\..\\..\\..\\Temp"), C + "/Temp");
    EXPECT_EQ(Drives::ToNative("z:\\..\\tmp"), "/tmp");
    ASSERT_TRUE(SetCurrentDir("c:\\Temp"));
    EXPECT_EQ(fs::path(Drives::ToNative("..\\..\\..\\x")), fs::weakly_canonical(C) / "x");
    EXPECT_TRUE(SetCurrentDir("..\\..\\.."));
    EXPECT_EQ(GetCurrentDir(), "c:\\");
}

TEST_F(FilesTest, CurrentDirectoryAsDrivePath) {
    fs::create_directories(Tree / "Alpha");
    AnsiString Base = Drives::FromNative(Tree.Path());
    ASSERT_TRUE(SetCurrentDir(Base + "\\ALPHA"));
    EXPECT_EQ(fs::current_path(), Tree / "Alpha");
    EXPECT_EQ(GetCurrentDir(), Base + "\\Alpha");
    EXPECT_EQ(ExpandFileName("..\\x\\.\\y"), Base + "\\x\\y");
    EXPECT_EQ(ExpandFileName("c:\\Temp\\"), "c:\\Temp\\");
    EXPECT_FALSE(SetCurrentDir(Base + "\\nowhere"));

    ASSERT_TRUE(ChDrive(3));
    EXPECT_EQ(GetCurrentDir().substr(0, 3), "c:\\");
    ASSERT_TRUE(ChDrive(26));
    EXPECT_EQ(GetCurrentDir(), Base + "\\Alpha");  // each drive keeps its own directory
    EXPECT_FALSE(ChDrive(5));
}

TEST_F(FilesTest, DirectorySearchByPatternAndMask) {
    fs::create_directories(Tree / "b");
    fs::create_directories(Tree / "A");
    fs::create_directories(Tree / ".hidden");
    WriteFile(Tree / "note.TXT", "x");
    WriteFile(Tree / "readme", "x");
    auto Find = [&](const AnsiString& Mask, int Attr) {
        std::vector<std::string> Names;
        TSearchRec F;
        for (int Rc = FindFirst(Drives::FromNative(Tree.Path()) + "\\" + Mask, Attr, F); Rc == 0;
             Rc = FindNext(F))
            Names.push_back(F.Name + ((F.Attr & faDirectory) ? "/" : ""));
        FindClose(F);
        return Names;
    };
    EXPECT_EQ(Find("*.*", faDirectory), (std::vector<std::string>{"A/", "b/", "note.TXT", "readme"}));
    EXPECT_EQ(Find("*.*", faDirectory | faHidden),
              (std::vector<std::string>{".hidden/", "A/", "b/", "note.TXT", "readme"}));
    EXPECT_EQ(Find("*.*", 0), (std::vector<std::string>{"note.TXT", "readme"}));
    EXPECT_EQ(Find("*.txt", faAnyFile), (std::vector<std::string>{"note.TXT"}));
    EXPECT_TRUE(Find("nothing*", faAnyFile).empty());
    TSearchRec F;
    EXPECT_NE(FindFirst("z:\\no\\such\\dir\\*.*", faDirectory, F), 0);
}

TEST_F(FilesTest, StringListFilesAreCp949WithCrLf) {
    TStringList L;
    L.Add("첫 줄");
    L.Add("");
    L.Add("third");
    L.SaveToFile(Tree / "memo.txt");
    EXPECT_EQ(ReadFile(Tree / "memo.txt"), "\xC3\xB9 \xC1\xD9\r\n\r\nthird\r\n");

    TStringList Back;
    Back.LoadFromFile(Tree / "memo.txt");
    EXPECT_EQ(Back.Items(), L.Items());

    TStringList Empty;
    Empty.SaveToFile(Tree / "empty.txt");
    EXPECT_EQ(ReadFile(Tree / "empty.txt"), "");
    Back.LoadFromFile(Tree / "empty.txt");
    EXPECT_EQ(Back.Count(), 0);

    WriteFile(Tree / "unix.txt", "a\nb\rc");
    Back.LoadFromFile(Tree / "unix.txt");
    EXPECT_EQ(Back.Items(), (std::vector<AnsiString>{"a", "b", "c"}));
}

TEST_F(FilesTest, FailedSavesAndLoadsLeaveFilesAlone) {
    fs::create_directories(Tree / "ro");
    WriteFile(Tree / "ro/memo.txt", "old");
    chmod((Tree / "ro").c_str(), 0555);
    TStringList L;
    L.Add("new");
    if (geteuid() != 0) {  // root writes anywhere
        EXPECT_THROW(L.SaveToFile(Tree / "ro/memo.txt"), EFCreateError);
        EXPECT_EQ(ReadFile(Tree / "ro/memo.txt"), "old");
        EXPECT_EQ(std::distance(fs::directory_iterator(Tree / "ro"), fs::directory_iterator()), 1);
    }
    chmod((Tree / "ro").c_str(), 0755);
    chmod((Tree / "ro/memo.txt").c_str(), 0444);
    EXPECT_THROW(L.SaveToFile(Tree / "ro/memo.txt"), EFCreateError);
    EXPECT_EQ(ReadFile(Tree / "ro/memo.txt"), "old");

    TStringList Bad;
    Bad.Add("😀");
    EXPECT_THROW(Bad.SaveToFile(Tree / "ro/other.txt"), EConvertError);
    EXPECT_FALSE(fs::exists(Tree / "ro/other.txt"));

    try {
        L.LoadFromFile(Tree / "missing.txt");
        FAIL();
    } catch (const EFOpenError& E) {
        EXPECT_NE(E.Message().find("missing.txt"), std::string::npos);
    }
    EXPECT_THROW(L.SaveToFile(Tree / "no/such/dir/x.txt"), EFCreateError);
}
