#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

#include "controls/Perfgrap.h"
#include "platform/classes/FormIO.h"
#include "platform/classes/Registry.h"
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

// Commits samples First, First + 1, ... Last, one point each.
void Feed(TPerformanceGraph& G, int First, int Last, TColor Color = clRed) {
    for (int V = First; V <= Last; ++V) {
        G.DataPoint(Color, V);
        G.Update();
    }
}

std::vector<int> Range(int From, int To) {
    std::vector<int> R;
    for (int V = From; V <= To; ++V) R.push_back(V);
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

TEST(PerfgrapRing, ConstructionShiftsAndReallocation) {
    Graph G(nullptr);
    EXPECT_EQ(G.Width(), 100);
    EXPECT_EQ(G.Height(), 100);
    EXPECT_TRUE(G.ControlStyle() & csFramed);
    EXPECT_TRUE(G.ControlStyle() & csOpaque);
    EXPECT_EQ(G.GetBandCount(), 33);
    ASSERT_EQ(G.HistoryCount(), 35);
    EXPECT_EQ(G.FirstBand(), 1);
    EXPECT_EQ(G.CurrentBand(), 0);
    EXPECT_EQ(Walk(G), std::vector<int>(35, -1));
    EXPECT_EQ(G.LastY(0), 34);
    EXPECT_EQ(G.NextY(0), -1);

    // Sample n carries the value 100 + n; after 50 samples the ring keeps 16..49 and the current band.
    Feed(G, 101, 150);
    EXPECT_EQ(G.FirstBand(), (G.CurrentBand() + 1) % 35);
    std::vector<int> Kept = Range(117, 150);
    Kept.push_back(-1);
    EXPECT_EQ(Walk(G), Kept);

    // Narrowing to 52 pixels keeps the newest 19 bands, the current one last.
    G.SetWidth(52);
    G.Refresh();
    ASSERT_EQ(G.HistoryCount(), 19);
    EXPECT_EQ(G.FirstBand(), 0);
    EXPECT_EQ(G.CurrentBand(), 18);
    Kept = Range(133, 150);
    Kept.push_back(-1);
    EXPECT_EQ(Walk(G), Kept);

    // Widening keeps every band and adds empty slots after the current one.
    G.SetWidth(100);
    G.Refresh();
    ASSERT_EQ(G.HistoryCount(), 35);
    EXPECT_EQ(G.CurrentBand(), 18);
    Kept.resize(35, -1);
    EXPECT_EQ(Walk(G), Kept);
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
// image; the ring follows the new width then rather than staying at the old one for good.
TEST(PerfgrapRing, FollowsAWidthThatAReplayReachesFirst) {
    Graph G(nullptr);
    G.SetGridlines(false);
    G.SetGraphKind(pgBar);
    G.SetBounds(0, 0, 300, 100);
    G.DataPoint(clRed, 1234);
    G.Update();
    EXPECT_EQ(G.Scale(), 1300);
    EXPECT_EQ(G.HistoryCount(), 102);
    // The widened ring keeps its 35 bands in slots 0 to 34, the empty ones after them.
    EXPECT_EQ(G.CurrentBand(), 34);
    EXPECT_EQ(RowsIn(G.Image(), 97, clRed).size(), 95u);  // 1234 of 1300 on 100 rows
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
    EXPECT_EQ(G.History(G.CurrentBand()).Values[15], 15);
    G.Update();
    G.DataPoint(clBlue, 99);  // a new band takes points again
}

TEST(PerfgrapScale, RoundUp) {
    struct Row {
        int32_t Value, Step, Expected;
    } Rows[] = {{1234, 100, 1300},
                {1200, 100, 1200},
                {77, 0, 77},
                {0, 100, 0},
                {-150, 100, 0},
                {1, 100, 100},
                {INT32_MAX, 100, INT32_MAX},
                {INT32_MIN, -1, INT32_MIN}};
    for (const Row& R : Rows)
        EXPECT_EQ(TPerformanceGraph::RoundUp(R.Value, R.Step), R.Expected) << R.Value << " by " << R.Step;
}

TEST(PerfgrapScale, FollowsTheKeptMaximum) {
    Graph G(nullptr);
    int Changes = 0;
    G.OnScaleChange = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &G);
        ++Changes;
    };
    G.DataPoint(clRed, 500);
    G.Update();
    EXPECT_EQ(G.Scale(), 500);
    EXPECT_EQ(Changes, 1);

    G.DataPoint(clRed, 1234);
    G.Update();
    EXPECT_EQ(G.Scale(), 1300);
    EXPECT_EQ(Changes, 2);

    // The 1234 stays in the ring for 33 further samples; at the 34th it has scrolled out.
    for (int I = 0; I < 33; ++I) Feed(G, 250, 250);
    EXPECT_EQ(G.Scale(), 1300);
    EXPECT_EQ(Changes, 2);
    Feed(G, 250, 250);
    EXPECT_EQ(G.Scale(), 300);
    EXPECT_EQ(Changes, 3);

    // Rounded again, still announced.
    G.SetScale(950);
    EXPECT_EQ(G.Scale(), 1000);
    G.SetScale(1001);
    EXPECT_EQ(G.Scale(), 1100);
    EXPECT_EQ(Changes, 5);
    G.SetScale(1100);
    EXPECT_EQ(Changes, 5);

    // Nothing positive left: the scale becomes 0 and negative points draw nothing.
    Graph Z(nullptr);
    Z.DataPoint(clRed, -40);
    Z.Update();
    EXPECT_EQ(Z.Scale(), 0);
    Graph Blank(nullptr);
    for (int Y = 0; Y < 100; ++Y)
        for (int X = 0; X < 97; ++X) ASSERT_EQ(Z.Image()->Pixel(X, Y), Blank.Image()->Pixel(X + 3, Y));
}

