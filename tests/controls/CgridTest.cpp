#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "controls/Cgrid.h"
#include "platform/rtl/Resources.h"
#include "platform/ui/Forms.h"
#include "tests/support/Support.h"

namespace {

// Opens the drawing operations to the tests.
class TProbeGrid : public TCColorGrid {
  public:
    using TCColorGrid::ContrastColor;
    using TCColorGrid::DrawSquare;
    using TCColorGrid::TCColorGrid;
    int Invalidations = 0;
    void Invalidate() override {
        ++Invalidations;
        TCColorGrid::Invalidate();
    }
};

// The sixteen reference colours, square by square, and the contrast colour of each.
const TColor kCell[16] = {RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
                          RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
                          RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
                          RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
const TColor kContrast[16] = {clWhite, clAqua, clFuchsia, clBlue, clYellow, clLime, clRed, clBlack,
                              clBlack, clAqua, clFuchsia, clBlue, clYellow, clLime, clRed, clBlack};

using Ints = std::vector<int>;

TColor Inverse(TColor C) {
    return ~C & 0xFFFFFF;
}

std::unique_ptr<TProbeGrid> NewGrid() {
    return std::make_unique<TProbeGrid>(nullptr);
}

// Left, top, width, height, columns, rows, cell width and cell height.
Ints Layout(const TCColorGrid& G) {
    return {G.Left(),        G.Top(),      G.Width(),     G.Height(),
            G.ColumnCount(), G.RowCount(), G.CellWidth(), G.CellHeight()};
}

// A point in client pixels and the square it falls in.
struct Spot {
    int X, Y, Square;
};

uint16_t Press(TCColorGrid& G, uint16_t Key, TShiftState Shift = 0) {
    G.KeyDown(Key, Shift);
    return Key;
}

// Centre of square k in client pixels.
TPoint Centre(const TCColorGrid& G, int K) {
    return {(K % G.ColumnCount()) * G.CellWidth() + G.CellWidth() / 2,
            (K / G.ColumnCount()) * G.CellHeight() + G.CellHeight() / 2};
}

std::vector<TColor> PixelsIn(const TBitmap* B, const TRect& R) {
    std::vector<TColor> Out;
    for (int Y = R.Top; Y < R.Bottom; ++Y)
        for (int X = R.Left; X < R.Right; ++X) Out.push_back(B->Pixel(X, Y));
    return Out;
}

// The coloured inside of square k in 3-D style.
TRect Inside(const TCColorGrid& G, int K) {
    TPoint C = Centre(G, K);
    return Rect(C.X - G.CellWidth() / 2 + 3, C.Y - G.CellHeight() / 2 + 3, C.X + G.CellWidth() / 2 - 2,
                C.Y + G.CellHeight() / 2 - 2);
}

}  // namespace

// A new grid is 4 x 4 squares of 25 pixels; another ordering snaps the size down and keeps the choices.
TEST(ColorGrid, OrderingSnapsSizeAndKeepsChoices) {
    const std::pair<TGridOrdering, Ints> Rows[] = {{go4x4, {0, 0, 100, 100, 4, 4, 25, 25}},
                                                   {go16x1, {0, 0, 96, 100, 16, 1, 6, 100}},
                                                   {go8x2, {0, 0, 96, 100, 8, 2, 12, 50}},
                                                   {go2x8, {0, 0, 100, 96, 2, 8, 50, 12}},
                                                   {go1x16, {0, 0, 100, 96, 1, 16, 100, 6}}};
    for (const auto& [Ordering, Expected] : Rows) {
        SCOPED_TRACE(testing::Message() << "ordering " << int(Ordering));
        auto G = NewGrid();
        G->SetForegroundIndex(3);
        G->SetBackgroundIndex(9);
        G->SetSelection(12);
        int Changes = 0;
        G->OnChange = [&](TObject*) { ++Changes; };
        G->SetGridOrdering(Ordering);
        EXPECT_EQ(Layout(*G), Expected);
        EXPECT_EQ(Ints({G->ForegroundIndex(), G->BackgroundIndex(), G->Selection(), Changes}),
                  Ints({3, 9, 12, 0}));
        // Back to 4 x 4: the size only ever shrinks.
        G->SetGridOrdering(go4x4);
        EXPECT_EQ(Layout(*G), Ints({0, 0, Expected[2], Expected[3], 4, 4, Expected[2] / 4, Expected[3] / 4}));
    }
    // The size notice that follows a new size snaps it too.
    auto G = NewGrid();
    G->SetBounds(7, 9, 50, 37);
    EXPECT_EQ(Layout(*G), Ints({7, 9, 48, 36, 4, 4, 12, 9}));
    G->SetGridOrdering(go8x2);
    EXPECT_EQ(Layout(*G), Ints({7, 9, 48, 36, 8, 2, 6, 18}));
}

// Right and Space go through the squares in order, Down column by column from the foot of one to the
// head of the next; Left and Up go back the same way, and all of them wrap round.
TEST(ColorGrid, KeysWalkEverySquareWithWraps) {
    for (TGridOrdering O : {go16x1, go8x2, go4x4, go2x8, go1x16}) {
        auto G = NewGrid();
        G->SetGridOrdering(O);
        const int C = G->ColumnCount(), R = G->RowCount();
        for (auto [Forward, Back] : {std::pair{VK_RIGHT, VK_LEFT}, {VK_SPACE, VK_LEFT}, {VK_DOWN, VK_UP}}) {
            SCOPED_TRACE(testing::Message() << "ordering " << int(O) << " key " << Forward);
            auto Square = [&](int I) { return Forward == VK_DOWN ? (I % R) * C + I / R : I; };
            for (int I = 0; I < 16; ++I) {
                EXPECT_EQ(G->Selection(), Square(I)) << "step " << I;
                EXPECT_EQ(Press(*G, Forward), 0);
            }
            EXPECT_EQ(G->Selection(), 0);
            for (int I = 15; I >= 0; --I) {
                EXPECT_EQ(Press(*G, Back), 0);
                EXPECT_EQ(G->Selection(), Square(I)) << "back at " << I;
            }
        }
        G->SetSelection(7);
        EXPECT_EQ(Press(*G, VK_END), 0);
        EXPECT_EQ(G->Selection(), 15);
        EXPECT_EQ(Press(*G, VK_HOME), 0);
        EXPECT_EQ(G->Selection(), 0);
    }
    // Other keys are not the grid's: they are passed on untouched.
    auto G = NewGrid();
    G->SetSelection(6);
    for (uint16_t K : {uint16_t('X'), VK_RETURN, VK_TAB, VK_PRIOR, uint16_t(0)}) {
        EXPECT_EQ(Press(*G, K), K) << "key " << K;
        EXPECT_EQ(G->Selection(), 6) << "key " << K;
    }
}

TEST(ColorGrid, KeyDownHandlerThatConsumesTheKeyStopsTheGrid) {
    auto G = NewGrid();
    G->SetSelection(6);
    int Seen = 0;
    G->OnKeyDown = [&](TObject* Sender, uint16_t& Key, TShiftState) {
        EXPECT_EQ(Sender, G.get());
        ++Seen;
        Key = 0;
    };
    for (uint16_t K : {VK_RIGHT, VK_HOME, uint16_t('F'), uint16_t('B')}) EXPECT_EQ(Press(*G, K), 0);
    EXPECT_EQ(Ints({Seen, G->Selection(), G->ForegroundIndex(), G->BackgroundIndex()}), Ints({4, 6, 0, 0}));
}

// Changes are raised only for a new square: not for repeats, indices out of range, a choice that is off,
// nor for turning a choice on or off.
TEST(ColorGrid, SettersIgnoreRepeatsDisabledChoicesAndIndicesOutOfRange) {
    auto G = NewGrid();
    G->SetForegroundIndex(15);
    G->SetBackgroundIndex(8);
    G->SetSelection(4);
    int Changes = 0;
    G->OnChange = [&](TObject*) { ++Changes; };
    for (int Bad : {15, -1, 16, 1000}) G->SetForegroundIndex(Bad);
    for (int Bad : {8, -1, 16, 1000}) G->SetBackgroundIndex(Bad);
    for (int Bad : {-1, 16, 1000}) G->SetSelection(Bad);
    G->SetGridOrdering(static_cast<TGridOrdering>(5));
    EXPECT_EQ(G->GridOrdering(), go4x4);
    G->EnableForeground(false);
    G->EnableBackground(false);
    G->SetForegroundIndex(3);
    G->SetBackgroundIndex(3);
    EXPECT_EQ(Ints({G->ForegroundIndex(), G->BackgroundIndex(), G->Selection(), Changes}),
              Ints({15, 8, 4, 0}));
    // The colours stay readable while a choice is off.
    EXPECT_EQ(G->GetForegroundColor(), clWhite);
    EXPECT_EQ(G->GetBackgroundColor(), clGray);
    G->EnableForeground(true);
    G->SetForegroundIndex(3);
    EXPECT_EQ(Changes, 1);
}

// F and the left button choose the foreground, B and the other buttons the background: a key the selected
// square, a click the square under it. A choice that is off only turns on when clicks enable it, and then
// even for the square it held before. Keys raise a click each time.
TEST(ColorGrid, KeysAndClicksChooseSquares) {
    const struct {
        uint16_t Key;  // 0: a click with Button
        TShiftState Shift;
        TMouseButton Button;
        bool Enabled, ClickEnables;
        int Stored;  // the index the choice holds before
    } Rows[] = {{'F', 0, mbLeft, true, false, 0},       {'F', ssShift, mbLeft, true, false, 0},
                {'F', 0, mbLeft, false, false, 0},      {'F', 0, mbLeft, false, true, 0},
                {'F', 0, mbLeft, false, true, 5},       {'B', 0, mbLeft, true, false, 0},
                {'B', ssShift, mbLeft, true, false, 0}, {'B', 0, mbLeft, false, false, 0},
                {'B', ssShift, mbLeft, false, true, 0}, {0, 0, mbLeft, true, false, 0},
                {0, 0, mbRight, true, false, 0},        {0, 0, mbMiddle, true, false, 0},
                {0, 0, mbLeft, false, true, 0},         {0, 0, mbLeft, false, true, 5},
                {0, 0, mbLeft, false, false, 0},        {0, 0, mbRight, false, true, 0},
                {0, 0, mbRight, false, true, 5},        {0, 0, mbMiddle, false, false, 0}};
    for (const auto& R : Rows) {
        SCOPED_TRACE(testing::Message()
                     << "key " << R.Key << " shift " << R.Shift << " button " << int(R.Button) << " enabled "
                     << R.Enabled << " click enables " << R.ClickEnables << " stored " << R.Stored);
        auto G = NewGrid();
        bool Fore = R.Key ? R.Key == 'F' : R.Button == mbLeft, Chosen = R.Enabled || R.ClickEnables;
        Fore ? G->SetForegroundIndex(R.Stored) : G->SetBackgroundIndex(R.Stored);
        Fore ? G->EnableForeground(R.Enabled) : G->EnableBackground(R.Enabled);
        G->SetClickEnablesColor(R.ClickEnables);
        if (R.Key) G->SetSelection(5);
        int Changes = 0, Clicks = 0, Downs = 0;
        G->OnChange = [&](TObject*) { ++Changes; };
        G->OnClick = [&](TObject*) { ++Clicks; };
        G->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++Downs; };
        // Returns the key as left by the grid; a click goes to the middle of square 5.
        auto Choose = [&] {
            return R.Key ? Press(*G, R.Key, R.Shift)
                         : (G->MouseDown(R.Button, 0, 37, 37), G->MouseUp(R.Button, 0, 37, 37), 0);
        };
        EXPECT_EQ(Choose(), 0);
        EXPECT_EQ(Fore ? G->ForegroundEnabled() : G->BackgroundEnabled(), Chosen);
        EXPECT_EQ(Fore ? G->ForegroundIndex() : G->BackgroundIndex(), Chosen ? 5 : R.Stored);
        EXPECT_EQ(Ints({Fore ? G->BackgroundIndex() : G->ForegroundIndex(), G->Selection(), Changes}),
                  Ints({0, 5, Chosen}));
        // Again on the same square: nothing changes.
        EXPECT_EQ(Choose(), 0);
        EXPECT_EQ(Changes, Chosen);
        EXPECT_EQ(R.Key ? Clicks : Downs, 2);
        EXPECT_FALSE(G->MouseCapture());
    }
}

