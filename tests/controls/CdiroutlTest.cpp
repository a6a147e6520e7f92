#include "controls/Cdiroutl.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
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
    std::vector<std::string> Children(int Item) const {
        std::vector<std::string> T;
        TOutlineNode* N = O.Items(Item);
        for (int C = N->GetFirstChild(); C != -1; C = N->GetNextChild(C)) T.push_back(O.Items(C)->Text());
        return T;
    }
    int Selected() const { return O.SelectedItem(); }
    AnsiString SelectedPath() const { return O.Items(O.SelectedItem())->FullPath(); }
    static std::string NativeCwd() { return fs::current_path().string(); }

    TempDir Tmp;
    fs::path Saved;
    AnsiString Root;
    TCDirectoryOutline O{nullptr};
    int Changes = 0;
};

TEST_F(CdiroutlTest, StartsEmptyAndShowsPicturesOfClosedFoldersForLeaves) {
    EXPECT_EQ(O.Drive(), 0);
    EXPECT_EQ(O.Directory(), "");
    EXPECT_EQ(O.ItemCount(), 0);
    EXPECT_EQ(O.TextCase(), tcLowerCase);
    EXPECT_EQ(O.Style(), osTreePictureText);
    EXPECT_EQ(O.Options(), TOutlineOptions(ooDrawFocusRect | ooStretchBitmaps));
    ASSERT_EQ(O.PictureLeaf()->Width(), O.PictureClosed()->Width());
    for (int Y = 0; Y < O.PictureLeaf()->Height(); ++Y)
        for (int X = 0; X < O.PictureLeaf()->Width(); ++X)
            ASSERT_EQ(O.PictureLeaf()->Pixel(X, Y), O.PictureClosed()->Pixel(X, Y));
    EXPECT_EQ(TCDirectoryOutline::APointer, static_cast<void*>(&TCDirectoryOutline::APointer));
    EXPECT_EQ(TCDirectoryOutline::DriveToInt('a'), 0);
    EXPECT_EQ(TCDirectoryOutline::DriveToInt('Z'), 25);
}

TEST_F(CdiroutlTest, TextCaseForcesItemsAndPaths) {
    MakeDirs({"MixedCase/Sub"});
    struct Row {
        TTextCase Case;
        const char* DriveText;
        std::function<AnsiString(const AnsiString&)> Force;
    };
    const Row Rows[] = {
        {tcLowerCase, "z:", AnsiLowerCase},
        {tcUpperCase, "Z:", AnsiUpperCase},
        {tcAsIs, "z:", [](const AnsiString& S) { return S; }},
    };
    for (const Row& R : Rows) {
        SCOPED_TRACE(R.DriveText + std::to_string(R.Case));
        TCDirectoryOutline D(nullptr);
        D.SetTextCase(R.Case);
        D.SetDirectory(Root + "\\MixedCase\\Sub");
        EXPECT_EQ(D.Items(1)->Text(), R.DriveText);
        EXPECT_EQ(D.Directory(), R.Force(Root + "\\MixedCase\\Sub"));
        EXPECT_EQ(D.Items(D.SelectedItem())->FullPath(), R.Force(Root + "\\MixedCase\\Sub"));
        EXPECT_EQ(D.Items(D.SelectedItem())->Text(), R.Force("Sub"));
        EXPECT_EQ(NativeCwd(), Tmp / "MixedCase/Sub");
        // The walk matches names without regard to case, even when texts are kept as they are.
        D.SetDirectory(AnsiUpperCase(Root + "\\MixedCase"));
        EXPECT_EQ(D.Items(D.SelectedItem())->Text(), R.Force("MixedCase"));
        EXPECT_EQ(NativeCwd(), Tmp / "MixedCase");
    }
}

