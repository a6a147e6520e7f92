#include "controls/Cdiroutl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/classes/Registry.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Resources.h"
#include "tests/support/Support.h"

namespace fs = std::filesystem;

namespace {

class CdiroutlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Saved = fs::current_path();
        Root = Drives::FromNative(Tmp.Path());  // z:\tmp\agendix-test-XXXXXX
        Lower = AnsiLowerCase(Root);
        O.OnChange = [this](TObject* Sender) {
            EXPECT_EQ(Sender, &O);
            ++Changes;
        };
    }
    // Every test moves the process's current directory; put it back before the tree goes.
    void TearDown() override {
        SetCurrentDir(Drives::FromNative(Saved.string()));
        fs::current_path(Saved);
    }
    void MakeDirs(std::initializer_list<const char*> Paths) {
        for (const char* P : Paths) fs::create_directories(Tmp / P);
    }
    static std::vector<std::string> Children(const TCDirectoryOutline& D, int Item) {
        std::vector<std::string> T;
        TOutlineNode* N = D.Items(Item);
        for (int C = N->GetFirstChild(); C != -1; C = N->GetNextChild(C)) T.push_back(D.Items(C)->Text());
        return T;
    }
    int Selected() const { return O.SelectedItem(); }
    AnsiString SelectedPath() const { return O.Items(O.SelectedItem())->FullPath(); }
    static std::string NativeCwd() { return fs::current_path().string(); }

    TempDir Tmp;
    fs::path Saved;
    AnsiString Root, Lower;
    TCDirectoryOutline O{nullptr};
    int Changes = 0;
};

TEST_F(CdiroutlTest, TextCaseForcesItemsPathsAndListings) {
    MakeDirs({"MixedCase/Sub", "b", "A", "D", ".hidden", "..dots"});
    WriteFile(Tmp / "plain.txt", "not a directory");
    struct Row {
        TTextCase Case;
        TCaseFunction Force;
        std::vector<std::string> Listing;
    };
    const Row Rows[] = {
        {tcLowerCase, AnsiLowerCase, {"a", "b", "d", "mixedcase"}},
        {tcUpperCase, AnsiUpperCase, {"A", "B", "D", "MIXEDCASE"}},
        {tcAsIs, [](const AnsiString& S) { return S; }, {"A", "b", "D", "MixedCase"}},
    };
    for (const Row& R : Rows) {
        SCOPED_TRACE(testing::Message() << "text case " << static_cast<int>(R.Case));
        TCDirectoryOutline D(nullptr);
        D.SetTextCase(R.Case);
        D.SetDirectory(Root + "\\MixedCase\\Sub");
        EXPECT_EQ(D.Items(1)->Text(), R.Force("z:"));
        EXPECT_EQ(D.Directory(), R.Force(Root + "\\MixedCase\\Sub"));
        EXPECT_EQ(D.Items(D.SelectedItem())->FullPath(), D.Directory());
        EXPECT_EQ(NativeCwd(), Tmp / "MixedCase/Sub");
        // The walk matches names without regard to case, even when texts are kept as they are.
        D.SetDirectory(AnsiUpperCase(Root + "\\MixedCase"));
        EXPECT_EQ(D.Items(D.SelectedItem())->Text(), R.Force("MixedCase"));
        EXPECT_EQ(NativeCwd(), Tmp / "MixedCase");
        // Files and hidden directories are left out, the rest sorted without regard to case.
        EXPECT_EQ(Children(D, D.Items(D.SelectedItem())->Parent()->Index()), R.Listing);
    }
}