TEST(ColorGrid, DragFollowsThePointerBeyondTheEdges) {
    auto G = NewGrid();
    int Changes = 0;
    G->OnChange = [&](TObject*) { ++Changes; };
    G->MouseMove(0, 60, 60);  // not pressed: nothing follows
    EXPECT_EQ(G->Selection(), 0);
    G->MouseDown(mbRight, 0, 10, 10);
    EXPECT_EQ(Changes, 0);  // square 0 was already the background
    const Spot Steps[] = {{60, 10, 2},   {500, 10, 3}, {500, 500, 15}, {-30, 500, 12},
                          {-30, -30, 0}, {99, 99, 15}, {100, 50, 11},  {50, -1, 2}};
    int Expected = 0;
    for (const auto& S : Steps) {
        G->MouseMove(0, S.X, S.Y);
        EXPECT_EQ(Ints({G->BackgroundIndex(), G->Selection(), Changes}),
                  Ints({S.Square, S.Square, ++Expected}))
            << S.X << "," << S.Y;
    }
    EXPECT_EQ(G->ForegroundIndex(), 0);
    G->MouseUp(mbRight, 0, 50, -1);
    G->MouseMove(0, 60, 60);
    EXPECT_EQ(G->Selection(), 2);
    EXPECT_EQ(Changes, Expected);

    // A drag with the choice left off moves only the selection.
    G->EnableForeground(false);
    G->MouseDown(mbLeft, 0, 10, 10);
    G->MouseMove(0, 60, 60);
    G->MouseUp(mbLeft, 0, 60, 60);
    EXPECT_EQ(Ints({G->Selection(), G->ForegroundIndex(), G->ForegroundEnabled(), Changes}),
              Ints({10, 0, false, Expected}));
}

