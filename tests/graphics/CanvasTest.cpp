#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Windows.h"
#include "tests/support/Support.h"

namespace {
using Lines = std::vector<std::string>;

std::unique_ptr<TBitmap> MakeBitmap(int W, int H, TColor C = clWhite) {
    auto B = std::make_unique<TBitmap>();
    B->SetSize(W, H);
    B->Canvas()->Brush()->SetColor(C);
    B->Canvas()->FillRect(Rect(0, 0, W, H));
    return B;
}

// The bitmap as rows of characters: '.' white, '#' black, 'r' red, 'b' blue, 'g' lime, '?' anything else.
Lines Picture(const TBitmap& B) {
    static const std::map<TColor, char> Names = {
        {clWhite, '.'}, {clBlack, '#'}, {clRed, 'r'}, {clBlue, 'b'}, {clLime, 'g'}};
    Lines Rows(B.Height());
    for (int Y = 0; Y < B.Height(); ++Y)
        for (int X = 0; X < B.Width(); ++X) {
            auto It = Names.find(B.Pixel(X, Y));
            Rows[Y] += It == Names.end() ? '?' : It->second;
        }
    return Rows;
}

bool Inside(const TRect& R, int X, int Y) {
    return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}

int Count(const TBitmap& B, TColor C, TRect R) {
    int N = 0;
    for (int Y = R.Top; Y < R.Bottom; ++Y)
        for (int X = R.Left; X < R.Right; ++X) N += B.Pixel(X, Y) == C;
    return N;
}

// A pattern in which neighbouring pixels differ, so copies that land off by one show.
void Scramble(TBitmap& B, uint32_t Seed) {
    for (int Y = 0; Y < B.Height(); ++Y)
        for (int X = 0; X < B.Width(); ++X) {
            Seed = Seed * 1103515245u + 12345u;
            B.SetPixel(X, Y, Seed >> 8 & 0xFFFFFF);
        }
}

std::vector<uint32_t> Pixels(TBitmap& B) {
    return {B.Bits(), B.Bits() + B.Width() * B.Height()};
}

uint32_t Inverted(uint32_t P) {
    return ~P | 0xFF000000u;
}

// Whether Inner has pixels and lies inside Outer.
bool Within(const TRect& Inner, const TRect& Outer) {
    return Inner.Left >= Outer.Left && Inner.Top >= Outer.Top && Inner.Right <= Outer.Right &&
           Inner.Bottom <= Outer.Bottom && Inner.Right > Inner.Left;
}
}  // namespace

void PrintTo(const TRect& R, std::ostream* OS) {
    *OS << "(" << R.Left << ", " << R.Top << ", " << R.Right << ", " << R.Bottom << ")";
}

TEST(CanvasFill, CoversLeftTopInclusiveRightBottomExclusiveWithinClip) {
    auto B = MakeBitmap(8, 6);
    TCanvas* C = B->Canvas();
    C->Brush()->SetColor(clRed);
    C->FillRect(Rect(1, 1, 4, 3));
    C->FillRect(Rect(6, 4, 5, 6));  // inverted: nothing
    C->SetClipRect(Rect(5, 0, 7, 5));
    C->FillRect(Rect(4, 4, 8, 8));
    C->ResetClipRect();
    C->Brush()->SetStyle(bsClear);
    C->FillRect(Rect(0, 0, 8, 6));  // a clear brush paints nothing
    EXPECT_EQ(Picture(*B), (Lines{"........", ".rrr....", ".rrr....", "........", ".....rr.", "........"}));
    // System colours resolve through the fixed table.
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(Rect(0, 0, 1, 1));
    EXPECT_EQ(B->Pixel(0, 0), RGB(192, 192, 192));
}