TEST_F(CdiroutlTest, TheSameDirectoryTwiceChangesOnceAndAMissingOneStopsTheWalk) {
    MakeDirs({"a", "b"});
    O.SetDirectory(Root + "\\a\\");
    EXPECT_EQ(O.Directory(), Lower + "\\a");  // the trailing backslash is dropped
    EXPECT_EQ(Changes, 1);
    O.SetDirectory(Root + "\\b");
    O.SetDirectory(Root + "\\b");
    O.SetDirectory(AnsiUpperCase(Root) + "\\B\\");
    O.SetDirectory("");
    EXPECT_EQ(Changes, 2);
    EXPECT_EQ(SelectedPath(), Lower + "\\b");
    // The walk stops at the deepest directory found; the process stays where it was.
    O.SetDirectory(Root + "\\b\\nope\\deeper");
    EXPECT_EQ(O.Directory(), Lower + "\\b\\nope\\deeper");
    EXPECT_EQ(SelectedPath(), Lower + "\\b");
    EXPECT_EQ(Changes, 3);
    EXPECT_EQ(NativeCwd(), Tmp / "b");
    // Nothing found below the drive selects the drive; a drive root keeps its backslash.
    O.SetDirectory("z:\\no-such-top-level-dir-here");
    EXPECT_EQ(Selected(), 1);
    O.SetDirectory("z:\\");
    O.SetDirectory("Z:");
    EXPECT_EQ(Changes, 5);
    EXPECT_EQ(O.Directory(), "z:\\");
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(NativeCwd(), "/");
}

TEST_F(CdiroutlTest, DriveLettersAreNumberedAndAnotherDriveRebuildsTheTree) {
    MakeDirs({"a"});
    Drives::EnsureDriveC();
    fs::create_directories(Drives::DriveRoot('C') + "/Q");
    O.SetDirectory(Root + "\\a");
    ASSERT_EQ(O.Items(1)->Text(), "z:");
    // Drives count from 0 for A; anything but a letter, or the present drive, changes nothing.
    EXPECT_EQ(TCDirectoryOutline::DriveToInt('a'), 0);
    EXPECT_EQ(TCDirectoryOutline::DriveToInt('C'), 2);
    EXPECT_EQ(TCDirectoryOutline::DriveToInt('z'), 25);
    Changes = 0;
    int Count = O.ItemCount();
    // Letters without a drive behind them are refused like any other text.
    for (char Letter : {'1', 'z', 'Z', ':', '\0', 'D', 'q', 'A'}) {
        O.SetDrive(Letter);
        EXPECT_EQ(O.Drive(), 'Z') << Letter;
        EXPECT_EQ(O.ItemCount(), Count) << Letter;
    }
    O.SetDirectory("d:\\x");
    EXPECT_EQ(Changes, 0);
    EXPECT_EQ(O.Directory(), Lower + "\\a");
    EXPECT_EQ(NativeCwd(), Tmp / "a");

    O.SetDirectory("c:\\q");
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(O.Drive(), 'C');
    EXPECT_EQ(O.Directory(), "c:\\q");
    EXPECT_EQ(O.Items(1)->Text(), "c:");
    EXPECT_EQ(SelectedPath(), "c:\\q");
    EXPECT_EQ(NativeCwd(), Drives::DriveRoot('C') + "/Q");

    O.SetDirectory(Root + "\\a");
    EXPECT_EQ(O.Items(1)->Text(), "z:");
    EXPECT_EQ(SelectedPath(), Lower + "\\a");
}

TEST_F(CdiroutlTest, LevelsAreListedOnceOnFirstOpening) {
    MakeDirs({"a/a1", "b/b1"});
    O.SetDirectory(Root + "\\a");
    int A = Selected();
    int RootItem = O.Items(A)->Parent()->Index();
    for (TOutlineNode* N = O.Items(RootItem); N->Parent(); N = N->Parent())
        EXPECT_EQ(N->Data(), TCDirectoryOutline::APointer) << N->Text();
    EXPECT_EQ(O.Items(A)->Data(), nullptr);
    EXPECT_FALSE(O.Items(A)->HasItems());
    int B = O.Items(RootItem)->GetNextChild(A);
    ASSERT_EQ(O.Items(B)->Text(), "b");
    EXPECT_EQ(O.Items(B)->Data(), nullptr);

    O.Items(B)->SetExpanded(true);
    EXPECT_EQ(Children(O, B), std::vector<std::string>{"b1"});
    EXPECT_EQ(O.Items(B)->Data(), TCDirectoryOutline::APointer);
    fs::create_directories(Tmp / "b/b2");
    O.Items(B)->SetExpanded(false);
    O.Items(B)->SetExpanded(true);
    EXPECT_EQ(Children(O, B), std::vector<std::string>{"b1"});

    // BuildSubTree lists every level below, listed before or not: names already there show twice.
    MakeDirs({"b/b2/deep"});
    O.BuildSubTree(B);
    EXPECT_EQ(Children(O, B), (std::vector<std::string>{"b1", "b1", "b2"}));
    int B2 = O.Items(B)->GetLastChild();
    EXPECT_EQ(Children(O, B2), std::vector<std::string>{"deep"});
    EXPECT_EQ(O.Items(O.Items(B2)->GetFirstChild())->Data(), TCDirectoryOutline::APointer);
}