TEST(ColorGrid, SizeTheConstraintsKeepFromSnapping) {
    // 110 x 110 holds squares of 27 and a strip of 2 pixels, which belongs to the last column or row
    // rather than to squares past 15.
    auto G = NewGrid();
    G->Constraints()->MinWidth = G->Constraints()->MinHeight = 110;
    G->SetBounds(0, 0, 110, 110);
    EXPECT_EQ(Layout(*G), Ints({0, 0, 110, 110, 4, 4, 27, 27}));
    const Spot Points[] = {{108, 0, 3}, {109, 30, 7}, {0, 109, 12}, {109, 109, 15}, {200, 200, 15}};
    for (auto P : Points) EXPECT_EQ(G->SquareFromPos(P.X, P.Y), P.Square) << P.X << "," << P.Y;
    G->MouseDown(mbLeft, 0, 109, 109);
    G->MouseUp(mbLeft, 0, 109, 109);
    EXPECT_EQ(Ints({G->ForegroundIndex(), G->Selection()}), Ints({15, 15}));

    // Too narrow to hold its squares: presses are ignored, keys still work.
    auto S = NewGrid();
    S->Constraints()->MinWidth = 10;
    S->SetGridOrdering(go16x1);
    S->SetBounds(0, 0, 10, 10);
    EXPECT_EQ(Layout(*S), Ints({0, 0, 10, 10, 16, 1, 0, 10}));
    EXPECT_EQ(S->SquareFromPos(0, 0), -1);
    S->SetSelection(3);
    int Changes = 0;
    S->OnChange = [&](TObject*) { ++Changes; };
    S->MouseDown(mbLeft, 0, 0, 0);
    S->MouseMove(0, 5, 5);
    S->MouseDown(mbRight, 0, 3, 3);
    S->MouseUp(mbRight, 0, 3, 3);
    EXPECT_EQ(Ints({Changes, S->Selection()}), Ints({0, 3}));
    Press(*S, VK_END);
    EXPECT_EQ(S->Selection(), 15);
    // Squares of no width paint nothing; without marks the grid shows its own colour only.
    S->EnableForeground(false);
    S->EnableBackground(false);
    S->Repaint();
    EXPECT_EQ(InkBox(*S->Surface(), Rect(0, 0, 10, 10), ColorToRGB(clBtnFace)), TRect{});
}