TEST(CanvasRectangle, OutlinesInsideTheBoxAndFillsWithTheBrush) {
    struct Row {
        int PenWidth;
        TBrushStyle Style;
        Lines Expected;
    } Rows[] = {
        {1, bsSolid, {"........", ".######.", ".#rrrr#.", ".#rrrr#.", ".######.", "........"}},
        {1, bsClear, {"........", ".######.", ".#....#.", ".#....#.", ".######.", "........"}},
        {2, bsSolid, {"........", ".######.", ".######.", ".##rr##.", ".######.", ".######."}},
    };
    for (auto& R : Rows) {
        auto B = MakeBitmap(8, 6);
        TCanvas* C = B->Canvas();
        C->Pen()->SetWidth(R.PenWidth);
        C->Brush()->SetColor(clRed);
        C->Brush()->SetStyle(R.Style);
        C->Rectangle(R.PenWidth == 1 ? Rect(1, 1, 7, 5) : Rect(7, 6, 1, 1));  // corners in any order
        EXPECT_EQ(Picture(*B), R.Expected)
            << "pen width " << R.PenWidth << (R.Style == bsSolid ? " solid" : " clear");
    }
}

TEST(CanvasPenModeNot, InvertsOnceEveryPixelThatTheCopyModeWouldPaint) {
    struct Row {
        const char* Name;
        int PenWidth;
        void (*Draw)(TCanvas* C);  // the pen starts at (1, 1)
    } Rows[] = {
        {"rectangle", 1, [](TCanvas* C) { C->Rectangle(2, 1, 18, 13); }},
        {"wide rectangle", 3, [](TCanvas* C) { C->Rectangle(2, 1, 18, 13); }},
        {"ellipse", 1, [](TCanvas* C) { C->Ellipse(1, 2, 19, 13); }},
        {"wide ellipse", 3, [](TCanvas* C) { C->Ellipse(1, 2, 19, 13); }},
        {"pie", 1, [](TCanvas* C) { C->Pie(1, 1, 19, 13, 19, 7, 10, 0); }},
        {"wide diagonal line", 2, [](TCanvas* C) { C->LineTo(17, 12); }},
    };
    for (auto& R : Rows)
        for (TBrushStyle Style : {bsSolid, bsClear}) {
            TBitmap Copy, Not;
            for (TBitmap* B : {&Copy, &Not}) {
                B->SetSize(20, 14);
                B->Canvas()->Pen()->SetWidth(R.PenWidth);
                B->Canvas()->Brush()->SetStyle(Style);
                B->Canvas()->MoveTo(1, 1);
            }
            Copy.Canvas()->Brush()->SetColor(clRed);
            R.Draw(Copy.Canvas());
            Scramble(Not, 5);
            auto Before = Pixels(Not);
            Not.Canvas()->Pen()->SetMode(pmNot);
            Not.Canvas()->Pen()->SetColor(clRed);  // colours do not matter to the not mode
            Not.Canvas()->Brush()->SetColor(clBlue);
            R.Draw(Not.Canvas());
            for (int Y = 0; Y < 14; ++Y)
                for (int X = 0; X < 20; ++X) {
                    uint32_t Old = Before[Y * 20 + X];
                    ASSERT_EQ(Not.ScanLine(Y)[X], Copy.Pixel(X, Y) != clWhite ? Inverted(Old) : Old)
                        << R.Name << (Style == bsSolid ? " solid" : " clear") << " at " << X << "," << Y;
                }
        }
}

TEST(CanvasLine, LeavesTheEndPixelAndKeepsThePenPosition) {
    struct Row {
        int Width;
        TPoint From, To;
        Lines Expected;
    } Rows[] = {
        {1, {1, 1}, {6, 1}, {".......", ".#####.", ".......", ".......", "......."}},
        {1, {6, 1}, {1, 1}, {".......", "..#####", ".......", ".......", "......."}},
        {1, {2, 0}, {2, 4}, {"..#....", "..#....", "..#....", "..#....", "......."}},
        {1, {0, 0}, {4, 4}, {"#......", ".#.....", "..#....", "...#...", "......."}},
        {1, {6, 4}, {0, 1}, {".......", ".#.....", "..##...", "....##.", "......#"}},
        {1, {4, 4}, {4, 0}, {".......", "....#..", "....#..", "....#..", "....#.."}},
        {1, {3, 3}, {3, 3}, {".......", ".......", ".......", ".......", "......."}},
        // Two rows thick about the line, and still nothing at the end column.
        {2, {1, 2}, {6, 2}, {".......", "######.", "######.", ".......", "......."}},
    };
    for (auto& R : Rows) {
        auto B = MakeBitmap(7, 5);
        B->Canvas()->Pen()->SetWidth(R.Width);
        B->Canvas()->MoveTo(R.From.X, R.From.Y);
        B->Canvas()->LineTo(R.To.X, R.To.Y);
        EXPECT_EQ(Picture(*B), R.Expected)
            << R.From.X << "," << R.From.Y << " to " << R.To.X << "," << R.To.Y << " width " << R.Width;
        EXPECT_EQ(B->Canvas()->PenPos(), R.To);
    }
}