TEST_F(CdiroutlTest, ListsDirectoriesInCaseInsensitiveOrderLeavingOutHiddenOnes) {
    MakeDirs({"b", "A", "c", "D", ".hidden", "..dots"});
    WriteFile(Tmp / "plain.txt", "not a directory");
    struct Row {
        TTextCase Case;
        std::vector<std::string> Expected;
    };
    const Row Rows[] = {
        {tcAsIs, {"A", "b", "c", "D"}},
        {tcLowerCase, {"a", "b", "c", "d"}},
        {tcUpperCase, {"A", "B", "C", "D"}},
    };
    for (const Row& R : Rows) {
        SCOPED_TRACE(std::to_string(R.Case));
        TCDirectoryOutline D(nullptr);
        D.SetTextCase(R.Case);
        D.SetDirectory(Root);
        int Item = D.SelectedItem();
        D.Items(Item)->SetExpanded(true);
        std::vector<std::string> Got;
        TOutlineNode* N = D.Items(Item);
        for (int C = N->GetFirstChild(); C != -1; C = N->GetNextChild(C)) Got.push_back(D.Items(C)->Text());
        EXPECT_EQ(Got, R.Expected);
    }
}

TEST_F(CdiroutlTest, TheSameDirectoryTwiceChangesOnce) {
    MakeDirs({"a", "b"});
    O.SetDirectory(Root + "\\a");
    EXPECT_EQ(Changes, 1);
    O.SetDirectory(Root + "\\b");
    O.SetDirectory(Root + "\\b");
    O.SetDirectory(AnsiUpperCase(Root) + "\\B\\");
    O.SetDirectory("");
    EXPECT_EQ(Changes, 2);
    EXPECT_EQ(O.Directory(), AnsiLowerCase(Root) + "\\b");
    EXPECT_EQ(SelectedPath(), O.Directory());
}

TEST_F(CdiroutlTest, TrailingBackslashIsDroppedExceptOnADriveRoot) {
    MakeDirs({"a"});
    O.SetDirectory(Root + "\\a\\");
    EXPECT_EQ(O.Directory(), AnsiLowerCase(Root) + "\\a");
    O.SetDirectory("z:\\");
    EXPECT_EQ(O.Directory(), "z:\\");
    EXPECT_EQ(Selected(), 1);
    EXPECT_EQ(NativeCwd(), "/");
    int Before = Changes;
    O.SetDirectory("Z:");
    EXPECT_EQ(Changes, Before);
}

TEST_F(CdiroutlTest, AnotherDriveRebuildsTheTreeAndOneLetterNamesAreWalked) {
    MakeDirs({"a"});
    Drives::EnsureDriveC();
    fs::create_directories(Drives::DriveRoot('C') + "/Q");
    O.SetDirectory(Root + "\\a");
    ASSERT_EQ(O.Items(1)->Text(), "z:");
    Changes = 0;

    O.SetDirectory("c:\\q");
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(O.Drive(), 'C');
    EXPECT_EQ(O.Directory(), "c:\\q");
    EXPECT_EQ(O.Items(1)->Text(), "c:");
    EXPECT_EQ(O.Items(Selected())->Text(), "q");
    EXPECT_EQ(SelectedPath(), "c:\\q");
    EXPECT_EQ(NativeCwd(), Drives::DriveRoot('C') + "/Q");
    for (int I = 1; I <= O.ItemCount(); ++I) EXPECT_NE(O.Items(I)->Text(), "z:");

    O.SetDirectory(Root + "\\a");
    EXPECT_EQ(O.Items(1)->Text(), "z:");
    EXPECT_EQ(SelectedPath(), AnsiLowerCase(Root) + "\\a");
}

TEST_F(CdiroutlTest, SetDriveIgnoresNonLettersAndThePresentDrive) {
    MakeDirs({"a"});
    O.SetDirectory(Root + "\\a");
    Changes = 0;
    int Count = O.ItemCount();
    for (char Letter : {'1', 'z', 'Z', ':', '\0'}) {
        O.SetDrive(Letter);
        EXPECT_EQ(O.Drive(), 'Z') << Letter;
        EXPECT_EQ(O.ItemCount(), Count) << Letter;
    }
    EXPECT_EQ(Changes, 0);
    EXPECT_EQ(O.Directory(), AnsiLowerCase(Root) + "\\a");
    EXPECT_EQ(NativeCwd(), Tmp / "a");
}