namespace {
// Looks at square 5 (dark magenta, at 25..49 in both directions) of a 100 x 100 grid without marks.
struct SquareFive {
    using Rings = std::vector<std::pair<TColor, TColor>>;
    std::unique_ptr<TProbeGrid> G = NewGrid();
    const TColor Cell = kCell[5];
    explicit SquareFive(bool Ctl3D) {
        G->EnableForeground(false);
        G->EnableBackground(false);
        G->SetCtl3D(Ctl3D);
        G->SetSelection(5);
        G->Repaint();
    }
    TColor At(int X, int Y) const { return G->Surface()->Pixel(X, Y); }
    // Ring by ring from the edge, the colour of the top and left sides and that of the bottom and right
    // ones, then the cell colour to the middle; ring Skip, and the corners where the sides meet, are left.
    void Expect(const Rings& R, int Skip = -1) const {
        for (int Y = 25; Y < 50; ++Y)
            for (int X = 25; X < 50; ++X) {
                const int D = std::min({X - 25, Y - 25, 49 - X, 49 - Y}), N = int(R.size());
                bool TopLeft = X - 25 == D || Y - 25 == D, BottomRight = 49 - X == D || 49 - Y == D;
                if (D == Skip || (D < N && TopLeft && BottomRight)) continue;
                ASSERT_EQ(At(X, Y), D >= N ? Cell : TopLeft ? R[D].first : R[D].second) << X << "," << Y;
            }
    }
};
}  // namespace

