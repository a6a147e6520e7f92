#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <tuple>
#include <utility>
#include <vector>

#include "controls/Perfgrap.h"
#include "platform/rtl/Resources.h"
#include "tests/support/Support.h"

namespace {

class Graph : public TPerformanceGraph {
  public:
    using TPerformanceGraph::Replay;
    using TPerformanceGraph::TPerformanceGraph;
    int Paints = 0;

  protected:
    void Paint() override {
        ++Paints;
        TPerformanceGraph::Paint();
    }
};

// Bands walked oldest first, each given by the value of its first point (-1 when empty).
std::vector<int> Walk(const TPerformanceGraph& G) {
    std::vector<int> Out;
    for (int I = G.FirstY(); I != -1; I = G.NextY(I)) {
        const BandRecord& B = G.History(I);
        Out.push_back(B.Count ? B.Values[0] : -1);
    }
    return Out;
}

// Commits samples First, First + 1, ... Last, one red point each.
void Feed(TPerformanceGraph& G, int First, int Last) {
    for (int V = First; V <= Last; ++V) {
        G.DataPoint(clRed, V);
        G.Update();
    }
}

// What Walk gives for bands From..To followed by Empty empty ones.
std::vector<int> Kept(int From, int To, int Empty = 1) {
    std::vector<int> R;
    for (int V = From; V <= To; ++V) R.push_back(V);
    R.resize(R.size() + Empty, -1);
    return R;
}

// The rows of column X painted in Color.
std::vector<int> RowsIn(const TBitmap* B, int X, TColor Color) {
    std::vector<int> Rows;
    for (int Y = 0; Y < B->Height(); ++Y)
        if (B->Pixel(X, Y) == Color) Rows.push_back(Y);
    return Rows;
}

}  // namespace

TEST(PerfgrapRing, ShiftsAndReallocation) {
    Graph G(nullptr);
    // 33 bands of 3 pixels, the one scrolling out and the one being collected.
    ASSERT_EQ(G.HistoryCount(), 35);
    EXPECT_EQ(Walk(G), std::vector<int>(35, -1));

    // Sample n carries the value 100 + n; after 50 samples the ring keeps the newest 34.
    Feed(G, 101, 150);
    EXPECT_EQ(G.FirstBand(), (G.CurrentBand() + 1) % 35);
    EXPECT_EQ(Walk(G), Kept(117, 150));

    // Narrowing to 52 pixels keeps the newest 19 bands, the current one last.
    G.SetWidth(52);
    G.Refresh();
    ASSERT_EQ(G.HistoryCount(), 19);
    EXPECT_EQ(G.FirstBand(), 0);
    EXPECT_EQ(Walk(G), Kept(133, 150));

    // Widening keeps every band and adds empty slots after the current one, which stays in slot 18;
    // the empty slots are the oldest bands, so the walk still ends with the current one.
    G.SetWidth(100);
    G.Refresh();
    ASSERT_EQ(G.HistoryCount(), 35);
    EXPECT_EQ(G.FirstBand(), 19);
    std::vector<int> Grown(16, -1);
    for (int V : Kept(133, 150)) Grown.push_back(V);
    EXPECT_EQ(Walk(G), Grown);
    Feed(G, 151, 151);
    EXPECT_EQ(G.CurrentBand(), 19);
    EXPECT_EQ(G.History(18).Values[0], 151);

    // A new height replays without touching the ring.
    const int First = G.FirstBand(), Paints = G.Paints;
    G.SetHeight(60);
    G.Refresh();
    EXPECT_EQ(G.HistoryCount(), 35);
    EXPECT_EQ(G.FirstBand(), First);
    EXPECT_EQ(G.Image()->Height(), 60);
    EXPECT_GT(G.Paints, Paints);
}

// A replay between a resize and the next paint (here the scale change of an Update) resizes the
// image; the ring follows the new width then, and the newest band still ends at the right edge.
TEST(PerfgrapRing, FollowsAWidthThatAReplayReachesFirst) {
    Graph G(nullptr);
    G.SetGridlines(false);
    G.SetGraphKind(pgBar);
    G.SetBounds(0, 0, 300, 100);
    G.DataPoint(clRed, 1234);
    G.Update();
    EXPECT_EQ(G.Scale(), 1300);
    EXPECT_EQ(G.HistoryCount(), 102);
    // The widened ring keeps its 35 bands in slots 0 to 34, the empty ones after them as the oldest.
    EXPECT_EQ(G.CurrentBand(), 34);
    EXPECT_EQ(G.FirstBand(), 35);
    for (int X = 0; X < 300; ++X)
        EXPECT_EQ(RowsIn(G.Image(), X, clRed).size(), X >= 297 ? 95u : 0u) << X;  // 1234 of 1300 on 100 rows
}