TEST_F(CdiroutlTest, BuildOneLevelTwiceShowsEverySubdirectoryTwice) {
    MakeDirs({"a", "b"});
    O.SetDirectory(Root);
    O.BuildOneLevel(Selected());
    O.BuildOneLevel(Selected());
    EXPECT_EQ(Children(Selected()), (std::vector<std::string>{"a", "a", "b", "b"}));
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
    EXPECT_EQ(Children(B), std::vector<std::string>{"b1"});
    EXPECT_EQ(O.Items(B)->Data(), TCDirectoryOutline::APointer);
    fs::create_directories(Tmp / "b/b2");
    O.Items(B)->SetExpanded(false);
    O.Items(B)->SetExpanded(true);
    EXPECT_EQ(Children(B), std::vector<std::string>{"b1"});

    // BuildSubTree lists every level below, listed before or not.
    MakeDirs({"b/b2/deep"});
    O.BuildSubTree(B);
    EXPECT_EQ(Children(B), (std::vector<std::string>{"b1", "b1", "b2"}));
    int B2 = O.Items(B)->GetLastChild();
    EXPECT_EQ(Children(B2), std::vector<std::string>{"deep"});
    EXPECT_EQ(O.Items(O.Items(B2)->GetFirstChild())->Data(), TCDirectoryOutline::APointer);
}

TEST_F(CdiroutlTest, AWalkIntoAMissingDirectoryStopsAtTheLastOneFound) {
    MakeDirs({"a"});
    O.SetDirectory(Root + "\\a");
    Changes = 0;
    O.SetDirectory(Root + "\\a\\nope\\deeper");
    EXPECT_EQ(O.Directory(), AnsiLowerCase(Root) + "\\a\\nope\\deeper");
    EXPECT_EQ(SelectedPath(), AnsiLowerCase(Root) + "\\a");
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(NativeCwd(), Tmp / "a") << "a failed change of directory leaves the process where it was";

    O.SetDirectory("z:\\no-such-top-level-dir-here");
    EXPECT_EQ(Selected(), 1);
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
    EXPECT_EQ(O.Directory(), AnsiLowerCase(Root) + "\\bee");
    EXPECT_EQ(NativeCwd(), Tmp / "Bee") << "the lower-case path finds the real directory";
    EXPECT_EQ(Changes, 1);

    uint16_t Key = VK_UP;
    O.KeyDown(Key, 0);
    EXPECT_EQ(Selected(), RootItem);
    EXPECT_EQ(NativeCwd(), Tmp.Path());
    EXPECT_EQ(Changes, 2);
}

TEST_F(CdiroutlTest, CurDirRetriesWithTheSizeThePlatformAsksFor) {
    std::string Long = Tmp.Path();
    for (int I = 0; I < 5; ++I) Long += "/" + std::string(60, static_cast<char>('a' + I));
    fs::create_directories(Long);
    ASSERT_TRUE(SetCurrentDir(Drives::FromNative(Long)));
    AnsiString Dir = TCDirectoryOutline::CurDir();
    EXPECT_GT(Dir.size(), 256u);
    EXPECT_EQ(Dir, GetCurrentDir());
    ASSERT_TRUE(SetCurrentDir(Root));
    EXPECT_EQ(TCDirectoryOutline::CurDir(), Root);
}