TEST(PerfgrapScale, SettersClampAndDrawOnlyOnChange) {
    Graph G(nullptr);
    int Paints = G.Paints;
    auto Replayed = [&] {
        bool R = G.Paints > Paints;
        Paints = G.Paints;
        return R;
    };
    // The present value changes nothing and draws nothing.
    G.SetGraphKind(pgLine);
    G.SetForeColor(clGreen);
    G.SetBackColor(clBlack);
    G.SetGridSize(15);
    G.SetStepSize(3);
    G.SetScale(1000);
    G.SetGradient(100);
    G.SetGridlines(true);
    G.SetPenWidth(2);
    EXPECT_FALSE(Replayed());

    G.SetGridSize(0);
    EXPECT_EQ(G.GridSize(), 2);
    EXPECT_TRUE(Replayed());
    G.SetGridSize(1);  // compared before clamping: stored as 2 again, and replayed
    EXPECT_EQ(G.GridSize(), 2);
    EXPECT_TRUE(Replayed());
    G.SetStepSize(-5);
    EXPECT_EQ(G.StepSize(), 1);
    EXPECT_EQ(G.HistoryCount(), 102);
    EXPECT_TRUE(Replayed());
    G.SetGradient(7);
    EXPECT_EQ(G.Scale(), 1000);
    EXPECT_TRUE(Replayed());
    G.SetPenWidth(0);
    EXPECT_EQ(G.PenWidth(), 0);
    EXPECT_TRUE(Replayed());
    G.SetGraphKind(pgBar);
    G.SetGridlines(false);
    G.SetBackColor(clNavy);
    EXPECT_EQ(G.Image()->Pixel(50, 50), clNavy);
}