// Widened while points are collected: the point not yet committed is not drawn, and once it is it
// shows once, in the newest band at the right edge.
TEST(PerfgrapRing, APointNotCommittedStaysOutOfSight) {
    Graph G(nullptr);
    G.SetGridlines(false);
    G.SetGraphKind(pgBar);
    Feed(G, 1000, 1000);
    G.DataPoint(clBlue, 500);
    G.SetWidth(200);
    G.Refresh();
    for (int X = 0; X < 200; ++X) ASSERT_TRUE(RowsIn(G.Image(), X, clBlue).empty()) << X;
    EXPECT_EQ(RowsIn(G.Image(), 199, clRed).size(), 100u);
    G.Update();
    for (int X = 0; X < 200; ++X) EXPECT_EQ(RowsIn(G.Image(), X, clBlue).size(), X >= 197 ? 51u : 0u) << X;
}

TEST(PerfgrapRing, SeventeenthPointIsRefused) {
    Graph G(nullptr);
    for (int I = 0; I < 16; ++I) G.DataPoint(clRed, I);
    try {
        G.DataPoint(clBlue, 99);
        FAIL() << "a seventeenth point was taken";
    } catch (const ERangeError& E) {
        EXPECT_EQ(E.Message(), LoadStr(102));
    }
    EXPECT_EQ(G.History(G.CurrentBand()).Count, 16);
    G.Update();
    G.DataPoint(clBlue, 99);  // a new band takes points again
}

TEST(PerfgrapScale, RoundUp) {
    const struct {
        int32_t Value, Step, Expected;
    } Rows[] = {
        {1234, 100, 1300},           {1200, 100, 1200},          {77, 0, 77}, {0, 100, 0}, {-150, 100, 0},
        {INT32_MAX, 100, INT32_MAX}, {INT32_MIN, -1, INT32_MIN},
    };
    for (const auto& R : Rows)
        EXPECT_EQ(TPerformanceGraph::RoundUp(R.Value, R.Step), R.Expected) << R.Value << " by " << R.Step;
}

TEST(PerfgrapScale, FollowsTheKeptMaximum) {
    Graph G(nullptr);
    int Changes = 0;
    G.OnScaleChange = [&](TObject* Sender) { Changes += Sender == &G; };
    G.DataPoint(clRed, 500);
    G.Update();
    EXPECT_EQ(G.Scale(), 500);
    G.DataPoint(clRed, 1234);
    G.Update();
    EXPECT_EQ(G.Scale(), 1300);
    EXPECT_EQ(Changes, 2);

    // The 1234 stays in the ring for 33 further samples; at the 34th it has scrolled out.
    for (int I = 0; I < 33; ++I) Feed(G, 250, 250);
    EXPECT_EQ(G.Scale(), 1300);
    Feed(G, 250, 250);
    EXPECT_EQ(G.Scale(), 300);
    EXPECT_EQ(Changes, 3);

    // Rounded again and announced; the present scale changes nothing.
    G.SetScale(950);
    EXPECT_EQ(G.Scale(), 1000);
    G.SetScale(1000);
    EXPECT_EQ(Changes, 4);

    // Nothing positive left: the scale becomes 0 and negative points draw nothing.
    for (TGraphKind Kind : {pgLine, pgBar}) {
        Graph Z(nullptr);
        Z.SetGraphKind(Kind);
        Z.DataPoint(clRed, -40);
        Z.Update();
        EXPECT_EQ(Z.Scale(), 0);
        for (int X = 0; X < 100; ++X) ASSERT_TRUE(RowsIn(Z.Image(), X, clRed).empty()) << Kind << " at " << X;
    }
}

TEST(PerfgrapScale, SettersClampAndReplayOnlyOnChange) {
    Graph G(nullptr);
    int Paints = G.Paints;
    auto Replayed = [&] { return std::exchange(Paints, G.Paints) < G.Paints; };
    // The present values change nothing and draw nothing.
    G.SetGridSize(15);
    G.SetStepSize(3);
    G.SetScale(1000);
    EXPECT_FALSE(Replayed());

    G.SetGridSize(0);
    EXPECT_TRUE(Replayed());
    EXPECT_EQ(G.GridSize(), 2);
    G.SetGridSize(1);  // compared before clamping: stored as 2 again, and replayed
    EXPECT_TRUE(Replayed());
    EXPECT_EQ(G.GridSize(), 2);
    G.SetStepSize(-5);
    EXPECT_TRUE(Replayed());
    EXPECT_EQ(G.StepSize(), 1);
    EXPECT_EQ(G.HistoryCount(), 102);
    G.SetGradient(7);  // the present scale is not rounded again
    EXPECT_TRUE(Replayed());
    EXPECT_EQ(G.Scale(), 1000);
    G.SetPenWidth(0);
    EXPECT_TRUE(Replayed());
    G.SetGridlines(false);
    G.SetBackColor(clNavy);
    EXPECT_EQ(G.Image()->Pixel(50, 50), clNavy);
}