TEST(CanvasEllipse, IsInscribedInItsBoxSymmetricAndFilled) {
    for (const TRect& Box : {Rect(2, 3, 12, 9), Rect(1, 1, 16, 16), Rect(0, 5, 30, 8), Rect(4, 0, 6, 20),
                             Rect(3, 3, 4, 4), Rect(0, 0, 31, 21), Rect(1, 10, 31, 12)}) {
        auto B = MakeBitmap(32, 22);
        B->Canvas()->Brush()->SetColor(clRed);
        B->Canvas()->Ellipse(Box.Left, Box.Top, Box.Right, Box.Bottom);
        SCOPED_TRACE("box " + ::testing::PrintToString(Box));
        EXPECT_EQ(InkBox(*B, clWhite), Box);
        for (int Y = Box.Top; Y < Box.Bottom; ++Y)
            for (int X = Box.Left; X < Box.Right; ++X) {
                EXPECT_EQ(B->Pixel(X, Y), B->Pixel(Box.Left + Box.Right - 1 - X, Y)) << X << "," << Y;
                EXPECT_EQ(B->Pixel(X, Y), B->Pixel(X, Box.Top + Box.Bottom - 1 - Y)) << X << "," << Y;
            }
        // Corners stay outside once the box is big enough to have them.
        if (Box.Width() >= 5 && Box.Height() >= 5) {
            EXPECT_EQ(B->Pixel(Box.Left, Box.Top), clWhite);
            EXPECT_EQ(B->Pixel(Box.Right - 1, Box.Bottom - 1), clWhite);
        }
        if (Box.Width() >= 3 && Box.Height() >= 3) {
            EXPECT_EQ(B->Pixel((Box.Left + Box.Right) / 2, (Box.Top + Box.Bottom) / 2), clRed);
        }
    }
    // A wide pen is as thick as the pen where the ellipse meets its box.
    auto B = MakeBitmap(20, 14);
    B->Canvas()->Pen()->SetWidth(3);
    B->Canvas()->Brush()->SetColor(clRed);
    B->Canvas()->Ellipse(0, 0, 20, 14);
    const Lines P = Picture(*B);
    EXPECT_EQ(std::string({P[0][10], P[1][10], P[2][10], P[3][10]}), "###r");
    EXPECT_EQ(P[7].substr(0, 4), "###r");
}

// Counterclockwise from the first ray: opposite rays give the half to the left of the first ray,
// here the upper one, coinciding rays the whole ellipse (the gauge's tests draw the sectors between).
TEST(CanvasPie, RunsCounterclockwiseFromTheFirstRayToTheSecond) {
    auto Half = MakeBitmap(30, 20);
    Half->Canvas()->Brush()->SetColor(clRed);
    Half->Canvas()->Pie(0, 0, 30, 20, 29, 9, 0, 10);
    EXPECT_EQ(Half->Pixel(15, 4), clRed);
    EXPECT_EQ(Half->Pixel(15, 15), clWhite);
    auto E = MakeBitmap(30, 20);
    E->Canvas()->Brush()->SetColor(clRed);
    E->Canvas()->Ellipse(0, 0, 30, 20);
    for (TPoint P : {Point(0, 10), Point(40, 0), Point(25, 25)}) {
        auto B = MakeBitmap(30, 20);
        B->Canvas()->Brush()->SetColor(clRed);
        B->Canvas()->Pie(0, 0, 30, 20, P.X, P.Y, P.X, P.Y);
        for (int Y = 0; Y < 20; ++Y)
            for (int X = 0; X < 30; ++X)
                ASSERT_EQ(B->Pixel(X, Y) == clWhite, E->Pixel(X, Y) == clWhite) << X << "," << Y;
    }
}