TEST(PerfgrapPaint, GridOfANewGraphAndItsPhase) {
    Graph G(nullptr);
    const TBitmap* I = G.Image();
    const std::vector<int> Lines = {15, 30, 45, 60, 75, 90};
    EXPECT_EQ(RowsIn(I, 0, clGreen), Lines);
    std::vector<int> Cols;
    for (int X = 0; X < 100; ++X)
        if (I->Pixel(X, 0) == clGreen) Cols.push_back(X);
    EXPECT_EQ(Cols, (std::vector<int>{14, 29, 44, 59, 74, 89}));
    EXPECT_EQ(G.GridOffset(), 4);
    EXPECT_EQ(I->Pixel(13, 14), clBlack);

    G.Update();
    EXPECT_EQ(G.GridOffset(), 1);
    EXPECT_EQ(I->Pixel(98, 0), clBlack);
    EXPECT_EQ(I->Pixel(11, 0), clGreen);
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
    Band({{clWhite, 1000}});                         // holds the scale at 1000 while it stays in the ring
    auto Expect = [&](TColor C, int From, int To) {  // rows From..To of the newest strip
        for (int X = 97; X < 100; ++X)
            for (int Y = From; Y <= To; ++Y) ASSERT_EQ(G.Image()->Pixel(X, Y), C) << X << "," << Y;
    };
    Band({{clRed, 500}});
    Expect(clRed, 49, 99);
    Expect(clBlack, 0, 48);
    Band({{clRed, 250}, {clBlue, 750}});
    Expect(clRed, 75, 99);
    Expect(clBlue, 24, 74);
    // A zero point neither draws nor moves the base.
    Band({{clRed, 250}, {clYellow, 0}, {clBlue, 750}});
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
    EXPECT_EQ(I->Pixel(97, 75), clRed);
    std::vector<int> Red;
    for (int X = 97; X < 100; ++X)
        for (int Y : RowsIn(I, X, clRed)) Red.push_back(Y);
    // From (97, 75) towards (100, 25): the last sixth of the steep segment lies at x = 100, outside.
    EXPECT_EQ(*std::max_element(Red.begin(), Red.end()), 75);
    EXPECT_GE(*std::min_element(Red.begin(), Red.end()), 32);
    EXPECT_LE(*std::min_element(Red.begin(), Red.end()), 36);
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
        int Pen;
    } Rows[] = {{pgBar, 2}, {pgLine, 1}, {pgLine, 2}};
    for (auto [Kind, Pen] : Rows) {
        Graph G(nullptr);
        G.SetGraphKind(Kind);
        G.SetPenWidth(Pen);
        G.SetStepSize(4);
        for (int N = 0; N < 60; ++N) {
            if (Kind == pgBar) {
                G.DataPoint(clRed, 100 + N * 37 % 300);
                if (N % 3) G.DataPoint(clAqua, 400 + N * 53 % 400);
            } else {
                G.DataPoint(clRed, 200 + 30 * std::abs(N % 8 - 4));
                G.DataPoint(clAqua, 600 + 40 * std::abs(N % 6 - 3));
            }
            G.DataPoint(clYellow, 950);
            G.Update();
        }
        ASSERT_EQ(G.Scale(), 1000);
        TBitmap Before;
        Before.Assign(*G.Image());
        G.Replay();
        // Pixels left over at the left edge would hold what scrolled in from the band that left the
        // ring, which replay leaves blank; with 4-pixel bands on 100 pixels there are none.
        for (int Y = 0; Y < 100; ++Y)
            for (int X = 100 - G.GetBandCount() * 4; X < 100; ++X)
                ASSERT_EQ(G.Image()->Pixel(X, Y), Before.Pixel(X, Y))
                    << Kind << Pen << " at " << X << "," << Y;
        // The surface shows the image.
        EXPECT_EQ(G.Surface()->Pixel(50, 50), G.Image()->Pixel(50, 50));
    }
}

TEST(PerfgrapPaint, ReplayPlacesTheBands) {
    Graph G(nullptr);
    G.SetGridlines(false);
    G.SetGraphKind(pgBar);
    const TColor Colors[] = {clRed, clBlue, clLime};
    for (int N = 0; N < 40; ++N) {
        G.DataPoint(Colors[N % 3], 1000);
        G.Update();
    }
    G.Replay();
    const TBitmap* I = G.Image();
    const BandRecord& Oldest = G.History(G.NextY(G.FirstY()));
    const BandRecord& Newest = G.History(G.LastY(G.CurrentBand()));
    EXPECT_EQ(I->Pixel(0, 50), clBlack);
    for (int X = 1; X < 4; ++X) EXPECT_EQ(I->Pixel(X, 50), Oldest.Colors[0]) << X;
    for (int X = 97; X < 100; ++X) EXPECT_EQ(I->Pixel(X, 50), Newest.Colors[0]) << X;
    EXPECT_NE(I->Pixel(96, 50), Newest.Colors[0]);
}

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
    G.SetGraphKind(pgLine);
}