TEST(PerfgrapPaint, GridOfANewGraphAndItsPhase) {
    Graph G(nullptr);
    const TBitmap* I = G.Image();
    const std::vector<int> Lines = {15, 30, 45, 60, 75, 90};
    EXPECT_EQ(RowsIn(I, 0, clGreen), Lines);
    for (int X = 0; X < 100; ++X)
        EXPECT_EQ(I->Pixel(X, 0) == clGreen, X % 15 == 14 && X < 90) << "column " << X;
    EXPECT_EQ(G.GridOffset(), 4);

    // Each update scrolls by 3 pixels; a new column enters when the offset runs out.
    G.Update();
    EXPECT_EQ(G.GridOffset(), 1);
    EXPECT_EQ(I->Pixel(11, 0), clGreen);
    EXPECT_EQ(I->Pixel(98, 0), clBlack);
    EXPECT_EQ(RowsIn(I, 99, clGreen), Lines);
    G.Update();
    EXPECT_EQ(G.GridOffset(), 13);
    for (int X : {8, 83, 98}) EXPECT_EQ(RowsIn(I, X, clGreen).size(), 100u) << X;
    EXPECT_EQ(I->Pixel(97, 0), clBlack);
    EXPECT_EQ(I->Pixel(99, 0), clBlack);
}

TEST(PerfgrapPaint, BarsAndLinesOfTheExamples) {
    Graph G(nullptr);
    G.SetGridlines(false);
    G.SetGraphKind(pgBar);
    G.SetScale(1000);
    auto Band = [&](std::initializer_list<std::pair<TColor, int>> Points) {
        for (auto [C, V] : Points) G.DataPoint(C, V);
        G.Update();
    };
    auto Expect = [&](TColor C, int From, int To) {  // rows From..To of the newest strip
        for (int X = 97; X < 100; ++X)
            for (int Y = From; Y <= To; ++Y) ASSERT_EQ(G.Image()->Pixel(X, Y), C) << X << "," << Y;
    };
    Band({{clWhite, 1000}});  // holds the scale at 1000 while it stays in the ring
    Band({{clRed, 500}});
    Expect(clRed, 49, 99);
    Expect(clBlack, 0, 48);
    Band({{clRed, 250}, {clBlue, 750}});
    Expect(clRed, 75, 99);
    Expect(clBlue, 24, 74);
    // A zero point neither draws nor moves the base.
    Band({{clRed, 250}, {clYellow, 0}, {clBlue, 750}});
    Expect(clRed, 75, 99);
    Expect(clBlue, 24, 74);
    EXPECT_TRUE(RowsIn(G.Image(), 98, clYellow).empty());
    // 600 of 1000 on 100 rows is 60 rows as a bar.
    Band({{clRed, 600}});
    Expect(clRed, 39, 99);

    G.SetGraphKind(pgLine);
    G.SetPenWidth(1);
    Band({{clRed, 250}, {clLime, 600}});
    Band({{clRed, 750}, {clLime, 600}, {clBlue, 500}});
    const TBitmap* I = G.Image();
    // From (97, 75) towards (100, 25): the last sixth of the steep segment lies at x = 100, outside.
    EXPECT_EQ(RowsIn(I, 97, clRed).back(), 75);
    const int Top = RowsIn(I, 99, clRed).front();
    EXPECT_TRUE(Top >= 32 && Top <= 36) << Top;
    // 600 as a line is 59 rows up: row 41, one lower than the bar's top.
    for (int X = 97; X < 100; ++X) EXPECT_EQ(RowsIn(I, X, clLime), std::vector<int>{41}) << X;
    // Blue was not in the preceding band, so its segment rises from the bottom edge.
    EXPECT_EQ(I->Pixel(97, 99), clBlue);
    for (int X = 97; X < 100; ++X)
        for (int Y : RowsIn(I, X, clBlue)) EXPECT_GT(Y, 50) << X;
}