TEST(CanvasCopyMode, CombinesSourceDestinationAndBrushBitByBit) {
    struct Row {
        TCopyMode Mode;
        uint32_t (*F)(uint32_t P, uint32_t S, uint32_t D);
    } Rows[] = {
        {cmSrcCopy, [](uint32_t, uint32_t S, uint32_t) { return S; }},
        {cmSrcInvert, [](uint32_t, uint32_t S, uint32_t D) { return S ^ D; }},
        {cmSrcAnd, [](uint32_t, uint32_t S, uint32_t D) { return S & D; }},
        {cmSrcPaint, [](uint32_t, uint32_t S, uint32_t D) { return S | D; }},
        {cmSrcErase, [](uint32_t, uint32_t S, uint32_t D) { return S & ~D; }},
        {cmNotSrcCopy, [](uint32_t, uint32_t S, uint32_t) { return ~S; }},
        {cmNotSrcErase, [](uint32_t, uint32_t S, uint32_t D) { return ~(S | D); }},
        {cmMergeCopy, [](uint32_t P, uint32_t S, uint32_t) { return P & S; }},
        {cmMergePaint, [](uint32_t, uint32_t S, uint32_t D) { return ~S | D; }},
        {cmPatCopy, [](uint32_t P, uint32_t, uint32_t) { return P; }},
        {cmPatPaint, [](uint32_t P, uint32_t S, uint32_t D) { return P | ~S | D; }},
        {cmPatInvert, [](uint32_t P, uint32_t, uint32_t D) { return P ^ D; }},
        {cmDstInvert, [](uint32_t, uint32_t, uint32_t D) { return ~D; }},
        {cmBlackness, [](uint32_t, uint32_t, uint32_t) { return 0u; }},
        {cmWhiteness, [](uint32_t, uint32_t, uint32_t) { return 0xFFFFFFu; }},
        // An operation without a fast path: (S xor P) and D, table 0x28.
        {0x00280000, [](uint32_t P, uint32_t S, uint32_t D) { return (S ^ P) & D; }},
    };
    TBitmap Src;
    Src.SetSize(6, 5);
    Scramble(Src, 7);
    const uint32_t P = ColorToPixel(RGB(0x12, 0x34, 0x56));
    for (auto& R : Rows) {
        TBitmap Dst;
        Dst.SetSize(9, 8);
        Scramble(Dst, 99);
        auto Before = Pixels(Dst);
        Dst.Canvas()->Brush()->SetColor(RGB(0x12, 0x34, 0x56));
        Dst.Canvas()->SetCopyMode(R.Mode);
        Dst.Canvas()->CopyRect(Rect(2, 1, 8, 6), Src.Canvas(), Rect(0, 0, 6, 5));
        for (int Y = 0; Y < 8; ++Y)
            for (int X = 0; X < 9; ++X) {
                uint32_t D = Before[Y * 9 + X];
                uint32_t Want =
                    Inside(Rect(2, 1, 8, 6), X, Y) ? R.F(P, Src.ScanLine(Y - 1)[X - 2], D) | 0xFF000000u : D;
                ASSERT_EQ(Dst.ScanLine(Y)[X], Want)
                    << std::hex << R.Mode << " at " << std::dec << X << "," << Y;
            }
    }
    // The gauge blackens a bitmap in blackness mode, which needs no source bitmap.
    Scramble(Src, 5);
    Src.Canvas()->SetCopyMode(cmBlackness);
    Src.Canvas()->CopyRect(Rect(2, 2, 5, 5), nullptr, Rect(0, 0, 3, 3));
    EXPECT_EQ(Count(Src, clBlack, Rect(0, 0, 6, 5)), 9);
    EXPECT_EQ(Count(Src, clBlack, Rect(2, 2, 5, 5)), 9);
}

