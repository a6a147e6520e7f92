#include "platform/ui/Outline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Lists children the first time an item opens, as a lazy tree does, and records what Expand saw.
class LazyOutline : public TCustomOutline {
  public:
    using TCustomOutline::TCustomOutline;
    std::vector<std::pair<int, bool>> ExpandCalls;  // index, expanded state seen inside Expand
    void Expand(int Index) override {
        TOutlineNode* N = Items(Index);
        ExpandCalls.push_back({Index, N->Expanded()});
        if (!N->Data()) {
            AddChild(Index, N->Text() + ".1");
            AddChild(Index, N->Text() + ".2");
            N->SetData(this);
        }
        TCustomOutline::Expand(Index);
    }
};

std::vector<std::string> Texts(const TCustomOutline& O) {
    std::vector<std::string> T;
    for (int I = 1; I <= O.ItemCount(); ++I) T.push_back(O.Items(I)->Text());
    return T;
}

class OutlineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        O.SetBounds(0, 0, 200, 100);
        O.OnClick = [this](TObject*) { ++Clicks; };
    }
    // Rows at ItemHeight 16 in a client area of 100 - 2 * frame pixels.
    int RowY(int Row) const { return Row * O.ItemHeight() + O.ItemHeight() / 2; }
    LazyOutline O{nullptr};
    int Clicks = 0;
};

TEST_F(OutlineTest, ItemsAreNumberedDepthFirstAndRenumberedOnInsertion) {
    EXPECT_EQ(O.AddChild(0, "a"), 1);
    EXPECT_EQ(O.Add(1, "c"), 2);
    EXPECT_EQ(O.Insert(2, "b"), 2);  // before c
    EXPECT_EQ(O.AddChild(1, "a2"), 2);
    EXPECT_EQ(O.Insert(2, "a1"), 2);
    EXPECT_EQ(O.Add(3, "a3"), 4);  // last sibling of a2
    EXPECT_EQ(Texts(O), (std::vector<std::string>{"a", "a1", "a2", "a3", "b", "c"}));
    EXPECT_EQ(O.Items(4)->FullPath(), "a\\a3");
    EXPECT_EQ(O.Items(0)->FullPath(), "");
    EXPECT_EQ(O.Items(4)->Level(), 2);

    TOutlineNode* A = O.Items(1);
    EXPECT_EQ(A->GetFirstChild(), 2);
    EXPECT_EQ(A->GetNextChild(2), 3);
    EXPECT_EQ(A->GetNextChild(4), -1);
    EXPECT_EQ(A->GetNextChild(5), -1);  // b is no child of a
    EXPECT_EQ(A->GetLastChild(), 4);
    EXPECT_EQ(O.Items(0)->GetNextChild(1), 5);
    EXPECT_EQ(O.Items(5)->GetFirstChild(), -1);
    EXPECT_FALSE(O.Items(5)->HasItems());
    EXPECT_EQ(O.Items(2)->Data(), nullptr);

    O.SetItemSeparator("/");
    EXPECT_EQ(O.Items(4)->FullPath(), "a/a3");
    EXPECT_THROW(O.Items(7), EOutlineError);
    EXPECT_THROW(O.Items(-1), EOutlineError);

    O.SetSelectedItem(6);
    O.Insert(1, "first");
    EXPECT_EQ(O.SelectedItem(), 7) << "the selection follows its item";
    O.Clear();
    EXPECT_EQ(O.ItemCount(), 0);
    EXPECT_EQ(O.SelectedItem(), 0);
}

TEST_F(OutlineTest, ExpandRunsBeforeTheItemOpensAndOnlyOnOpening) {
    std::vector<int> Expanded, Collapsed;
    O.OnExpand = [&](TObject*, int I) { Expanded.push_back(I); };
    O.OnCollapse = [&](TObject*, int I) { Collapsed.push_back(I); };
    O.AddChild(0, "x");
    O.AddChild(0, "y");
    O.Items(1)->SetExpanded(true);
    O.Items(1)->SetExpanded(true);
    ASSERT_EQ(O.ExpandCalls.size(), 1u);
    EXPECT_EQ(O.ExpandCalls[0], std::make_pair(1, false));
    EXPECT_EQ(Texts(O), (std::vector<std::string>{"x", "x.1", "x.2", "y"}));
    EXPECT_EQ(Expanded, std::vector<int>{1});
    EXPECT_EQ(O.VisibleRowCount(), 4);

    O.SetSelectedItem(3);
    O.Items(1)->SetExpanded(false);
    EXPECT_EQ(Collapsed, std::vector<int>{1});
    EXPECT_EQ(O.SelectedItem(), 1) << "a hidden selection moves to the closed item";
    EXPECT_EQ(O.VisibleRowCount(), 2);

    // Selecting a hidden item opens the items above it.
    O.Items(1)->SetExpanded(true);
    O.Items(1)->SetExpanded(false);
    O.SetSelectedItem(2);
    EXPECT_TRUE(O.Items(1)->Expanded());
    EXPECT_EQ(O.ExpandCalls.size(), 3u);
}