// A segment steeper than its band plots pixels at the band's right edge; drawn as the newest band
// they fall outside the image, in a replay onto the next band. Lines are therefore compared with
// series that move at most one pixel per pixel of band width.
TEST(PerfgrapPaint, ReplayRedrawsWhatTheUpdatesDrew) {
    const struct {
        TGraphKind Kind;
        int Pen, Step;
    } Rows[] = {{pgBar, 2, 7}, {pgLine, 1, 4}, {pgLine, 2, 4}};
    for (auto [Kind, Pen, Step] : Rows) {
        Graph G(nullptr);
        G.SetBounds(0, 0, 300, 100);
        G.SetGraphKind(Kind);
        G.SetPenWidth(Pen);
        G.SetStepSize(Step);
        for (int N = 0; N < 120; ++N) {
            G.DataPoint(clRed, 200 + 30 * std::abs(N % 8 - 4));
            G.DataPoint(clAqua, 600 + 40 * std::abs(N % 6 - 3));
            G.DataPoint(clYellow, 950);
            G.Update();
        }
        ASSERT_EQ(G.Scale(), 1000);
        TBitmap Before;
        Before.Assign(*G.Image());
        G.Replay();
        // Replay ends the newest band at the right edge. Columns left over at the left edge would
        // hold what scrolled in from the band that left the ring, which replay leaves blank.
        for (int Y = 0; Y < 100; ++Y)
            for (int X = 300 % Step; X < 300; ++X)
                ASSERT_EQ(G.Image()->Pixel(X, Y), Before.Pixel(X, Y))
                    << Kind << Pen << " at " << X << "," << Y;
        EXPECT_EQ(G.Surface()->Pixel(50, 50), G.Image()->Pixel(50, 50)) << "the surface shows the image";
    }
}

// Offsets far outside the image are clamped; the sums of the stacked values wrap in 32 bits.
TEST(PerfgrapPaint, NarrowControlsAndFarValues) {
    Graph G(nullptr);
    G.SetWidth(2);
    G.Refresh();
    EXPECT_EQ(G.HistoryCount(), 2);
    Feed(G, 1, 5);
    G.SetWidth(100);
    G.Refresh();
    G.SetGraphKind(pgBar);
    G.DataPoint(clRed, INT32_MAX);
    G.DataPoint(clBlue, INT32_MIN);
    G.Update();
    EXPECT_EQ(G.Scale(), INT32_MAX);
    G.SetScale(1);  // far beyond the scale: the bar covers the strip, the line leaves the image
    EXPECT_EQ(G.Image()->Pixel(98, 0), clRed);
    for (int X = 0; X < 100; ++X)
        EXPECT_TRUE(RowsIn(G.Image(), X, clBlue).empty()) << "a sum past 32 bits at " << X;
    G.SetGraphKind(pgLine);  // the lowest value runs down from the bottom edge, out of the image
    for (int X = 0; X < 100; ++X)
        for (int Y : RowsIn(G.Image(), X, clBlue)) EXPECT_EQ(Y, 99) << X;
}

// Steps wider than the grid, and sizes up to the 32-bit limit: after any number of updates the
// vertical lines stand exactly one grid apart across the whole image.
TEST(PerfgrapPaint, WideStepsKeepTheGridInPlace) {
    const struct {
        int32_t Step, Grid;
    } Rows[] = {{50, 15}, {7, 2}, {3, 15}, {99, 40}, {INT32_MAX, 15}, {3, INT32_MAX}, {INT32_MAX, INT32_MAX}};
    for (const auto& R : Rows) {
        SCOPED_TRACE(testing::Message() << "step " << R.Step << ", grid " << R.Grid);
        Graph G(nullptr);
        G.SetStepSize(R.Step);
        G.SetGridSize(R.Grid);
        for (int N = 0; N < 20; ++N) G.Update();
        EXPECT_TRUE(G.GridOffset() >= 0 && G.GridOffset() < R.Grid) << G.GridOffset();
        std::vector<int> Lines;
        for (int X = 0; X < 100; ++X)
            if (RowsIn(G.Image(), X, clGreen).size() == 100u) Lines.push_back(X);
        ASSERT_FALSE(Lines.empty() && R.Grid <= 100);
        if (R.Grid <= 100) {
            EXPECT_TRUE(Lines.front() < R.Grid && Lines.back() >= 100 - R.Grid)
                << testing::PrintToString(Lines);
        }
        for (size_t I = 1; I < Lines.size(); ++I) EXPECT_EQ(Lines[I] - Lines[I - 1], R.Grid);
    }
}