TEST(CanvasCopyRect, OverlappingCopiesOnOneCanvasMoveThePicture) {
    struct Row {
        int DX, DY;  // where the picture moves
        TCopyMode Mode;
    } Rows[] = {{-1, 0, cmSrcCopy},   {-3, 0, cmSrcCopy},  {2, 0, cmSrcCopy},
                {0, 1, cmSrcCopy},    {0, -2, cmSrcCopy},  {1, 1, cmSrcCopy},
                {-1, 0, cmSrcInvert}, {1, 0, cmSrcInvert}, {1, 2, cmSrcInvert}};
    for (auto& R : Rows) {
        TBitmap B;
        B.SetSize(20, 8);
        Scramble(B, 11);
        auto Before = Pixels(B);
        // The whole picture less the strip that leaves it, moved by (DX, DY).
        TRect Src =
            Rect(std::max(0, -R.DX), std::max(0, -R.DY), 20 - std::max(0, R.DX), 8 - std::max(0, R.DY));
        TRect Dst = Rect(Src.Left + R.DX, Src.Top + R.DY, Src.Right + R.DX, Src.Bottom + R.DY);
        B.Canvas()->SetCopyMode(R.Mode);
        B.Canvas()->CopyRect(Dst, B.Canvas(), Src);
        for (int Y = 0; Y < 8; ++Y)
            for (int X = 0; X < 20; ++X) {
                uint32_t Old = Before[Y * 20 + X];
                bool Moved = Inside(Dst, X, Y);
                uint32_t From = Moved ? Before[(Y - R.DY) * 20 + (X - R.DX)] : 0;
                uint32_t Want = !Moved ? Old : R.Mode == cmSrcCopy ? From : (From ^ Old) | 0xFF000000u;
                ASSERT_EQ(B.ScanLine(Y)[X], Want) << R.DX << "," << R.DY << " at " << X << "," << Y;
            }
    }
}

TEST(CanvasCopyRect, StretchesAndClipsToBothBitmaps) {
    TBitmap Src;
    Src.SetSize(3, 2);
    const TColor Colors[] = {clRed, clBlue, clLime, clBlack, clBlack, clRed};
    for (int I = 0; I < 6; ++I) Src.SetPixel(I % 3, I / 3, Colors[I]);
    auto B = MakeBitmap(7, 5);
    B->Canvas()->StretchDraw(Rect(0, 0, 6, 4), &Src);
    B->Canvas()->Draw(6, 3, &Src);  // only the left column lands inside
    B->Canvas()->CopyRect(Rect(0, 4, 4, 5), Src.Canvas(), Rect(1, 1, 5, 2));  // only two columns exist
    EXPECT_EQ(Picture(*B), (Lines{"rrbbgg.", "rrbbgg.", "####rr.", "####rrr", "#r....#"}));
}

TEST(CanvasFocusRect, InvertsEveryOtherFramePixelAndRestoresWhenDrawnTwice) {
    for (TRect R : {Rect(1, 1, 9, 7), Rect(2, 2, 3, 8), Rect(0, 4, 10, 5), Rect(3, 3, 3, 6)}) {
        TBitmap B;
        B.SetSize(10, 8);
        Scramble(B, 21);
        auto Before = Pixels(B);
        ASSERT_TRUE(DrawFocusRect(B.Canvas(), R));
        auto Flipped = [&](int X, int Y) { return B.ScanLine(Y)[X] != Before[Y * 10 + X]; };
        for (int Y = 0; Y < 8; ++Y)
            for (int X = 0; X < 10; ++X) {
                bool OnFrame =
                    Inside(R, X, Y) && (X == R.Left || X == R.Right - 1 || Y == R.Top || Y == R.Bottom - 1);
                if (Flipped(X, Y)) {
                    EXPECT_TRUE(OnFrame) << X << "," << Y;
                    EXPECT_EQ(B.ScanLine(Y)[X], Inverted(Before[Y * 10 + X]));
                }
                // Dotted: along every side, neighbours alternate.
                if (OnFrame && (Y == R.Top || Y == R.Bottom - 1) && X + 1 < R.Right) {
                    EXPECT_NE(Flipped(X, Y), Flipped(X + 1, Y)) << X << "," << Y;
                }
                if (OnFrame && (X == R.Left || X == R.Right - 1) && Y + 1 < R.Bottom) {
                    EXPECT_NE(Flipped(X, Y), Flipped(X, Y + 1)) << X << "," << Y;
                }
            }
        DrawFocusRect(B.Canvas(), R);
        EXPECT_EQ(Pixels(B), Before);
    }
}

TEST(CanvasFrame3D, DrawsNestedFramesAndShrinksTheRectangle) {
    auto B = MakeBitmap(6, 6);
    TRect R = Rect(0, 0, 6, 6);
    Frame3D(B->Canvas(), R, clBlack, clRed, 2);
    EXPECT_EQ(R, Rect(2, 2, 4, 4));
    EXPECT_EQ(Picture(*B), (Lines{"#####r", "####rr", "##..rr", "##..rr", "#rrrrr", "rrrrrr"}));
}

