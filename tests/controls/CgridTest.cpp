#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "controls/Cgrid.h"
#include "platform/classes/FormIO.h"
#include "platform/classes/Registry.h"
#include "platform/rtl/Resources.h"
#include "platform/ui/Forms.h"
#include "tests/support/Support.h"

namespace {

// Opens the drawing operations to the tests.
class TProbeGrid : public TCColorGrid {
  public:
    using TCColorGrid::ContrastColor;
    using TCColorGrid::DrawFgBg;
    using TCColorGrid::DrawSquare;
    using TCColorGrid::TCColorGrid;
};

// The sixteen reference colours, square by square, and the contrast colour of each.
const TColor kCell[16] = {RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
                          RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
                          RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
                          RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
const TColor kContrast[16] = {clWhite, clAqua, clFuchsia, clBlue, clYellow, clLime, clRed, clBlack,
                              clBlack, clAqua, clFuchsia, clBlue, clYellow, clLime, clRed, clBlack};

TColor Inverse(TColor C) {
    return ~C & 0xFFFFFF;
}

std::unique_ptr<TProbeGrid> NewGrid() {
    return std::make_unique<TProbeGrid>(nullptr);
}

// The size notice that follows a new size snaps it.
void Resize(TCColorGrid& G, int W, int H) {
    G.SetBounds(G.Left(), G.Top(), W, H);
}

uint16_t Press(TCColorGrid& G, uint16_t Key, TShiftState Shift = 0) {
    G.KeyDown(Key, Shift);
    return Key;
}

// Centre of square k in client pixels.
TPoint Centre(const TCColorGrid& G, int K) {
    return {(K % G.ColumnCount()) * G.CellWidth() + G.CellWidth() / 2,
            (K / G.ColumnCount()) * G.CellHeight() + G.CellHeight() / 2};
}

void Click(TCColorGrid& G, TMouseButton B, int K) {
    TPoint P = Centre(G, K);
    G.MouseDown(B, 0, P.X, P.Y);
    G.MouseUp(B, 0, P.X, P.Y);
}

int Distance(TColor A, TColor B) {
    return std::abs(GetRValue(A) - GetRValue(B)) + std::abs(GetGValue(A) - GetGValue(B)) +
           std::abs(GetBValue(A) - GetBValue(B));
}

// Pixels inside R (relative to its corner) that differ from Background: text is antialiased, so
// only these say where a mark lies.
std::vector<TPoint> PixelsOver(const TBitmap* B, const TRect& R, TColor Background) {
    std::vector<TPoint> Found;
    for (int Y = R.Top; Y < R.Bottom; ++Y)
        for (int X = R.Left; X < R.Right; ++X)
            if (B->Pixel(X, Y) != Background) Found.push_back({X - R.Left, Y - R.Top});
    return Found;
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

TEST(ColorGrid, NewControlIsFourByFourOf25PixelSquares) {
    auto G = NewGrid();
    EXPECT_EQ(G->Width(), 100);
    EXPECT_EQ(G->Height(), 100);
    EXPECT_EQ(G->GridOrdering(), go4x4);
    EXPECT_EQ(G->CellWidth(), 25);
    EXPECT_EQ(G->CellHeight(), 25);
    EXPECT_EQ(G->Color(), clBtnFace);
    EXPECT_EQ(G->ForegroundIndex(), 0);
    EXPECT_EQ(G->BackgroundIndex(), 0);
    EXPECT_TRUE(G->ForegroundEnabled() && G->BackgroundEnabled());
    EXPECT_FALSE(G->TabStop());
    EXPECT_EQ(G->GetForegroundColor(), clBlack);
}

TEST(ColorGrid, OrderingSnapsSizeAndKeepsChoices) {
    struct Row {
        TGridOrdering Ordering;
        int Columns, Rows, Width, Height, CellW, CellH;
    };
    const Row Rows[] = {{go16x1, 16, 1, 96, 100, 6, 100},
                        {go8x2, 8, 2, 96, 100, 12, 50},
                        {go2x8, 2, 8, 100, 96, 50, 12},
                        {go1x16, 1, 16, 100, 96, 100, 6}};
    for (const Row& R : Rows) {
        SCOPED_TRACE(int(R.Ordering));
        auto G = NewGrid();
        int Changes = 0;
        G->SetForegroundIndex(3);
        G->SetBackgroundIndex(9);
        G->SetSelection(12);
        G->OnChange = [&](TObject*) { ++Changes; };
        G->SetGridOrdering(R.Ordering);
        EXPECT_EQ(G->ColumnCount(), R.Columns);
        EXPECT_EQ(G->RowCount(), R.Rows);
        EXPECT_EQ(G->Width(), R.Width);
        EXPECT_EQ(G->Height(), R.Height);
        EXPECT_EQ(G->CellWidth(), R.CellW);
        EXPECT_EQ(G->CellHeight(), R.CellH);
        EXPECT_EQ(G->ForegroundIndex(), 3);
        EXPECT_EQ(G->BackgroundIndex(), 9);
        EXPECT_EQ(G->Selection(), 12);
        EXPECT_EQ(Changes, 0);
        // Back to 4 x 4: the size only ever shrinks.
        G->SetGridOrdering(go4x4);
        EXPECT_EQ(G->CellWidth(), R.Width / 4);
        EXPECT_EQ(G->CellHeight(), R.Height / 4);
    }
}

TEST(ColorGrid, SizeNoticeSnapsToMultiplesOfTheGrid) {
    auto G = NewGrid();
    G->SetLeft(7);
    G->SetTop(9);
    Resize(*G, 50, 37);
    EXPECT_EQ(G->BoundsRect(), Rect(7, 9, 7 + 48, 9 + 36));
    EXPECT_EQ(G->CellWidth(), 12);
    EXPECT_EQ(G->CellHeight(), 9);
    G->SetGridOrdering(go8x2);
    EXPECT_EQ(G->BoundsRect(), Rect(7, 9, 7 + 48, 9 + 36));
    EXPECT_EQ(G->CellWidth(), 6);
    EXPECT_EQ(G->CellHeight(), 18);
}

TEST(ColorGrid, KeysWalkRowsAndColumnsWithWraps) {
    struct Row {
        TGridOrdering Ordering;
        int From;
        uint16_t Key;
        int To;
    };
    const Row Rows[] = {
        {go4x4, 15, VK_RIGHT, 0}, {go4x4, 15, VK_SPACE, 0}, {go4x4, 3, VK_SPACE, 4},  {go4x4, 0, VK_LEFT, 15},
        {go4x4, 0, VK_UP, 15},    {go4x4, 15, VK_DOWN, 0},  {go4x4, 2, VK_UP, 13},    {go4x4, 14, VK_DOWN, 3},
        {go4x4, 1, VK_DOWN, 5},   {go4x4, 9, VK_UP, 5},     {go4x4, 7, VK_HOME, 0},   {go4x4, 7, VK_END, 15},
        {go16x1, 5, VK_UP, 4},    {go16x1, 5, VK_DOWN, 6},  {go16x1, 15, VK_DOWN, 0}, {go16x1, 0, VK_UP, 15},
        {go1x16, 5, VK_RIGHT, 6}, {go1x16, 5, VK_LEFT, 4},  {go1x16, 5, VK_UP, 4},    {go1x16, 5, VK_DOWN, 6},
        {go1x16, 15, VK_DOWN, 0}, {go1x16, 0, VK_UP, 15},   {go8x2, 3, VK_DOWN, 11},  {go8x2, 11, VK_DOWN, 4},
        {go8x2, 11, VK_UP, 3},    {go8x2, 3, VK_UP, 10},    {go8x2, 15, VK_DOWN, 0},  {go8x2, 0, VK_UP, 15},
        {go8x2, 7, VK_RIGHT, 8},  {go8x2, 8, VK_LEFT, 7},
    };
    for (const Row& R : Rows) {
        SCOPED_TRACE(testing::Message() << int(R.Ordering) << ": " << R.From << " key " << R.Key);
        auto G = NewGrid();
        G->SetGridOrdering(R.Ordering);
        G->SetSelection(R.From);
        EXPECT_EQ(Press(*G, R.Key), 0);
        EXPECT_EQ(G->Selection(), R.To);
    }
}

TEST(ColorGrid, DownArrowVisitsEverySquareColumnByColumn) {
    for (TGridOrdering O : {go16x1, go8x2, go4x4, go2x8, go1x16}) {
        auto G = NewGrid();
        G->SetGridOrdering(O);
        std::vector<int> Seen;
        for (int I = 0; I < 16; ++I) {
            Seen.push_back(G->Selection());
            Press(*G, VK_DOWN);
        }
        EXPECT_EQ(G->Selection(), 0);
        int C = G->ColumnCount(), R = G->RowCount();
        for (int I = 0; I < 16; ++I) EXPECT_EQ(Seen[I], (I % R) * C + I / R) << "ordering " << int(O);
        // Up walks the same path backwards.
        for (int I = 15; I >= 0; --I) {
            Press(*G, VK_UP);
            EXPECT_EQ(G->Selection(), Seen[I]);
        }
    }
}

TEST(ColorGrid, OtherKeysAreLeftAlone) {
    auto G = NewGrid();
    G->SetSelection(6);
    for (uint16_t K : {uint16_t('X'), VK_RETURN, VK_TAB, VK_PRIOR, uint16_t(0)}) {
        EXPECT_EQ(Press(*G, K), K);
        EXPECT_EQ(G->Selection(), 6);
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
    EXPECT_EQ(Seen, 4);
    EXPECT_EQ(G->Selection(), 6);
    EXPECT_EQ(G->ForegroundIndex(), 0);
    EXPECT_EQ(G->BackgroundIndex(), 0);
}

TEST(ColorGrid, FAndBKeysChooseTheSelectedSquareAndClick) {
    struct Row {
        uint16_t Key;
        TShiftState Shift;
        bool Enabled, ClickEnables;
        bool Chosen;  // the choice moves to the selection and is enabled afterwards
    };
    const Row Rows[] = {{'F', 0, true, false, true},   {'F', ssShift, true, false, true},
                        {'F', 0, false, false, false}, {'F', 0, false, true, true},
                        {'B', 0, true, false, true},   {'B', ssShift, true, false, true},
                        {'B', 0, false, false, false}, {'B', ssShift, false, true, true}};
    for (const Row& R : Rows) {
        SCOPED_TRACE(testing::Message() << char(R.Key) << " shift " << R.Shift << " enabled " << R.Enabled
                                        << " click enables " << R.ClickEnables);
        auto G = NewGrid();
        bool Fore = R.Key == 'F';
        G->SetSelection(6);
        G->SetClickEnablesColor(R.ClickEnables);
        Fore ? G->EnableForeground(R.Enabled) : G->EnableBackground(R.Enabled);
        int Changes = 0, Clicks = 0;
        G->OnChange = [&](TObject*) { ++Changes; };
        G->OnClick = [&](TObject*) { ++Clicks; };
        EXPECT_EQ(Press(*G, R.Key, R.Shift), 0);
        EXPECT_EQ(Clicks, 1);
        EXPECT_EQ(Changes, R.Chosen ? 1 : 0);
        EXPECT_EQ(Fore ? G->ForegroundIndex() : G->BackgroundIndex(), R.Chosen ? 6 : 0);
        EXPECT_EQ(Fore ? G->ForegroundEnabled() : G->BackgroundEnabled(), R.Chosen);
        EXPECT_EQ(Fore ? G->BackgroundIndex() : G->ForegroundIndex(), 0);
        EXPECT_EQ(G->Selection(), 6);
        // Pressed again on the same square: nothing changes, the click is raised again.
        Press(*G, R.Key);
        EXPECT_EQ(Clicks, 2);
        EXPECT_EQ(Changes, R.Chosen ? 1 : 0);
    }
}

TEST(ColorGrid, SettersIgnoreRepeatsDisabledChoicesAndIndicesOutOfRange) {
    auto G = NewGrid();
    int Changes = 0;
    G->OnChange = [&](TObject*) { ++Changes; };
    G->SetForegroundIndex(0);
    G->SetBackgroundIndex(0);
    EXPECT_EQ(Changes, 0);
    for (int Bad : {-1, 16, 1000}) {
        G->SetForegroundIndex(Bad);
        G->SetBackgroundIndex(Bad);
        G->SetSelection(Bad);
    }
    G->SetGridOrdering(static_cast<TGridOrdering>(5));
    EXPECT_EQ(G->GridOrdering(), go4x4);
    EXPECT_EQ(G->ForegroundIndex(), 0);
    EXPECT_EQ(G->BackgroundIndex(), 0);
    EXPECT_EQ(G->Selection(), 0);
    EXPECT_EQ(Changes, 0);

    G->SetForegroundIndex(15);
    G->SetBackgroundIndex(8);
    EXPECT_EQ(Changes, 2);
    EXPECT_EQ(G->GetForegroundColor(), clWhite);
    EXPECT_EQ(G->GetBackgroundColor(), clGray);

    G->EnableForeground(false);
    G->EnableBackground(false);
    G->SetForegroundIndex(4);
    G->SetBackgroundIndex(4);
    EXPECT_EQ(G->ForegroundIndex(), 15);
    EXPECT_EQ(G->BackgroundIndex(), 8);
    // The colours stay readable while a choice is off; enabling raises no change.
    EXPECT_EQ(G->GetForegroundColor(), clWhite);
    G->EnableForeground(true);
    EXPECT_EQ(Changes, 2);
}

TEST(ColorGrid, ClicksChooseByButton) {
    auto G = NewGrid();
    int Changes = 0, Downs = 0;
    G->OnChange = [&](TObject*) { ++Changes; };
    G->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++Downs; };
    Click(*G, mbLeft, 5);
    EXPECT_EQ(G->ForegroundIndex(), 5);
    EXPECT_EQ(G->Selection(), 5);
    EXPECT_EQ(Changes, 1);
    Click(*G, mbLeft, 5);
    EXPECT_EQ(Changes, 1);
    Click(*G, mbRight, 10);
    EXPECT_EQ(G->BackgroundIndex(), 10);
    EXPECT_EQ(G->ForegroundIndex(), 5);
    EXPECT_EQ(G->Selection(), 10);
    Click(*G, mbMiddle, 7);
    EXPECT_EQ(G->BackgroundIndex(), 7);
    EXPECT_EQ(G->Selection(), 7);
    EXPECT_EQ(Changes, 3);
    EXPECT_EQ(Downs, 4);
    EXPECT_FALSE(G->MouseCapture());
    // TabStop is off: a click does not take the focus.
    EXPECT_FALSE(G->Focused());
}

TEST(ColorGrid, ClickOnADisabledChoice) {
    struct Row {
        TMouseButton Button;
        bool ClickEnables;
        int Stored;  // the index the disabled choice holds before the click
    };
    const Row Rows[] = {{mbLeft, true, 0},  {mbLeft, true, 5},  {mbLeft, false, 0},
                        {mbRight, true, 0}, {mbRight, true, 5}, {mbMiddle, false, 0}};
    for (const Row& R : Rows) {
        SCOPED_TRACE(testing::Message() << "button " << int(R.Button) << " click enables " << R.ClickEnables
                                        << " stored " << R.Stored);
        auto G = NewGrid();
        bool Fore = R.Button == mbLeft;
        Fore ? G->SetForegroundIndex(R.Stored) : G->SetBackgroundIndex(R.Stored);
        Fore ? G->EnableForeground(false) : G->EnableBackground(false);
        G->SetClickEnablesColor(R.ClickEnables);
        int Changes = 0;
        G->OnChange = [&](TObject*) { ++Changes; };
        Click(*G, R.Button, 5);
        EXPECT_EQ(G->Selection(), 5);
        EXPECT_EQ(Changes, R.ClickEnables ? 1 : 0);
        EXPECT_EQ(Fore ? G->ForegroundEnabled() : G->BackgroundEnabled(), R.ClickEnables);
        EXPECT_EQ(Fore ? G->ForegroundIndex() : G->BackgroundIndex(), R.ClickEnables ? 5 : R.Stored);
    }
}

TEST(ColorGrid, RightDragFollowsThePointerBeyondTheEdges) {
    auto G = NewGrid();
    int Changes = 0;
    G->OnChange = [&](TObject*) { ++Changes; };
    G->MouseMove(0, 60, 60);  // not pressed: nothing follows
    EXPECT_EQ(G->Selection(), 0);
    G->MouseDown(mbRight, 0, 10, 10);
    EXPECT_EQ(Changes, 0);  // square 0 was already the background
    struct Step {
        int X, Y, Square;
    };
    const Step Steps[] = {{60, 10, 2},   {500, 10, 3}, {500, 500, 15}, {-30, 500, 12},
                          {-30, -30, 0}, {99, 99, 15}, {100, 50, 11},  {50, -1, 2}};
    int Expected = 0;
    for (const Step& S : Steps) {
        G->MouseMove(0, S.X, S.Y);
        EXPECT_EQ(G->BackgroundIndex(), S.Square) << S.X << "," << S.Y;
        EXPECT_EQ(G->Selection(), S.Square);
        ++Expected;
        EXPECT_EQ(Changes, Expected);
    }
    EXPECT_EQ(G->ForegroundIndex(), 0);
    G->MouseUp(mbRight, 0, 50, -1);
    G->MouseMove(0, 60, 60);
    EXPECT_EQ(G->Selection(), 2);
    EXPECT_EQ(Changes, Expected);
}

TEST(ColorGrid, DragWithADisabledChoiceMovesOnlyTheSelection) {
    auto G = NewGrid();
    G->EnableForeground(false);
    int Changes = 0;
    G->OnChange = [&](TObject*) { ++Changes; };
    G->MouseDown(mbLeft, 0, 10, 10);
    G->MouseMove(0, 60, 60);
    G->MouseUp(mbLeft, 0, 60, 60);
    EXPECT_EQ(G->Selection(), 10);
    EXPECT_EQ(G->ForegroundIndex(), 0);
    EXPECT_FALSE(G->ForegroundEnabled());
    EXPECT_EQ(Changes, 0);
}

TEST(ColorGrid, ControlTooSmallForItsSquaresIgnoresPresses) {
    auto G = NewGrid();
    // The constraints keep the width from snapping down to 0.
    G->Constraints()->MinWidth = 10;
    G->SetGridOrdering(go16x1);
    Resize(*G, 10, 10);
    EXPECT_EQ(G->Width(), 10);
    EXPECT_EQ(G->CellWidth(), 0);
    EXPECT_EQ(G->SquareFromPos(0, 0), -1);
    int Changes = 0;
    G->OnChange = [&](TObject*) { ++Changes; };
    G->MouseDown(mbLeft, 0, 0, 0);
    G->MouseMove(0, 5, 5);
    G->MouseDown(mbRight, 0, 3, 3);
    G->MouseUp(mbRight, 0, 3, 3);
    EXPECT_EQ(Changes, 0);
    EXPECT_EQ(G->Selection(), 0);
    Press(*G, VK_END);
    EXPECT_EQ(G->Selection(), 15);
    G->Repaint();
}

TEST(ColorGrid, MessagesItHandlesItself) {
    auto G = NewGrid();
    EXPECT_EQ(G->Perform(WM_GETDLGCODE).Result, DLGC_WANTARROWS | DLGC_WANTCHARS);
    G->HandleNeeded();
    EXPECT_TRUE(GetWindowLongA(G.get(), GWL_STYLE) & WS_CLIPSIBLINGS);
}

namespace {
// Looks at square 5 (dark magenta, at 25..49 in both directions) of a 100 x 100 grid without marks.
struct SquareFive {
    std::unique_ptr<TProbeGrid> G = NewGrid();
    const int L = 25, T = 25, R = 49, B = 49;  // outermost pixels
    const TColor Cell = kCell[5];
    SquareFive(bool Ctl3D) {
        G->EnableForeground(false);
        G->EnableBackground(false);
        G->SetCtl3D(Ctl3D);
        G->SetSelection(5);
        G->Repaint();
    }
    TColor At(int X, int Y) const { return G->Surface()->Pixel(X, Y); }
    // The colour of the ring D pixels in from the square's edge, checked all around.
    void ExpectRing(int D, TColor TopLeft, TColor BottomRight) const {
        for (int I = L + D + 1; I < R - D; ++I) {
            EXPECT_EQ(At(I, T + D), TopLeft) << "top, ring " << D << " x " << I;
            EXPECT_EQ(At(L + D, I), TopLeft) << "left, ring " << D << " y " << I;
            EXPECT_EQ(At(I, B - D), BottomRight) << "bottom, ring " << D << " x " << I;
            EXPECT_EQ(At(R - D, I), BottomRight) << "right, ring " << D << " y " << I;
        }
    }
    void ExpectFilled(int D, TColor C) const {
        for (int Y = T + D; Y <= B - D; ++Y)
            for (int X = L + D; X <= R - D; ++X) ASSERT_EQ(At(X, Y), C) << X << "," << Y;
    }
};
}  // namespace

TEST(ColorGridPaint, ThreeDSquareWithAndWithoutTheCursor) {
    SquareFive S(true);
    const TColor Face = ColorToRGB(clBtnFace), Shadow = ColorToRGB(clBtnShadow),
                 Light = ColorToRGB(clBtnHighlight);
    auto ExpectFrame = [&] {
        S.ExpectRing(0, Face, Face);
        EXPECT_EQ(S.At(S.L, S.T), Face);
        EXPECT_EQ(S.At(S.R, S.B), Face);
        S.ExpectRing(1, Shadow, Light);
        S.ExpectRing(2, Shadow, Light);
        EXPECT_EQ(S.At(S.L + 1, S.T + 1), Shadow);
        EXPECT_EQ(S.At(S.R - 1, S.B - 1), Light);
    };
    ExpectFrame();
    S.ExpectFilled(3, S.Cell);  // 19 x 19
    EXPECT_EQ(S.R - 3 - (S.L + 3) + 1, 19);

    S.G->Perform(WM_SETFOCUS);
    ExpectFrame();
    S.ExpectRing(3, S.Cell, S.Cell);
    S.ExpectFilled(5, S.Cell);
    // The dotted frame, 17 x 17, inverts every other pixel of the ring 4 pixels in.
    int Inverted = 0;
    for (int X = S.L + 4; X <= S.R - 4; ++X) {
        TColor P = S.At(X, S.T + 4);
        EXPECT_TRUE(P == S.Cell || P == Inverse(S.Cell)) << X;
        if (X > S.L + 4) {
            EXPECT_NE(P, S.At(X - 1, S.T + 4)) << "dotted at " << X;
        }
        Inverted += P == Inverse(S.Cell);
    }
    EXPECT_GE(Inverted, 8);
    for (int Y = S.T + 5; Y < S.B - 4; ++Y)
        EXPECT_TRUE(S.At(S.L + 4, Y) == S.Cell || S.At(S.L + 4, Y) == Inverse(S.Cell));

    // The cursor leaves at once, without a paint, when the focus goes.
    S.G->Perform(WM_KILLFOCUS);
    ExpectFrame();
    S.ExpectFilled(3, S.Cell);
}

TEST(ColorGridPaint, FlatSquareWithAndWithoutTheCursor) {
    SquareFive S(false);
    S.ExpectRing(0, clBlack, clBlack);
    EXPECT_EQ(S.At(S.L, S.T), clBlack);
    EXPECT_EQ(S.At(S.R, S.B), clBlack);
    S.ExpectFilled(1, S.Cell);

    S.G->Perform(WM_SETFOCUS);
    // The outer two pixels show what was there, inverted; inside them a flat square of its own.
    S.ExpectRing(0, clWhite, clWhite);
    EXPECT_EQ(S.At(S.L, S.T), clWhite);
    S.ExpectRing(1, Inverse(S.Cell), Inverse(S.Cell));
    S.ExpectRing(2, clBlack, clBlack);
    EXPECT_EQ(S.At(S.L + 2, S.T + 2), clBlack);
    EXPECT_EQ(S.At(S.R - 2, S.B - 2), clBlack);
    S.ExpectFilled(3, S.Cell);

    // Moving the cursor redraws the old square flat and the new one with the cursor, at once.
    S.G->SetSelection(6);
    S.ExpectRing(0, clBlack, clBlack);
    S.ExpectFilled(1, S.Cell);
    EXPECT_EQ(S.At(50, 25), clWhite);  // square 6's outer ring, inverted from black
    EXPECT_EQ(S.At(51, 26), Inverse(kCell[6]));
}

TEST(ColorGridPaint, SquaresOutsideTheGridDrawNothing) {
    SquareFive S(true);
    std::vector<uint32_t> Before(S.G->Surface()->Bits(), S.G->Surface()->Bits() + 100 * 100);
    for (int K : {-1, 16, 99}) S.G->DrawSquare(K, true);
    EXPECT_TRUE(std::equal(Before.begin(), Before.end(), S.G->Surface()->Bits()));
}

TEST(ColorGridPaint, EverySquareHasItsColourAndContrastingMark) {
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
            Strong += Distance(P, kContrast[K]) < Distance(P, kCell[K]);
        EXPECT_GE(Strong, 3);
        for (int J = 0; J < 16; ++J) {
            if (J == K) continue;
            EXPECT_TRUE(PixelsOver(G->Surface(), Inside(*G, J), kCell[J]).empty()) << "mark on " << J;
        }
    }
}

TEST(ColorGridPaint, MarksForForegroundBackgroundAndBoth) {
    auto G = NewGrid();
    G->Repaint();
    // A mark text as the grid should draw it on square k; the one for both is drawn twice.
    auto Expected = [&](int K, const char* Text, int Times) {
        TBitmap B;
        B.SetSize(25, 25);
        B.Canvas()->Brush()->SetColor(kCell[K]);
        B.Canvas()->FillRect(Rect(0, 0, 25, 25));
        B.Canvas()->SetFont(*G->Font());
        B.Canvas()->Font()->SetColor(kContrast[K]);
        B.Canvas()->SetBkMode(TRANSPARENT);
        for (int I = 0; I < Times; ++I) {
            TRect R = Rect(0, 0, 25, 25);
            DrawTextA(B.Canvas(), Text, -1, &R, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
        }
        return PixelsIn(&B, Rect(3, 3, 22, 22));
    };
    auto Shown = [&](int K) { return PixelsIn(G->Surface(), Inside(*G, K)); };
    const std::vector<TColor> Blank0(19 * 19, kCell[0]), Blank3(19 * 19, kCell[3]);
    EXPECT_NE(Expected(0, SFG, 1), Blank0);
    EXPECT_NE(Expected(0, SFG, 1), Expected(0, SBG, 1));
    EXPECT_NE(Expected(0, SFG, 1), Expected(0, SFB, 2));

    EXPECT_EQ(Shown(0), Expected(0, SFB, 2));
    // Each change redraws the squares concerned and the marks at once.
    G->EnableBackground(false);
    EXPECT_EQ(Shown(0), Expected(0, SFG, 1));
    G->EnableBackground(true);
    G->EnableForeground(false);
    EXPECT_EQ(Shown(0), Expected(0, SBG, 1));
    G->EnableBackground(false);
    EXPECT_EQ(Shown(0), Blank0);
    G->EnableForeground(true);
    G->EnableBackground(true);
    EXPECT_EQ(Shown(0), Expected(0, SFB, 2));
    G->SetBackgroundIndex(3);
    EXPECT_EQ(Shown(0), Expected(0, SFG, 1));
    EXPECT_EQ(Shown(3), Expected(3, SBG, 1));
    G->SetForegroundIndex(3);
    EXPECT_EQ(Shown(0), Blank0);
    EXPECT_EQ(Shown(3), Expected(3, SFB, 2));
    G->SetBackgroundIndex(0);
    EXPECT_EQ(Shown(0), Expected(0, SBG, 1));
    EXPECT_EQ(Shown(3), Expected(3, SFG, 1));
    G->SetForegroundIndex(0);
    EXPECT_EQ(Shown(0), Expected(0, SFB, 2));
    EXPECT_EQ(Shown(3), Blank3);
}

TEST(ColorGridPaint, MarkIsCentredAndNotClipped) {
    auto G = NewGrid();
    G->EnableBackground(false);
    G->SetForegroundIndex(9);
    G->Repaint();
    TRect In = Inside(*G, 9);
    auto Mark = PixelsOver(G->Surface(), In, kCell[9]);
    ASSERT_FALSE(Mark.empty());
    int MinX = 100, MaxX = 0, MinY = 100, MaxY = 0;
    for (TPoint P : Mark) {
        MinX = std::min(MinX, P.X + In.Left), MaxX = std::max(MaxX, P.X + In.Left);
        MinY = std::min(MinY, P.Y + In.Top), MaxY = std::max(MaxY, P.Y + In.Top);
    }
    TPoint C = Centre(*G, 9);
    EXPECT_NEAR((MinX + MaxX) / 2.0, C.X, 1.5);
    EXPECT_NEAR((MinY + MaxY) / 2.0, C.Y, 2.5);

    // Flat squares 6 pixels wide: the mark spills over into the neighbours' insides.
    G->SetCtl3D(false);
    G->SetGridOrdering(go16x1);
    G->Repaint();
    for (int J : {8, 10}) {
        TRect Neighbour = Rect(J * 6 + 1, 30, J * 6 + 5, 70);
        EXPECT_FALSE(PixelsOver(G->Surface(), Neighbour, kCell[J]).empty()) << J;
    }
    EXPECT_TRUE(PixelsOver(G->Surface(), Rect(7 * 6 + 1, 30, 7 * 6 + 5, 70), kCell[7]).empty());
}

TEST(ColorGridPaint, PictureOfBothStylesWithFocus) {
    TBitmap Picture;
    Picture.SetSize(2 * 100 + 10, 100);
    Picture.Canvas()->Brush()->SetColor(clWhite);
    Picture.Canvas()->FillRect(Rect(0, 0, Picture.Width(), 100));
    for (bool Ctl3D : {true, false}) {
        auto G = NewGrid();
        G->SetCtl3D(Ctl3D);
        G->SetForegroundIndex(9);
        G->SetBackgroundIndex(12);
        G->SetSelection(6);
        G->Perform(WM_SETFOCUS);
        G->Repaint();
        Picture.Canvas()->Draw(Ctl3D ? 0 : 110, 0, G->Surface());
    }
    EXPECT_TRUE(Picture.SavePng(ArtifactPath("colorgrid.png")));
}

namespace {
class THost : public TWinControl {
    AGENDIX_CLASS(THost)
    using TWinControl::TWinControl;
    TCColorGrid* ColorGrid1 = nullptr;
    void GridChange(TObject*) { ++Changes; }
    int Changes = 0;
};
const TClassInfo& THost::StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<THost>("THost", &TWinControl::StaticClassInfo())
                                       .Field("ColorGrid1", &THost::ColorGrid1)
                                       .Method("GridChange", &THost::GridChange)
                                       .Build();
    return Info;
}
}  // namespace

TEST(ColorGridForm, PublishedPropertiesInOrderAndThroughDescriptions) {
    Cgrid::Register();
    const TClassInfo& Info = TCColorGrid::StaticClassInfo();
    std::vector<AnsiString> Names;
    for (auto& P : Info.Props) Names.push_back(P.Name);
    const std::vector<AnsiString> Order = {"Tag",
                                           "Left",
                                           "Top",
                                           "Width",
                                           "Height",
                                           "Cursor",
                                           "Hint",
                                           "Anchors",
                                           "ClickEnablesColor",
                                           "Constraints",
                                           "Ctl3D",
                                           "DragCursor",
                                           "DragMode",
                                           "Enabled",
                                           "GridOrdering",
                                           "ForegroundIndex",
                                           "BackgroundIndex",
                                           "ForegroundEnabled",
                                           "BackgroundEnabled",
                                           "Font",
                                           "ParentCtl3D",
                                           "ParentFont",
                                           "ParentShowHint",
                                           "Selection",
                                           "ShowHint",
                                           "TabOrder",
                                           "TabStop",
                                           "Visible",
                                           "OnChange",
                                           "OnClick",
                                           "OnDragDrop",
                                           "OnDragOver",
                                           "OnEndDrag",
                                           "OnEnter",
                                           "OnExit",
                                           "OnKeyDown",
                                           "OnKeyPress",
                                           "OnKeyUp",
                                           "OnMouseDown",
                                           "OnMouseMove",
                                           "OnMouseUp",
                                           "OnStartDrag"};
    EXPECT_EQ(Names, Order);

    bool OnPalette = false;
    for (auto& E : PaletteEntries()) OnPalette = OnPalette || (E.Class == &Info && E.Page == LoadStr(101));
    EXPECT_TRUE(OnPalette);
    TBitmap Icon;
    Icon.LoadFromResourceName("TCCOLORGRID");
    EXPECT_EQ(Icon.Width(), 24);
    EXPECT_EQ(Icon.Height(), 24);
    EXPECT_EQ(Icon.FileBitsPerPixel(), 4);

    THost Host(nullptr);
    Host.SetName("Host");
    ReadComponentRes(&Host,
                     "object Host: THost\n"
                     "  object ColorGrid1: TCColorGrid\n"
                     "    Left = 8\n"
                     "    Top = 6\n"
                     "    Width = 90\n"
                     "    Height = 90\n"
                     "    ClickEnablesColor = True\n"
                     "    Ctl3D = False\n"
                     "    GridOrdering = go8x2\n"
                     "    ForegroundIndex = 9\n"
                     "    BackgroundIndex = 12\n"
                     "    BackgroundEnabled = False\n"
                     "    Selection = 4\n"
                     "    TabStop = True\n"
                     "    OnChange = GridChange\n"
                     "  end\n"
                     "end\n");
    ASSERT_NE(Host.ColorGrid1, nullptr);
    TCColorGrid& G = *Host.ColorGrid1;
    EXPECT_TRUE(G.ClickEnablesColor());
    EXPECT_FALSE(G.Ctl3D());
    EXPECT_EQ(G.GridOrdering(), go8x2);
    EXPECT_EQ(G.ForegroundIndex(), 9);
    EXPECT_EQ(G.BackgroundIndex(), 12);
    EXPECT_FALSE(G.BackgroundEnabled());
    EXPECT_EQ(G.Selection(), 4);
    EXPECT_TRUE(G.TabStop());
    EXPECT_EQ(G.BoundsRect(), Rect(8, 6, 8 + 88, 6 + 88));
    EXPECT_EQ(G.CellWidth(), 11);
    EXPECT_EQ(G.CellHeight(), 44);
    ASSERT_TRUE(G.OnChange);
    int Before = Host.Changes;
    G.SetForegroundIndex(1);
    EXPECT_EQ(Host.Changes, Before + 1);
    G.SetForegroundIndex(9);

    AnsiString Text = WriteProperties(&G, 0);
    for (const char* Line :
         {"Width = 88", "ClickEnablesColor = True", "Ctl3D = False", "GridOrdering = go8x2",
          "ForegroundIndex = 9", "BackgroundIndex = 12", "BackgroundEnabled = False", "Selection = 4",
          "TabStop = True", "OnChange = GridChange"})
        EXPECT_NE(Text.find(Line), AnsiString::npos) << Line << " in\n" << Text;
    // Defaults are not written, and the order is the declaration order.
    EXPECT_EQ(Text.find("ForegroundEnabled"), AnsiString::npos);
    EXPECT_LT(Text.find("ClickEnablesColor"), Text.find("GridOrdering"));
    EXPECT_LT(Text.find("BackgroundEnabled"), Text.find("Selection"));

    TProbeGrid Fresh(nullptr);
    EXPECT_EQ(WriteProperties(&Fresh, 0).find("GridOrdering"), AnsiString::npos);
}

// The same input as it arrives from the window system.
TEST(ColorGridQt, MouseAndKeysThroughTheWindow) {
    TForm Form(nullptr);
    Form.SetBounds(0, 0, 200, 160);
    auto* G = new TCColorGrid(&Form);
    G->SetParent(&Form);
    G->SetBounds(8, 8, 100, 100);
    int Changes = 0;
    G->OnChange = [&](TObject*) { ++Changes; };
    Form.Show();
    QWidget* W = nullptr;
    for (QWidget* Top : QApplication::topLevelWidgets())
        if (Top->isVisible())
            for (QWidget* Child : Top->findChildren<QWidget*>())
                if (Child->size() == QSize(100, 100) && Child->isVisible()) W = Child;
    ASSERT_NE(W, nullptr);

    QTest::mousePress(W, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_TRUE(G->MouseCapture());
    QTest::mouseMove(W, QPoint(60, 80));
    QTest::mouseRelease(W, Qt::RightButton, {}, QPoint(60, 80));
    EXPECT_FALSE(G->MouseCapture());
    EXPECT_EQ(G->Selection(), 14);
    EXPECT_EQ(G->BackgroundIndex(), 14);
    EXPECT_FALSE(G->Focused());
    // With TabStop a click takes the focus, and the keys come to the grid.
    G->SetTabStop(true);
    QTest::mouseClick(W, Qt::LeftButton, {}, QPoint(30, 5));
    EXPECT_EQ(G->ForegroundIndex(), 1);
    EXPECT_EQ(Changes, 2);
    EXPECT_TRUE(G->Focused());

    QTest::keyClick(W, Qt::Key_Down);
    EXPECT_EQ(G->Selection(), 5);
    QTest::keyClick(W, Qt::Key_B);
    EXPECT_EQ(G->BackgroundIndex(), 5);
    EXPECT_EQ(Changes, 3);
}