TEST_F(CdiroutlTest, SelectingAnItemMakesItTheCurrentDirectory) {
    MakeDirs({"Bee/Sub"});
    O.SetDirectory(Root);
    int RootItem = Selected();
    O.Items(RootItem)->SetExpanded(true);
    int Bee = O.Items(RootItem)->GetFirstChild();
    ASSERT_EQ(O.Items(Bee)->Text(), "bee");
    Changes = 0;
    O.SetSelectedItem(Bee);
    O.Click();
    EXPECT_EQ(O.Directory(), Lower + "\\bee");
    EXPECT_EQ(NativeCwd(), Tmp / "Bee") << "the lower-case path finds the real directory";
    EXPECT_EQ(Changes, 1);

    uint16_t Key = VK_UP;
    O.KeyDown(Key, 0);
    EXPECT_EQ(Selected(), RootItem);
    EXPECT_EQ(NativeCwd(), Tmp.Path());
    EXPECT_EQ(Changes, 2);
}

TEST_F(CdiroutlTest, TheCurrentDirectoryIsReadInFullAndTakenByANewWindow) {
    // Past 256 bytes CurDir asks again with the size the platform reports.
    std::string Long = Tmp.Path();
    for (int I = 0; I < 5; ++I) Long += "/" + std::string(60, static_cast<char>('a' + I));
    fs::create_directories(Long);
    ASSERT_TRUE(SetCurrentDir(Drives::FromNative(Long)));
    AnsiString Dir = TCDirectoryOutline::CurDir();
    EXPECT_GT(Dir.size(), 256u);
    EXPECT_EQ(Dir, GetCurrentDir());

    MakeDirs({"a"});
    ASSERT_TRUE(SetCurrentDir(Root + "\\a"));
    EXPECT_EQ(TCDirectoryOutline::CurDir(), Root + "\\a");
    O.HandleNeeded();
    EXPECT_EQ(O.Drive(), 'z');
    EXPECT_EQ(O.Directory(), Lower + "\\a");
    EXPECT_EQ(O.ItemCount(), 0) << "the window's creation builds no tree";
    // Without items the present directory or drive is not shown yet: setting it builds the tree.
    O.SetDirectory(O.Directory());
    ASSERT_GE(O.ItemCount(), 1);
    EXPECT_EQ(SelectedPath(), Lower + "\\a");
    TCDirectoryOutline D(nullptr);
    D.HandleNeeded();
    D.SetDrive(D.Drive());
    ASSERT_GE(D.ItemCount(), 1);
    EXPECT_EQ(D.Items(D.SelectedItem())->FullPath(), Lower + "\\a");

    // Loaded before the window exists builds a tree without a drive; the window fills it in.
    TCDirectoryOutline L(nullptr);
    L.Include(csLoading);
    L.SetTextCase(tcUpperCase);
    EXPECT_EQ(L.ItemCount(), 0);
    L.Exclude(csLoading);
    L.Loaded();
    ASSERT_GE(L.ItemCount(), 1);
    L.HandleNeeded();
    EXPECT_EQ(L.Items(1)->Text(), "Z:");
    EXPECT_EQ(L.Items(L.SelectedItem())->FullPath(), AnsiUpperCase(Root) + "\\A");
}