TEST_F(OutlineTest, MouseSelectsAndDoubleClickOrPlusBoxToggles) {
    O.AddChild(0, "x");
    O.AddChild(0, "y");
    O.Items(1)->SetExpanded(true);  // x, x.1, x.2, y
    O.Items(1)->SetExpanded(false);
    EXPECT_EQ(O.GetItem(60, RowY(1)), 4);
    EXPECT_EQ(O.GetItem(60, RowY(3)), -1);

    O.MouseDown(mbLeft, 0, 60, RowY(1));
    EXPECT_EQ(O.SelectedItem(), 4);
    O.MouseDown(mbLeft, 0, 60, RowY(0));
    O.DblClick();
    EXPECT_TRUE(O.Items(1)->Expanded());
    EXPECT_EQ(O.GetItem(60, RowY(3)), 4);
    O.MouseDown(mbLeft, ssDouble, 60, RowY(0));
    O.DblClick();
    EXPECT_FALSE(O.Items(1)->Expanded());

    // With root lines the plus box of a top-level item sits in the first indent column.
    O.MouseDown(mbLeft, 0, O.ItemHeight() / 2, RowY(0));
    EXPECT_TRUE(O.Items(1)->Expanded());
    O.SetOptions(0);
    O.MouseDown(mbLeft, 0, O.ItemHeight() / 2, RowY(0));
    EXPECT_TRUE(O.Items(1)->Expanded()) << "no root column, no box";
    EXPECT_EQ(Clicks, 0) << "the window reports clicks, not MouseDown";
}

TEST_F(OutlineTest, KeysMoveTheSelectionAndOpenAndClose) {
    O.AddChild(0, "x");
    O.AddChild(0, "y");
    struct Step {
        uint16_t Key;
        int Selected;
        int Clicks;
    };
    // Rows: x, (x.1, x.2 once x is open), y.
    const Step Steps[] = {
        {VK_DOWN, 1, 1},  {VK_DOWN, 2, 2}, {VK_DOWN, 2, 2}, {VK_UP, 1, 3},   {VK_RIGHT, 1, 3},
        {VK_RIGHT, 2, 4}, {VK_END, 4, 5},  {VK_HOME, 1, 6}, {VK_NEXT, 4, 7}, {VK_LEFT, 4, 7},
        {VK_PRIOR, 1, 8}, {VK_LEFT, 1, 8}, {VK_DOWN, 4, 9},
    };
    for (const Step& S : Steps) {
        uint16_t K = S.Key;
        O.KeyDown(K, 0);
        EXPECT_EQ(O.SelectedItem(), S.Selected) << "key " << S.Key;
        EXPECT_EQ(Clicks, S.Clicks) << "key " << S.Key;
    }
    EXPECT_FALSE(O.Items(1)->Expanded()) << "Left on an open item closes it";
    char Plus = '+', Minus = '-';
    O.SetSelectedItem(1);
    O.KeyPress(Plus);
    EXPECT_TRUE(O.Items(1)->Expanded());
    O.KeyPress(Minus);
    EXPECT_FALSE(O.Items(1)->Expanded());

    TMessage M{WM_GETDLGCODE, 0, 0, 0};
    O.Dispatch(M);
    EXPECT_TRUE(M.Result & DLGC_WANTARROWS);
}

TEST_F(OutlineTest, ScrollsToKeepTheSelectionInView) {
    for (int I = 0; I < 40; ++I) O.AddChild(0, "item " + IntToStr(I));
    int Page = O.PageRowCount();
    ASSERT_GT(Page, 2);
    ASSERT_LT(Page, 40);
    uint16_t End = VK_END;
    O.KeyDown(End, 0);
    EXPECT_EQ(O.TopRow(), 40 - Page);
    O.SetSelectedItem(1);
    EXPECT_EQ(O.TopRow(), 0);
    O.SetTopRow(1000);
    EXPECT_EQ(O.TopRow(), 40 - Page);
    EXPECT_EQ(O.GetItem(10, RowY(0)), 40 - Page + 1);

    // The scroll bar on the right: its lower arrow steps down, its upper arrow up.
    int X = O.ClientWidth() - 4;
    O.SetTopRow(0);
    O.MouseDown(mbLeft, 0, X, O.ClientHeight() - 3);
    EXPECT_EQ(O.TopRow(), 1);
    O.MouseDown(mbLeft, 0, X, 3);
    EXPECT_EQ(O.TopRow(), 0);
    O.MouseDown(mbLeft, 0, X, O.ClientHeight() - 20);  // the track below the thumb
    EXPECT_EQ(O.TopRow(), Page);
    EXPECT_EQ(O.SelectedItem(), 1) << "scrolling leaves the selection alone";

    O.SetScrollBars(ssNone);
    O.SetTopRow(0);
    O.MouseDown(mbLeft, 0, X, RowY(1));
    EXPECT_EQ(O.SelectedItem(), 2) << "without a scroll bar the row reaches the edge";
}