TEST(ColorGridPaint, ThreeDSquareWithAndWithoutTheCursor) {
    SquareFive S(true);
    const TColor Face = ColorToRGB(clBtnFace), Shadow = ColorToRGB(clBtnShadow),
                 Light = ColorToRGB(clBtnHighlight);
    const SquareFive::Rings Frame = {{Face, Face}, {Shadow, Light}, {Shadow, Light}};
    S.Expect(Frame);  // 19 x 19 inside

    // With the focus the cursor is drawn at once (see the flat square) and again by every paint.
    S.G->Perform(WM_SETFOCUS);
    S.G->Repaint();
    auto Focused = Frame;
    Focused.push_back({S.Cell, S.Cell});
    S.Expect(Focused, 4);
    // The dotted frame, 17 x 17, inverts every other pixel of the ring 4 pixels in.
    auto Dotted = [&](TColor P) { return P == S.Cell || P == Inverse(S.Cell); };
    for (int I = 29; I <= 45; ++I) {
        EXPECT_TRUE(Dotted(S.At(I, 29)) && Dotted(S.At(29, I)) && Dotted(S.At(I, 45)) && Dotted(S.At(45, I)))
            << I;
        EXPECT_TRUE(I == 29 || S.At(I, 29) != S.At(I - 1, 29)) << "dotted at " << I;
    }

    // The cursor leaves at once, without a paint, when the focus goes.
    S.G->Perform(WM_KILLFOCUS);
    S.Expect(Frame);
}

TEST(ColorGridPaint, FlatSquareWithAndWithoutTheCursor) {
    SquareFive S(false);
    S.Expect({{clBlack, clBlack}});
    // The outer two pixels show what was there, inverted; inside them a flat square of its own.
    S.G->Perform(WM_SETFOCUS);
    S.Expect({{clWhite, clWhite}, {Inverse(S.Cell), Inverse(S.Cell)}, {clBlack, clBlack}});
    // Moving the cursor redraws the old square flat and the new one with the cursor, at once.
    S.G->SetSelection(6);
    S.Expect({{clBlack, clBlack}});
    EXPECT_EQ(S.At(50, 25), clWhite);  // square 6's outer ring, inverted from black
    EXPECT_EQ(S.At(51, 26), Inverse(kCell[6]));
}