// Names that differ only in case are two items that each list and enter their own directory; a
// directory beside a file of its name is found all the same.
TEST_F(CdiroutlTest, NamesAlikeButForCaseAreItemsOfTheirOwn) {
    MakeDirs({"FOO/upper", "Foo/title", "Bar/x"});
    WriteFile(Tmp / "bar", "a file beside the directory");
    const struct {
        TTextCase Case;
        std::vector<std::string> Listing;
    } Rows[] = {{tcLowerCase, {"bar", "Foo", "FOO"}},
                {tcUpperCase, {"BAR", "Foo", "FOO"}},
                {tcAsIs, {"Bar", "Foo", "FOO"}}};
    const std::pair<const char*, const char*> Inside[] = {{"Bar", "x"}, {"Foo", "title"}, {"FOO", "upper"}};
    for (const auto& R : Rows) {
        SCOPED_TRACE(testing::Message() << "text case " << int(R.Case));
        TCDirectoryOutline D(nullptr);
        D.SetTextCase(R.Case);
        D.SetDirectory(Root);
        const int Top = D.SelectedItem();
        D.Items(Top)->SetExpanded(true);
        ASSERT_EQ(Children(D, Top), R.Listing);
        int Item = D.Items(Top)->GetFirstChild();
        for (const auto& [Dir, Sub] : Inside) {
            D.Items(Item)->SetExpanded(true);
            EXPECT_EQ(Children(D, Item), std::vector<std::string>{D.ForceCase(Sub)}) << Dir;
            D.SetSelectedItem(Item);
            D.Click();
            EXPECT_EQ(NativeCwd(), Tmp / Dir);
            EXPECT_EQ(D.SelectedItem(), Item) << "the chosen item stays selected";
            Item = D.Items(Top)->GetNextChild(Item);
        }
        // A path given with the exact name finds that item.
        D.SetDirectory(Root + "\\FOO\\upper");
        EXPECT_EQ(D.Items(D.SelectedItem())->Parent()->Text(), "FOO");
        EXPECT_EQ(NativeCwd(), Tmp / "FOO/upper");
    }
}

// A backslash is a letter of a name on this file system: the item lists and enters that directory.
TEST_F(CdiroutlTest, ABackslashInANameIsPartOfTheName) {
    MakeDirs({"a\\b/inner", "a/b/other", "deep/x\\..\\..\\..\\..", "deep/y"});
    O.SetDirectory(Root);
    const int Top = Selected();
    O.Items(Top)->SetExpanded(true);
    ASSERT_EQ(Children(O, Top), (std::vector<std::string>{"a", "a\\b", "deep"}));
    int AB = O.Items(O.Items(Top)->GetFirstChild())->Index() + 1;
    ASSERT_EQ(O.Items(AB)->Text(), "a\\b");
    O.Items(AB)->SetExpanded(true);
    EXPECT_EQ(Children(O, AB), std::vector<std::string>{"inner"});

    int Deep = O.Items(Top)->GetLastChild();
    O.Items(Deep)->SetExpanded(true);
    int Dots = O.Items(Deep)->GetFirstChild();
    ASSERT_EQ(O.Items(Dots)->Text(), "x\\..\\..\\..\\..");
    O.SetSelectedItem(Dots);
    O.Click();
    EXPECT_EQ(NativeCwd(), Tmp / "deep/x\\..\\..\\..\\..");
}