TEST(PerfgrapForm, PropertiesRoundTripInOrder) {
    Perfgrap::Register();
    // After the properties every control publishes (bounds and the like), in this order.
    const std::vector<AnsiString> Own = {
        "Align",     "Anchors",        "Constraints",   "Enabled",  "Kind",   "ForeColor",
        "BackColor", "ParentShowHint", "GridSize",      "StepSize", "Scale",  "Gradient",
        "Gridlines", "PenWidth",       "OnScaleChange", "ShowHint", "Visible"};
    std::vector<AnsiString> Names;
    for (auto& P : TPerformanceGraph::StaticClassInfo().Props) Names.push_back(P.Name);
    ASSERT_GE(Names.size(), Own.size());
    EXPECT_EQ(std::vector<AnsiString>(Names.end() - Own.size(), Names.end()), Own);
    const char* Text =
        "object Form1: TWinControl\n"
        "  object Graph1: TPerformanceGraph\n"
        "    Width = 300\n"
        "    Kind = pgBar\n"
        "    BackColor = clNavy\n"
        "    GridSize = 20\n"
        "    StepSize = 2\n"
        "    Scale = 500\n"
        "    Gridlines = False\n"
        "  end\n"
        "end\n";
    TWinControl Root(nullptr);
    Root.SetName("Form1");
    ReadComponentRes(&Root, Text);
    auto* G = dynamic_cast<TPerformanceGraph*>(Root.FindComponent("Graph1"));
    ASSERT_NE(G, nullptr);
    EXPECT_EQ(G->Kind(), pgBar);
    EXPECT_EQ(G->BackColor(), clNavy);
    EXPECT_EQ(G->GridSize(), 20);
    EXPECT_EQ(G->StepSize(), 2);
    EXPECT_EQ(G->Scale(), 500);
    EXPECT_FALSE(G->Gridlines());
    EXPECT_EQ(G->HistoryCount(), 152);
    EXPECT_EQ(G->Image()->Width(), 300);
    // Stored values only, in declaration order.
    const AnsiString Written = WriteComponentRes(&Root);
    size_t At = 0;
    for (const char* Line : {"Width = 300", "Kind = pgBar", "BackColor = clNavy", "GridSize = 20",
                             "StepSize = 2", "Scale = 500", "Gridlines = False"}) {
        const size_t Found = Written.find(Line, At);
        ASSERT_NE(Found, AnsiString::npos) << Line << " in\n" << Written;
        At = Found;
    }
    for (const char* Default : {"ForeColor", "Gradient", "PenWidth"})
        EXPECT_EQ(Written.find(Default), AnsiString::npos) << Written;
}

TEST(PerfgrapRegister, PutsTheGraphOnThePaletteWithItsBitmap) {
    Perfgrap::Register();
    bool Found = false;
    for (auto& E : PaletteEntries())
        if (E.Class == &TPerformanceGraph::StaticClassInfo()) Found = E.Page == LoadStr(101);
    EXPECT_TRUE(Found);
    EXPECT_EQ(FindClass("TPerformanceGraph"), &TPerformanceGraph::StaticClassInfo());
    TBitmap Icon;
    Icon.LoadFromResourceName("TPERFORMANCEGRAPH");
    EXPECT_EQ(Icon.Width(), 24);
    EXPECT_EQ(Icon.Height(), 24);
    EXPECT_EQ(Icon.FileBitsPerPixel(), 4);
}

TEST(PerfgrapSheet, SavesABarAndALineGraph) {
    TBitmap Sheet;
    Sheet.SetSize(2 * 310 + 10, 170);
    Sheet.Canvas()->Brush()->SetColor(clBtnFace);
    Sheet.Canvas()->FillRect({0, 0, Sheet.Width(), Sheet.Height()});
    for (TGraphKind Kind : {pgBar, pgLine}) {
        Graph G(nullptr);
        G.SetBounds(0, 0, 300, 150);
        G.SetGraphKind(Kind);
        for (int N = 0; N < 120; ++N) {
            const int A = 200 + (N * 37) % 250, B = A + 150 + (N * 53) % 300;
            G.DataPoint(clRed, A);
            G.DataPoint(clYellow, B);
            G.DataPoint(clAqua, B + 100 + (N * 29) % 200);
            G.Update();
        }
        Sheet.Canvas()->Draw(10 + Kind * 310, 10, G.Surface());
    }
    EXPECT_TRUE(Sheet.SavePng(ArtifactPath("perfgraph.png")));
}