// The flat cursor inverts its square; redrawing the square while the cursor shows keeps it.
TEST(ColorGridPaint, FlatCursorSurvivesRedrawsOfItsSquare) {
    using Grid = TCColorGrid&;
    const struct {
        const char* What;
        int Fore, Back;
        std::function<void(Grid)> Do;
    } Rows[] = {{"background off", 0, 5, [](Grid G) { G.EnableBackground(false); }},
                {"foreground off", 5, 0, [](Grid G) { G.EnableForeground(false); }},
                {"B on the foreground square", 5, 0, [](Grid G) { Press(G, 'B'); }},
                {"F on the background square", 0, 5, [](Grid G) { Press(G, 'F'); }},
                {"selection set again", 0, 0, [](Grid G) { G.SetSelection(5); }}};
    for (const auto& R : Rows) {
        auto G = NewGrid();
        G->SetCtl3D(false);
        G->SetForegroundIndex(R.Fore);
        G->SetBackgroundIndex(R.Back);
        G->SetSelection(5);
        G->Repaint();
        G->Perform(WM_SETFOCUS);
        R.Do(*G);
        const TBitmap* S = G->Surface();
        for (int I = 25; I < 50; ++I) {
            ASSERT_EQ(S->Pixel(I, 25), clWhite) << R.What << ": the black border inverted at " << I;
            ASSERT_EQ(S->Pixel(25, I), clWhite) << R.What << " at " << I;
        }
        EXPECT_EQ(S->Pixel(30, 26), Inverse(kCell[5])) << R.What;
    }
}

TEST(ColorGridPaint, SquaresOutsideTheGridDrawNothing) {
    SquareFive S(true);
    std::vector<uint32_t> Before(S.G->Surface()->Bits(), S.G->Surface()->Bits() + 100 * 100);
    for (int K : {-1, 16, 99}) S.G->DrawSquare(K, true);
    EXPECT_TRUE(std::equal(Before.begin(), Before.end(), S.G->Surface()->Bits()));
}

TEST(ColorGridPaint, EverySquareHasItsColourAndACentredContrastingMark) {
    auto G = NewGrid();
    G->EnableBackground(false);
    for (int K = 0; K < 16; ++K) {
        SCOPED_TRACE(testing::Message() << "square " << K);
        EXPECT_EQ(G->ContrastColor(K), kContrast[K]);
        G->SetForegroundIndex(K);
        EXPECT_EQ(G->GetForegroundColor(), kCell[K]);
        G->Repaint();
        TRect In = Inside(*G, K);
        EXPECT_EQ(In.Width(), 19);
        EXPECT_EQ(G->Surface()->Pixel(In.Left, In.Top), kCell[K]);
        // The glyphs' cores are nearer the contrast colour than the cell colour.
        int Strong = 0;
        for (TColor P : PixelsIn(G->Surface(), In))
            Strong += ColorDistance(P, kContrast[K]) < ColorDistance(P, kCell[K]);
        EXPECT_GE(Strong, 3);
        const TRect Mark = InkBox(*G->Surface(), In, kCell[K]);
        ASSERT_LT(Mark.Left, Mark.Right);
        TPoint C = Centre(*G, K);
        EXPECT_NEAR((Mark.Left + Mark.Right - 1) / 2.0, C.X, 1.5);
        EXPECT_NEAR((Mark.Top + Mark.Bottom - 1) / 2.0, C.Y, 2.5);
        for (int J = 0; J < 16; ++J)
            EXPECT_TRUE(J == K || InkBox(*G->Surface(), Inside(*G, J), kCell[J]) == TRect{})
                << "mark on " << J;
    }
}