TEST_F(CdiroutlTest, WindowCreationTakesTheCurrentDirectoryAndLoadedBuildsTheTree) {
    MakeDirs({"a"});
    ASSERT_TRUE(SetCurrentDir(Root + "\\a"));
    O.HandleNeeded();
    EXPECT_EQ(O.Drive(), 'z');
    EXPECT_EQ(O.Directory(), AnsiLowerCase(Root) + "\\a");
    EXPECT_EQ(O.ItemCount(), 0) << "the window's creation builds no tree";

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

TEST_F(CdiroutlTest, PublishesItsPropertiesInOrderAndRegisters) {
    // What every control publishes comes first.
    const std::vector<std::string> Expected = {
        "Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint",
        "OnChange",       "TextCase",      "Align",       "Anchors",     "BorderStyle", "Color",
        "Constraints",    "Ctl3D",         "DragCursor",  "DragMode",    "Enabled",     "Font",
        "ItemHeight",     "OnClick",       "OnCollapse",  "OnDblClick",  "OnDragDrop",  "OnDragOver",
        "OnDrawItem",     "OnEndDock",     "OnEndDrag",   "OnEnter",     "OnExit",      "OnExpand",
        "OnKeyDown",      "OnKeyPress",    "OnKeyUp",     "OnMouseDown", "OnMouseMove", "OnMouseUp",
        "OnStartDock",    "OnStartDrag",   "Options",     "ParentColor", "ParentCtl3D", "ParentFont",
        "ParentShowHint", "PictureClosed", "PictureLeaf", "PictureOpen", "PopupMenu",   "ScrollBars",
        "Style",          "ShowHint",      "TabOrder",    "TabStop",     "Visible"};
    std::vector<std::string> Names;
    for (auto& P : TCDirectoryOutline::StaticClassInfo().Props) Names.push_back(P.Name);
    EXPECT_EQ(Names, Expected);

    Cdiroutl::Register();
    bool Found = false;
    for (auto& E : PaletteEntries())
        if (E.Class == &TCDirectoryOutline::StaticClassInfo()) Found = E.Page == LoadStr(101);
    EXPECT_TRUE(Found);
    TBitmap B;
    B.LoadFromResourceName("TCDIRECTORYOUTLINE");
    EXPECT_EQ(B.Width(), 24);
    EXPECT_EQ(B.Height(), 24);
    EXPECT_EQ(B.FileBitsPerPixel(), 4);
    const TClassInfo* C = FindClass("TCDirectoryOutline");
    ASSERT_NE(C, nullptr);
    std::unique_ptr<TComponent> Made(C->Create(nullptr));
    EXPECT_NE(dynamic_cast<TCDirectoryOutline*>(Made.get()), nullptr);
}

TEST_F(CdiroutlTest, PaintsTheWalkToTheDirectory) {
    // The private C: drive holds nothing else, so the picture shows just this tree.
    Drives::EnsureDriveC();
    for (const char* P : {"Alpha/One", "Alpha/Two/Leaf", "Beta", "Gamma/.hidden"})
        fs::create_directories(Drives::DriveRoot('C') + "/" + P);
    O.SetBounds(0, 0, 200, 180);
    O.SetDirectory("c:\\alpha\\two");
    O.Items(1)->FullExpand();
    O.Repaint();
    ASSERT_TRUE(O.Surface()->SavePng(ArtifactPath("outline.png")));

    const int H = O.ItemHeight();
    int Row = -1;
    for (int R = 0; R < O.PageRowCount(); ++R)
        if (O.GetItem(60, R * H + 2) == Selected()) Row = R;
    ASSERT_GE(Row, 0);
    EXPECT_EQ(O.Items(Selected())->Text(), "two");
    int Highlight = 0, Yellow = 0;
    for (int X = 0; X < O.Surface()->Width(); ++X) {
        Highlight += O.Surface()->Pixel(X, Row * H + 1) == ColorToRGB(clHighlight);
        for (int Y = Row * H; Y < (Row + 1) * H; ++Y) Yellow += O.Surface()->Pixel(X, Y) == clYellow;
    }
    EXPECT_GT(Highlight, 10);
    EXPECT_GT(Yellow, 10) << "a folder picture beside the text";
}

}  // namespace