TEST(CanvasClip, LimitsEveryPrimitive) {
    auto B = MakeBitmap(12, 12);
    TCanvas* C = B->Canvas();
    C->SetClipRect(Rect(3, 3, 9, 9));
    C->Brush()->SetColor(clRed);
    C->Rectangle(0, 0, 12, 12);
    C->Ellipse(0, 0, 12, 12);
    C->Pie(0, 0, 12, 12, 12, 6, 6, 0);
    C->MoveTo(0, 0);
    C->LineTo(12, 12);
    C->SetPixel(1, 1, clBlack);
    C->TextOut(0, 0, "Clipped text");
    EXPECT_EQ(InkBox(*B, clWhite), Rect(3, 3, 9, 9));
    C->ResetClipRect();
    EXPECT_EQ(C->ClipRect(), Rect(0, 0, 12, 12));
}

TEST(CanvasOnChange, FiresAfterEachOperationThatDraws) {
    auto B = MakeBitmap(10, 10);
    TCanvas* C = B->Canvas();
    TBitmap Other;
    Other.SetSize(2, 2);
    int N = 0;
    C->OnChange = [&] { ++N; };
    C->MoveTo(1, 1);
    C->Pen()->SetColor(clRed);
    EXPECT_EQ(N, 0);
    C->LineTo(5, 5);
    C->FillRect(Rect(0, 0, 2, 2));
    C->Rectangle(0, 0, 3, 3);
    C->Ellipse(0, 0, 4, 4);
    C->Pie(0, 0, 4, 4, 0, 0, 4, 4);
    C->Draw(0, 0, &Other);
    C->DrawFocusRect(Rect(0, 0, 5, 5));
    C->TextRect(Rect(0, 0, 5, 5), 0, 0, "x");
    EXPECT_EQ(N, 8);
}

TEST(CanvasText, DrawTextCentresOneLineAndOverflowsWithoutClip) {
    const TRect Cell = Rect(40, 6, 50, 30);
    for (bool NoClip : {true, false}) {
        auto B = MakeBitmap(90, 36);
        SetBkMode(B->Canvas(), TRANSPARENT);
        TRect R = Cell;
        const uint32_t Format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | (NoClip ? DT_NOCLIP : 0);
        EXPECT_EQ(DrawTextA(B->Canvas(), "WWWWWW", -1, &R, Format), B->Canvas()->TextHeight("W"));
        const TRect I = InkBox(*B, clWhite);
        SCOPED_TRACE(NoClip ? "no clip" : "clipped");
        // Centred both ways: the ink's middle is the cell's middle, give or take the glyphs' bearings.
        if (NoClip) {
            EXPECT_TRUE(I.Left < Cell.Left && I.Right > Cell.Right) << ::testing::PrintToString(I);
            EXPECT_NEAR(I.Left + I.Right, Cell.Left + Cell.Right, 3);
        } else {
            EXPECT_PRED2(Within, I, Cell);
        }
        EXPECT_NEAR(I.Top + I.Bottom, Cell.Top + Cell.Bottom, 5);
    }
}