// Rows wider than the window scroll sideways under a bar at the bottom, where ScrollBars offers one.
TEST_F(OutlineTest, LongNamesScrollSideways) {
    O.SetStyle(osText);
    O.AddChild(0, "short");
    O.AddChild(0, AnsiString(60, 'W'));
    const int Wide = O.MaxLeftOffset();
    ASSERT_GT(Wide, 0);
    const int Bottom = O.ClientHeight() - 3;
    auto InkRight = [&](int Row) {  // past the last column where row Row's text shows
        O.Repaint();
        for (int X = O.ClientWidth() - 1; X >= 0; --X)
            for (int Y = Row * O.ItemHeight(); Y < (Row + 1) * O.ItemHeight(); ++Y)
                if (O.Surface()->Pixel(X, Y) != ColorToRGB(clWindow)) return X + 1;
        return 0;
    };
    const int Right = InkRight(0);
    O.MouseDown(mbLeft, 0, O.ClientWidth() - 3, Bottom);  // the right arrow
    EXPECT_EQ(O.LeftOffset(), O.ItemHeight());
    EXPECT_EQ(InkRight(0), Right - O.ItemHeight()) << "the rows move left";
    for (int Page = 0; Page < 4; ++Page) O.MouseDown(mbLeft, 0, O.ClientWidth() - 30, Bottom);  // the track
    EXPECT_EQ(O.LeftOffset(), Wide);
    O.MouseDown(mbLeft, 0, 3, Bottom);  // the left arrow
    EXPECT_EQ(O.LeftOffset(), Wide - O.ItemHeight());
    EXPECT_EQ(O.GetItem(10, Bottom), -1) << "the bar is no row";
    EXPECT_EQ(O.SelectedItem(), 0);

    for (auto [Bars, Sideways] : {std::pair{ssVertical, false}, {ssNone, false}, {ssHorizontal, true}}) {
        O.SetScrollBars(Bars);
        EXPECT_EQ(O.MaxLeftOffset() > 0, Sideways) << Bars;
    }
    O.Items(2)->SetText("short too");
    EXPECT_EQ(O.MaxLeftOffset(), 0);
    EXPECT_EQ(InkRight(0), Right) << "nothing left to scroll";
}

TEST_F(OutlineTest, PaintsLinesPicturesAndTheSelection) {
    O.SetBounds(0, 0, 160, 90);
    O.SetScrollBars(ssNone);
    O.AddChild(0, "folder");
    O.AddChild(0, "other");
    O.Items(1)->SetExpanded(true);  // folder, folder.1, folder.2, other
    O.SetSelectedItem(3);
    O.Repaint();
    TBitmap* S = O.Surface();
    ASSERT_NE(S, nullptr);
    ASSERT_EQ(S->Width(), O.ClientWidth());
    const int H = O.ItemHeight();

    // Row 0 (open, with children): the open folder picture after the root column.
    bool Yellow = false;
    for (int X = H; X < 2 * H; ++X)
        for (int Y = 0; Y < H; ++Y) Yellow |= S->Pixel(X, Y) == clYellow;
    EXPECT_TRUE(Yellow);
    // The root column's line runs down past the children of row 0 to the next top-level item.
    EXPECT_EQ(S->Pixel(H / 2, H + 2), ColorToRGB(clGray));
    EXPECT_EQ(S->Pixel(H / 2, 3 * H + 2), ColorToRGB(clGray));
    // The selected row (2) has its text on the highlight colour; other rows on the window colour.
    int Highlight = 0, Elsewhere = 0;
    for (int X = 0; X < S->Width(); ++X) {
        Highlight += S->Pixel(X, 2 * H + 1) == ColorToRGB(clHighlight);
        Elsewhere += S->Pixel(X, 1 * H + 1) == ColorToRGB(clHighlight);
    }
    EXPECT_GT(Highlight, 10);
    EXPECT_EQ(Elsewhere, 0);

    // Plain text draws no lines and no pictures.
    O.SetStyle(osText);
    O.Repaint();
    EXPECT_EQ(S->Pixel(H / 2, H + 2), ColorToRGB(clWindow));

    std::vector<std::pair<int, TRect>> Drawn;
    O.OnDrawItem = [&](TWinControl* C, int Index, const TRect& R, TOutlineItemState State) {
        EXPECT_EQ(C, &O);
        EXPECT_EQ(State != 0, Index == 3);
        Drawn.push_back({Index, R});
    };
    O.SetStyle(osOwnerDraw);
    O.Repaint();
    ASSERT_EQ(Drawn.size(), 4u);
    EXPECT_EQ(Drawn[3].first, 4);
    EXPECT_EQ(Drawn[3].second, Rect(0, 3 * H, O.ClientWidth(), 4 * H));
}

}  // namespace