// A link back to a directory on the way is shown but never entered: listing every level ends.
TEST_F(CdiroutlTest, LinksIntoTheirOwnPathAreShownButNotEntered) {
    MakeDirs({"loop/real/deeper"});
    fs::create_directory_symlink(".", Tmp / "loop/self");
    fs::create_directory_symlink("..", Tmp / "loop/real/up");
    fs::create_directory_symlink(Tmp / "loop/real/deeper", Tmp / "loop/elsewhere");
    O.SetDirectory(Root + "\\loop");
    const int Loop = Selected();
    O.BuildSubTree(Loop);
    EXPECT_EQ(Children(O, Loop), (std::vector<std::string>{"elsewhere", "real", "self"}));
    O.Items(Loop)->FullExpand();
    // A link elsewhere is entered, those on the way are not.
    std::vector<std::string> Below;
    std::function<void(int)> Walk = [&](int Item) {
        EXPECT_EQ(O.Items(Item)->Data(), TCDirectoryOutline::APointer) << O.Items(Item)->FullPath();
        for (int C = O.Items(Item)->GetFirstChild(); C != -1; C = O.Items(Item)->GetNextChild(C)) {
            Below.push_back(O.Items(C)->Text());
            Walk(C);
        }
    };
    Walk(Loop);
    EXPECT_EQ(Below, (std::vector<std::string>{"elsewhere", "real", "deeper", "up", "self"}));
    int Self = O.Items(Loop)->GetLastChild();
    O.SetSelectedItem(Self);
    O.Click();
    EXPECT_EQ(O.Directory(), Lower + "\\loop\\self");
    EXPECT_EQ(NativeCwd(), Tmp / "loop");  // which is where the link leads
}

// With the case kept as given, the directory and the drive are read again from the process.
TEST_F(CdiroutlTest, KeepingTheCaseRereadsDirectoryAndDrive) {
    MakeDirs({"MixedCase"});
    O.SetDirectory(Root);
    ASSERT_TRUE(SetCurrentDir(Root + "\\MixedCase"));
    Changes = 0;
    O.SetTextCase(tcAsIs);
    EXPECT_EQ(O.Directory(), Root + "\\MixedCase");
    EXPECT_EQ(O.Drive(), 'z');
    EXPECT_EQ(SelectedPath(), Root + "\\MixedCase");
    EXPECT_EQ(Changes, 1);
    O.SetTextCase(tcUpperCase);  // the other cases keep the directory as it was
    EXPECT_EQ(O.Directory(), Root + "\\MixedCase");
    EXPECT_EQ(SelectedPath(), AnsiUpperCase(Root + "\\MixedCase"));
}

TEST_F(CdiroutlTest, PaintsTheWalkToTheDirectoryWithFolderPictures) {
    // The private C: drive holds nothing else, so the picture shows just this tree.
    Drives::EnsureDriveC();
    for (const char* P : {"Alpha/One", "Alpha/Two/Leaf", "Beta", "Gamma/.hidden"})
        fs::create_directories(Drives::DriveRoot('C') + "/" + P);
    O.SetBounds(0, 0, 200, 180);
    O.SetDirectory("c:\\alpha\\two");
    O.Items(1)->FullExpand();
    O.Repaint();
    const TBitmap* S = O.Surface();
    ASSERT_TRUE(S->SavePng(ArtifactPath("outline.png")));

    const int H = O.ItemHeight();
    auto RowOf = [&](int Item) {
        for (int R = 0; R < O.PageRowCount(); ++R)
            if (O.GetItem(60, R * H + 2) == Item) return R;
        return -1;
    };
    auto Count = [&](int Row, int Lines, TColor C) {
        int N = 0;
        for (int Y = Row * H + 1; Y < Row * H + 1 + Lines; ++Y)
            for (int X = 0; X < S->Width(); ++X) N += S->Pixel(X, Y) == C;
        return N;
    };
    int Two = RowOf(Selected()), Leaf = RowOf(O.Items(Selected())->GetFirstChild());
    ASSERT_EQ(O.Items(Selected())->Text(), "two");
    ASSERT_GE(Two, 0);
    ASSERT_GE(Leaf, 0);
    EXPECT_GT(Count(Two, 1, ColorToRGB(clHighlight)), 10);
    EXPECT_GT(Count(Two, H - 1, clYellow), 10) << "an open folder beside the text";
    EXPECT_GT(Count(Leaf, H - 1, clYellow), 10) << "a leaf shows the closed folder";
}

}  // namespace