// TextOut and DrawTextA paint the brush behind the text in opaque mode with a solid brush; TextRect
// fills its rectangle whenever the brush is solid, and cuts the text at its edges.
TEST(CanvasText, PaintsTheBrushBehindTheTextOnlyWhereItShould) {
    struct Row {
        std::string Call;
        int Mode;
        TBrushStyle Style;
        bool Opaque;
    } Rows[] = {{"TextOut", OPAQUE, bsSolid, true},       {"TextOut", TRANSPARENT, bsSolid, false},
                {"TextOut", OPAQUE, bsClear, false},      {"DrawTextA", OPAQUE, bsSolid, true},
                {"TextRect", TRANSPARENT, bsSolid, true}, {"TextRect", OPAQUE, bsClear, false}};
    for (auto& R : Rows) {
        SCOPED_TRACE(R.Call + (R.Mode == OPAQUE ? " opaque" : " transparent") +
                     (R.Style == bsSolid ? " solid" : " clear"));
        auto B = MakeBitmap(60, 30);
        TCanvas* C = B->Canvas();
        C->Brush()->SetColor(clBlue);
        C->Brush()->SetStyle(R.Style);
        C->SetBkMode(R.Mode);
        C->Font()->SetColor(clRed);
        // What the call may paint: the text's cell, or the rectangle of TextRect.
        TRect Area = Rect(5, 4, 5 + C->TextWidth("Abc"), 4 + C->TextHeight("Abc"));
        if (R.Call == "TextOut") {
            C->TextOut(5, 4, "Abc");
            EXPECT_EQ(C->PenPos(), Point(Area.Right, 4));
        } else if (R.Call == "DrawTextA") {
            TRect Bounds = Rect(5, 4, 60, 30);
            DrawTextA(C, "Abcdef", 3, &Bounds, DT_SINGLELINE);  // a length cuts the text
        } else {
            Area = Rect(10, 5, 30, 20);
            C->TextRect(Area, 14, 6, "Clipped at the edge");
            EXPECT_GE(InkBox(*B, clWhite).Left, R.Opaque ? Area.Left : 14);  // the text starts where asked
            EXPECT_GE(InkBox(*B, clWhite).Right, Area.Right - 2);  // and is cut at the edge, not before
        }
        EXPECT_EQ(Count(*B, clBlue, Area) > Area.Width() * Area.Height() / 2, R.Opaque);
        // A glyph may overhang its advance by a pixel; the brush covers all of the area.
        EXPECT_PRED2(Within, InkBox(*B, clWhite), Rect(Area.Left, Area.Top, Area.Right + 1, Area.Bottom));
        if (R.Opaque) {
            EXPECT_PRED2(Within, Area, InkBox(*B, clWhite));
        }
    }
}

TEST(CanvasText, KoreanTextMeasuresWhatItDraws) {
    struct Row {
        const char* Face;
        int Height;
        const char* Text;
    } Rows[] = {{"굴림체", -12, "일정관리"},
                {"굴림체", -13, "총 3 건의 일정이 있습니다."},
                {"MS Sans Serif", -11, "나의 일정관리"},
                {"MS Sans Serif", 16, "현재 일정을 삭제하시겠읍니까 ?"}};
    for (auto& R : Rows) {
        auto B = MakeBitmap(400, 60);
        TCanvas* C = B->Canvas();
        C->Font()->SetName(R.Face);
        C->Font()->SetHeight(R.Height);
        const int W = C->TextWidth(R.Text), H = C->TextHeight(R.Text);
        C->TextOut(10, 10, R.Text);
        const TRect I = InkBox(*B, clWhite);
        SCOPED_TRACE(std::string(R.Face) + " " + R.Text);
        EXPECT_PRED2(Within, I, Rect(10, 10, 10 + W + 1, 10 + H));  // a glyph may overhang its advance
        EXPECT_GT(I.Width(), W * 8 / 10);
        EXPECT_GT(I.Height(), std::abs(R.Height) / 2);
        if (R.Height < 0) {  // character height plus leading
            EXPECT_GE(H, -R.Height);
        } else {  // the whole cell
            EXPECT_NEAR(H, R.Height, 1);
        }
    }
    // The stand-in for 굴림체 is a coding face: Hangul takes two Latin cells, Latin letters one.
    auto B = MakeBitmap(30, 20);
    TCanvas* C = B->Canvas();
    C->Font()->SetName("굴림체");
    C->Font()->SetHeight(-12);
    EXPECT_EQ(C->TextWidth("iiii"), C->TextWidth("WWWW"));
    EXPECT_EQ(C->TextWidth("가나"), C->TextWidth("abcd"));
    // Different syllables draw different glyphs (no missing-glyph boxes).
    auto Glyph = [&](const char* S) {
        C->FillRect(Rect(0, 0, 30, 20));
        C->TextOut(2, 2, S);
        return Pixels(*B);
    };
    EXPECT_NE(Glyph("가"), Glyph("힣"));
    EXPECT_NE(Glyph("일"), Glyph("월"));
    C->Font()->SetName("MS Sans Serif");
    EXPECT_LT(C->TextWidth("iiii"), C->TextWidth("WWWW"));
}