TEST(ColorGridPaint, MarksForForegroundBackgroundAndBoth) {
    auto G = NewGrid();
    G->Repaint();
    // A mark as the grid should draw it on square k, none for nullptr; the one for both is drawn twice.
    auto Expected = [&](int K, const char* Text) {
        TBitmap B;
        B.SetSize(25, 25);
        B.Canvas()->Brush()->SetColor(kCell[K]);
        B.Canvas()->FillRect(Rect(0, 0, 25, 25));
        B.Canvas()->SetFont(*G->Font());
        B.Canvas()->Font()->SetColor(kContrast[K]);
        B.Canvas()->SetBkMode(TRANSPARENT);
        for (int I = 0; Text && I < (Text == SFB ? 2 : 1); ++I) {
            TRect R = Rect(0, 0, 25, 25);
            DrawTextA(B.Canvas(), Text, -1, &R, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
        }
        return PixelsIn(&B, Rect(3, 3, 22, 22));
    };
    EXPECT_NE(Expected(0, SFG), Expected(0, nullptr));
    EXPECT_NE(Expected(0, SFG), Expected(0, SBG));
    EXPECT_NE(Expected(0, SFG), Expected(0, SFB));

    // Each change redraws the squares concerned and the marks at once.
    using Grid = TCColorGrid&;
    const struct {
        std::function<void(Grid)> Do;
        const char *On0, *On3;
    } Steps[] = {{[](Grid) {}, SFB, nullptr},
                 {[](Grid G) { G.EnableBackground(false); }, SFG, nullptr},
                 {[](Grid G) { G.EnableBackground(true), G.EnableForeground(false); }, SBG, nullptr},
                 {[](Grid G) { G.EnableBackground(false); }, nullptr, nullptr},
                 {[](Grid G) { G.EnableForeground(true), G.EnableBackground(true); }, SFB, nullptr},
                 {[](Grid G) { G.SetBackgroundIndex(3); }, SFG, SBG},
                 {[](Grid G) { G.SetForegroundIndex(3); }, nullptr, SFB},
                 {[](Grid G) { G.SetBackgroundIndex(0); }, SBG, SFG},
                 {[](Grid G) { G.SetForegroundIndex(0); }, SFB, nullptr}};
    for (int I = 0; I < int(std::size(Steps)); ++I) {
        Steps[I].Do(*G);
        EXPECT_EQ(PixelsIn(G->Surface(), Inside(*G, 0)), Expected(0, Steps[I].On0)) << "square 0, step " << I;
        EXPECT_EQ(PixelsIn(G->Surface(), Inside(*G, 3)), Expected(3, Steps[I].On3)) << "square 3, step " << I;
    }
}

// A new 3-D style repaints the whole grid.
TEST(ColorGridPaint, Ctl3DRepaints) {
    auto G = NewGrid();
    G->SetCtl3D(false);
    EXPECT_GT(G->Invalidations, 0);
}

namespace {
// The visible window of the square control of the given size.
QWidget* WidgetOf(int Size) {
    for (QWidget* Top : QApplication::topLevelWidgets())
        if (Top->isVisible())
            for (QWidget* Child : Top->findChildren<QWidget*>())
                if (Child->size() == QSize(Size, Size) && Child->isVisible()) return Child;
    return nullptr;
}

}  // namespace

// The same input as it arrives from the window system. Two buttons pressed over each other leave no
// capture once both are up, so a click aimed at another control goes there.
TEST(ColorGridQt, MouseAndKeysThroughTheWindow) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 260, 160);
    auto* G = new TCColorGrid(&Form);
    auto* Other = new TCColorGrid(&Form);
    for (auto [Grid, Left, Size] : {std::tuple{G, 8, 100}, {Other, 140, 80}}) {
        Grid->SetParent(&Form);
        Grid->SetBounds(Left, 8, Size, Size);
    }
    int Changes = 0;
    G->OnChange = [&](TObject*) { ++Changes; };
    Form.Show();
    QWidget *W = WidgetOf(100), *OtherW = WidgetOf(80);
    ASSERT_TRUE(W && OtherW);

    QTest::mousePress(W, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_TRUE(G->MouseCapture());
    QTest::mouseMove(W, QPoint(60, 80));
    QTest::mousePress(W, Qt::LeftButton, {}, QPoint(30, 5));
    QTest::mouseRelease(W, Qt::LeftButton, {}, QPoint(30, 5));
    QTest::mouseRelease(W, Qt::RightButton, {}, QPoint(30, 5));
    EXPECT_FALSE(G->MouseCapture());
    EXPECT_EQ(Ints({G->BackgroundIndex(), G->ForegroundIndex(), Changes}), Ints({14, 1, 2}));
    QTest::mouseClick(OtherW, Qt::LeftButton, {}, QPoint(70, 70));
    EXPECT_EQ(Ints({G->ForegroundIndex(), Other->ForegroundIndex()}), Ints({1, 15}));
    // TabStop is off in a new grid: a click does not take the focus. With it, it does, and the keys
    // come to the grid.
    EXPECT_FALSE(G->Focused());
    G->SetTabStop(true);
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(30, 5));
    EXPECT_TRUE(G->Focused());
    QTest::keyClick(W, Qt::Key_Down);
    EXPECT_EQ(G->Selection(), 5);
    QTest::keyClick(W, Qt::Key_B);
    EXPECT_EQ(Ints({G->BackgroundIndex(), Changes}), Ints({5, 3}));
}
