#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Windows.h"
#include "tests/support/Support.h"

namespace {
std::unique_ptr<TBitmap> MakeBitmap(int W, int H, TColor C = clWhite) {
    auto B = std::make_unique<TBitmap>();
    B->SetSize(W, H);
    B->Canvas()->Brush()->SetColor(C);
    B->Canvas()->FillRect(Rect(0, 0, W, H));
    return B;
}

// The bitmap as rows of characters: '.' white, '#' black, 'r' red, 'b' blue, '?' anything else.
std::vector<std::string> Picture(const TBitmap& B) {
    static const std::map<TColor, char> Names = {
        {clWhite, '.'}, {clBlack, '#'}, {clRed, 'r'}, {clBlue, 'b'}, {clLime, 'g'}};
    std::vector<std::string> Rows;
    for (int Y = 0; Y < B.Height(); ++Y) {
        std::string Row;
        for (int X = 0; X < B.Width(); ++X) {
            auto It = Names.find(B.Pixel(X, Y));
            Row += It == Names.end() ? '?' : It->second;
        }
        Rows.push_back(Row);
    }
    return Rows;
}

int Count(const TBitmap& B, TColor C, TRect R) {
    int N = 0;
    for (int Y = R.Top; Y < R.Bottom; ++Y)
        for (int X = R.Left; X < R.Right; ++X) N += B.Pixel(X, Y) == C;
    return N;
}

// Box of pixels that differ from Background; empty when none do.
TRect Ink(const TBitmap& B, TColor Background) {
    TRect R{B.Width(), B.Height(), 0, 0};
    for (int Y = 0; Y < B.Height(); ++Y)
        for (int X = 0; X < B.Width(); ++X)
            if (B.Pixel(X, Y) != Background)
                R = {std::min(R.Left, X), std::min(R.Top, Y), std::max(R.Right, X + 1),
                     std::max(R.Bottom, Y + 1)};
    return R.Right > R.Left ? R : TRect{};
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
}  // namespace

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
    C->FillRect(Rect(0, 0, 8, 6));                                // a clear brush paints nothing
    EXPECT_EQ(Picture(*B), (std::vector<std::string>{"........",  //
                                                     ".rrr....",  //
                                                     ".rrr....",  //
                                                     "........",  //
                                                     ".....rr.",  //
                                                     "........"}));
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
        std::vector<std::string> Expected;
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
        if (R.PenWidth == 2)
            C->Rectangle(7, 6, 1, 1);  // corners in any order
        else
            C->Rectangle(1, 1, 7, 5);
        EXPECT_EQ(Picture(*B), R.Expected) << "pen width " << R.PenWidth;
    }
}

TEST(CanvasPenModeNot, InvertsEveryCoveredPixelOfRectanglesAndEllipses) {
    for (bool Solid : {true, false}) {
        auto B = MakeBitmap(12, 8);
        TCanvas* C = B->Canvas();
        C->Brush()->SetColor(clBlack);
        C->FillRect(Rect(0, 0, 6, 8));
        auto Before = Pixels(*B);
        C->Pen()->SetMode(pmNot);
        C->Pen()->SetColor(clRed);  // colours do not matter to the not mode
        C->Brush()->SetColor(clBlue);
        C->Brush()->SetStyle(Solid ? bsSolid : bsClear);
        C->Rectangle(2, 1, 10, 7);
        for (int Y = 0; Y < 8; ++Y)
            for (int X = 0; X < 12; ++X) {
                bool Inside = X >= 2 && X < 10 && Y >= 1 && Y < 7;
                bool Border = Inside && (X == 2 || X == 9 || Y == 1 || Y == 6);
                uint32_t Old = Before[Y * 12 + X];
                uint32_t Want = (Border || (Inside && Solid)) ? (~Old | 0xFF000000u) : Old;
                EXPECT_EQ(B->ScanLine(Y)[X], Want) << X << "," << Y << " solid " << Solid;
            }
    }
    // The ellipse in not mode changes exactly the pixels that a copy-mode ellipse paints.
    auto Copy = MakeBitmap(20, 14), Not = MakeBitmap(20, 14);
    Copy->Canvas()->Brush()->SetColor(clRed);
    Copy->Canvas()->Ellipse(1, 2, 19, 13);
    Not->Canvas()->Pen()->SetMode(pmNot);
    Not->Canvas()->Ellipse(1, 2, 19, 13);
    for (int Y = 0; Y < 14; ++Y)
        for (int X = 0; X < 20; ++X)
            EXPECT_EQ(Copy->Pixel(X, Y) != clWhite, Not->Pixel(X, Y) == clBlack) << X << "," << Y;
}

TEST(CanvasLine, LeavesTheEndPixelAndKeepsThePenPosition) {
    struct Row {
        TPoint From, To;
        std::vector<std::string> Expected;
    } Rows[] = {
        {{1, 1}, {6, 1}, {".......", ".#####.", ".......", ".......", "......."}},
        {{6, 1}, {1, 1}, {".......", "..#####", ".......", ".......", "......."}},
        {{2, 0}, {2, 4}, {"..#....", "..#....", "..#....", "..#....", "......."}},
        {{0, 0}, {4, 4}, {"#......", ".#.....", "..#....", "...#...", "......."}},
        {{6, 4}, {0, 1}, {".......", ".#.....", "..##...", "....##.", "......#"}},
        {{3, 3}, {3, 3}, {".......", ".......", ".......", ".......", "......."}},
    };
    for (auto& R : Rows) {
        auto B = MakeBitmap(7, 5);
        B->Canvas()->MoveTo(R.From.X, R.From.Y);
        B->Canvas()->LineTo(R.To.X, R.To.Y);
        EXPECT_EQ(Picture(*B), R.Expected)
            << R.From.X << "," << R.From.Y << " to " << R.To.X << "," << R.To.Y;
        EXPECT_EQ(B->Canvas()->PenPos(), R.To);
    }
    // Width 2: two rows thick, and still nothing at the end column.
    auto B = MakeBitmap(10, 6);
    B->Canvas()->Pen()->SetWidth(2);
    B->Canvas()->MoveTo(2, 3);
    B->Canvas()->LineTo(8, 3);
    int Rows2 = 0;
    for (int Y = 0; Y < 6; ++Y) Rows2 += B->Pixel(5, Y) == clBlack;
    EXPECT_EQ(Rows2, 2);
    for (int Y = 0; Y < 6; ++Y) EXPECT_EQ(B->Pixel(8, Y), clWhite);
    // A diagonal width-2 line in not mode inverts each covered pixel once.
    auto D = MakeBitmap(10, 10);
    D->Canvas()->Pen()->SetWidth(2);
    D->Canvas()->Pen()->SetMode(pmNot);
    D->Canvas()->MoveTo(1, 1);
    D->Canvas()->LineTo(9, 9);
    EXPECT_EQ(Count(*D, clBlack, Rect(0, 0, 10, 10)) + Count(*D, clWhite, Rect(0, 0, 10, 10)), 100);
    EXPECT_GT(Count(*D, clBlack, Rect(0, 0, 10, 10)), 8 * 2 - 1);
}

TEST(CanvasEllipse, IsInscribedInItsBoxSymmetricAndFilled) {
    const TRect Boxes[] = {Rect(2, 3, 12, 9), Rect(1, 1, 16, 16), Rect(0, 5, 30, 8),
                           Rect(4, 0, 6, 20), Rect(3, 3, 4, 4),   Rect(0, 0, 31, 21)};
    for (const TRect& Box : Boxes) {
        auto B = MakeBitmap(32, 22);
        B->Canvas()->Brush()->SetColor(clRed);
        B->Canvas()->Ellipse(Box.Left, Box.Top, Box.Right, Box.Bottom);
        EXPECT_EQ(Ink(*B, clWhite), Box)
            << "box " << Box.Left << "," << Box.Top << "," << Box.Right << "," << Box.Bottom;
        for (int Y = Box.Top; Y < Box.Bottom; ++Y)
            for (int X = Box.Left; X < Box.Right; ++X) {
                int MX = Box.Left + Box.Right - 1 - X, MY = Box.Top + Box.Bottom - 1 - Y;
                EXPECT_EQ(B->Pixel(X, Y), B->Pixel(MX, Y)) << X << "," << Y;
                EXPECT_EQ(B->Pixel(X, Y), B->Pixel(X, MY)) << X << "," << Y;
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
}

namespace {
// The gauge's pie: a background disc, then a sector filled in the fore colour for Percent.
std::unique_ptr<TBitmap> GaugePie(int Percent) {
    auto B = MakeBitmap(100, 100, clLime);
    TCanvas* C = B->Canvas();
    const int W = 99, H = 99;  // paint rectangle (1, 1, 99, 99) of a bordered 100 x 100 gauge, plus one
    C->Brush()->SetColor(clBlue);
    C->Pen()->SetColor(clBlack);
    C->Ellipse(1, 1, W, H);
    if (Percent > 0) {
        C->Brush()->SetColor(clRed);
        C->Pen()->SetColor(clRed);
        const int MX = W / 2, MY = H / 2;
        const double A = (Percent * 0.02 + 0.5) * M_PI;
        C->Pie(1, 1, W, H, static_cast<int>(std::floor(MX * (1 - std::cos(A)))),
               static_cast<int>(std::floor(MY * (1 - std::sin(A)))), MX, 0);
    }
    return B;
}
}  // namespace

TEST(CanvasPie, RunsCounterclockwiseFromTheFirstRayToTheSecond) {
    // Probes 30 pixels from the centre (50, 50), in the middle of each quadrant.
    const TPoint UpperRight{71, 29}, LowerRight{71, 71}, LowerLeft{29, 71}, UpperLeft{29, 29};
    struct Row {
        int Percent;
        bool UR, LR, LL, UL;
    } Rows[] = {{0, false, false, false, false},
                {25, true, false, false, false},
                {50, true, true, false, false},
                {75, true, true, true, false},
                {100, true, true, true, true}};
    for (auto& R : Rows) {
        auto B = GaugePie(R.Percent);
        auto Filled = [&](TPoint P) { return B->Pixel(P.X, P.Y) == clRed; };
        EXPECT_EQ(Filled(UpperRight), R.UR) << R.Percent;
        EXPECT_EQ(Filled(LowerRight), R.LR) << R.Percent;
        EXPECT_EQ(Filled(LowerLeft), R.LL) << R.Percent;
        EXPECT_EQ(Filled(UpperLeft), R.UL) << R.Percent;
        // The corners outside the ellipse keep the control's colour.
        EXPECT_EQ(B->Pixel(2, 2), clLime);
        EXPECT_EQ(B->Pixel(97, 97), clLime);
        // The sector never leaves the ellipse: what is red was blue or the outline before.
        auto Disc = GaugePie(0);
        for (int Y = 0; Y < 100; ++Y)
            for (int X = 0; X < 100; ++X)
                if (B->Pixel(X, Y) == clRed) {
                    ASSERT_NE(Disc->Pixel(X, Y), clLime) << X << "," << Y;
                }
        if (R.Percent == 25) {
            // The filled part is about a quarter of the disc.
            int Red = Count(*B, clRed, Rect(0, 0, 100, 100)),
                All = 100 * 100 - Count(*Disc, clLime, Rect(0, 0, 100, 100));
            EXPECT_NEAR(Red, All / 4, All / 25);
        }
        if (R.Percent == 100) {
            EXPECT_EQ(Count(*B, clBlue, Rect(0, 0, 100, 100)), 0);
        }
    }
    // Coinciding rays give the whole ellipse, whatever the direction.
    for (TPoint P : {Point(0, 10), Point(40, 0), Point(25, 25)}) {
        auto B = MakeBitmap(30, 20);
        B->Canvas()->Brush()->SetColor(clRed);
        B->Canvas()->Pie(0, 0, 30, 20, P.X, P.Y, P.X, P.Y);
        auto E = MakeBitmap(30, 20);
        E->Canvas()->Brush()->SetColor(clRed);
        E->Canvas()->Ellipse(0, 0, 30, 20);
        EXPECT_EQ(Ink(*B, clWhite), Rect(0, 0, 30, 20));
        for (int Y = 0; Y < 20; ++Y)
            for (int X = 0; X < 30; ++X) EXPECT_EQ(B->Pixel(X, Y) == clWhite, E->Pixel(X, Y) == clWhite);
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
    for (auto& R : Rows) {
        for (bool UseDraw : {true, false}) {
            TBitmap Dst;
            Dst.SetSize(9, 8);
            Scramble(Dst, 99);
            auto Before = Pixels(Dst);
            Dst.Canvas()->Brush()->SetColor(RGB(0x12, 0x34, 0x56));
            Dst.Canvas()->SetCopyMode(R.Mode);
            if (UseDraw)
                Dst.Canvas()->Draw(2, 1, &Src);
            else
                Dst.Canvas()->CopyRect(Rect(2, 1, 8, 6), Src.Canvas(), Rect(0, 0, 6, 5));
            const uint32_t P = ColorToPixel(RGB(0x12, 0x34, 0x56));
            for (int Y = 0; Y < 8; ++Y)
                for (int X = 0; X < 9; ++X) {
                    uint32_t D = Before[Y * 9 + X];
                    bool Inside = X >= 2 && X < 8 && Y >= 1 && Y < 6;
                    uint32_t Want = Inside ? (R.F(P, Src.ScanLine(Y - 1)[X - 2], D) | 0xFF000000u) : D;
                    ASSERT_EQ(Dst.ScanLine(Y)[X], Want)
                        << std::hex << R.Mode << " at " << std::dec << X << "," << Y;
                }
        }
    }
}

TEST(CanvasCopyMode, SourceInvertTwiceRestoresAndBlacknessIgnoresTheSource) {
    TBitmap A, Layer;
    A.SetSize(16, 12);
    Layer.SetSize(16, 12);
    Scramble(A, 3);
    Scramble(Layer, 4);
    auto Before = Pixels(A);
    A.Canvas()->SetCopyMode(cmSrcInvert);
    A.Canvas()->Draw(0, 0, &Layer);
    EXPECT_NE(Pixels(A), Before);
    A.Canvas()->Draw(0, 0, &Layer);
    EXPECT_EQ(Pixels(A), Before);
    // The gauge blackens a bitmap by copying it onto itself in blackness mode.
    A.Canvas()->SetCopyMode(cmBlackness);
    A.Canvas()->CopyRect(Rect(0, 0, 16, 12), A.Canvas(), Rect(0, 0, 16, 12));
    EXPECT_EQ(Count(A, clBlack, Rect(0, 0, 16, 12)), 16 * 12);
    // Without any source bitmap as well.
    Scramble(A, 5);
    A.Canvas()->CopyRect(Rect(2, 2, 5, 5), nullptr, Rect(0, 0, 3, 3));
    EXPECT_EQ(Count(A, clBlack, Rect(2, 2, 5, 5)), 9);
}

TEST(CanvasCopyRect, OverlappingCopiesOnOneCanvasMoveThePicture) {
    struct Row {
        int DX, DY;  // where the picture moves
        TCopyMode Mode;
    } Rows[] = {{-1, 0, cmSrcCopy}, {-3, 0, cmSrcCopy}, {2, 0, cmSrcCopy},    {0, 1, cmSrcCopy},
                {0, -2, cmSrcCopy}, {1, 1, cmSrcCopy},  {-1, 0, cmSrcInvert}, {1, 2, cmSrcInvert}};
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
                bool Moved = X >= Dst.Left && X < Dst.Right && Y >= Dst.Top && Y < Dst.Bottom;
                uint32_t From = Moved ? Before[(Y - R.DY) * 20 + (X - R.DX)] : 0;
                uint32_t Want = !Moved ? Old : R.Mode == cmSrcCopy ? From : (From ^ Old) | 0xFF000000u;
                ASSERT_EQ(B.ScanLine(Y)[X], Want) << R.DX << "," << R.DY << " at " << X << "," << Y;
            }
    }
}

TEST(CanvasCopyRect, StretchesAndClipsToBothBitmaps) {
    TBitmap Src;
    Src.SetSize(2, 2);
    Src.SetPixel(0, 0, clRed);
    Src.SetPixel(1, 0, clBlue);
    Src.SetPixel(0, 1, clBlack);
    Src.SetPixel(1, 1, clLime);
    auto B = MakeBitmap(6, 5);
    B->Canvas()->StretchDraw(Rect(0, 0, 4, 4), &Src);
    B->Canvas()->Draw(5, 3, &Src);  // only the left column lands inside
    EXPECT_EQ(Picture(*B), (std::vector<std::string>{"rrbb..", "rrbb..", "##gg..", "##gg.r", ".....#"}));
}

TEST(CanvasFocusRect, InvertsEveryOtherFramePixelAndRestoresWhenDrawnTwice) {
    for (TRect R : {Rect(1, 1, 9, 7), Rect(2, 2, 3, 8), Rect(0, 4, 10, 5), Rect(3, 3, 3, 6)}) {
        TBitmap B;
        B.SetSize(10, 8);
        Scramble(B, 21);
        auto Before = Pixels(B);
        ASSERT_TRUE(DrawFocusRect(B.Canvas(), R));
        int Changed = 0;
        for (int Y = 0; Y < 8; ++Y)
            for (int X = 0; X < 10; ++X) {
                bool OnFrame = X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom &&
                               (X == R.Left || X == R.Right - 1 || Y == R.Top || Y == R.Bottom - 1);
                uint32_t Old = Before[Y * 10 + X];
                if (B.ScanLine(Y)[X] != Old) {
                    ++Changed;
                    EXPECT_TRUE(OnFrame) << X << "," << Y;
                    EXPECT_EQ(B.ScanLine(Y)[X], ~Old | 0xFF000000u);
                }
                // Dotted: of two neighbours along the frame, at most one is inverted.
                if (OnFrame && X + 1 < R.Right && Y == R.Top) {
                    EXPECT_FALSE(B.ScanLine(Y)[X] != Old && B.ScanLine(Y)[X + 1] != Before[Y * 10 + X + 1]);
                }
            }
        if (R.Width() > 0) {
            EXPECT_GT(Changed, 0);
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
    EXPECT_EQ(Picture(*B), (std::vector<std::string>{"#####r",  //
                                                     "####rr",  //
                                                     "##..rr",  //
                                                     "##..rr",  //
                                                     "#rrrrr",  //
                                                     "rrrrrr"}));
}

TEST(CanvasClip, LimitsEveryPrimitive) {
    auto B = MakeBitmap(12, 12);
    TCanvas* C = B->Canvas();
    C->SetClipRect(Rect(3, 3, 9, 9));
    EXPECT_EQ(C->ClipRect(), Rect(3, 3, 9, 9));
    C->Brush()->SetColor(clRed);
    C->Rectangle(0, 0, 12, 12);
    C->Ellipse(0, 0, 12, 12);
    C->Pie(0, 0, 12, 12, 12, 6, 6, 0);
    C->MoveTo(0, 0);
    C->LineTo(12, 12);
    C->SetPixel(1, 1, clBlack);
    C->TextOut(0, 0, "Clipped text");
    EXPECT_EQ(Ink(*B, clWhite), Rect(3, 3, 9, 9));
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
    const TRect Cell = Rect(40, 10, 50, 22);
    for (bool NoClip : {true, false}) {
        auto B = MakeBitmap(90, 32);
        TCanvas* C = B->Canvas();
        C->Font()->SetColor(clBlack);
        SetBkMode(C, TRANSPARENT);
        TRect R = Cell;
        uint32_t Format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | (NoClip ? DT_NOCLIP : 0);
        EXPECT_EQ(Format == 0x125, NoClip);
        int H = DrawTextA(C, "WWWWWW", -1, &R, Format);
        EXPECT_EQ(H, C->TextHeight("WWWWWW"));
        TRect I = Ink(*B, clWhite);
        if (NoClip) {
            EXPECT_LT(I.Left, Cell.Left);
            EXPECT_GT(I.Right, Cell.Right);
            // Centred both ways: the ink's middle is the cell's middle, give or take a pixel
            // of glyph side bearing.
            EXPECT_NEAR(I.Left + I.Right, Cell.Left + Cell.Right, 3);
            EXPECT_NEAR(I.Top + I.Bottom, Cell.Top + Cell.Bottom, 5);
        } else {
            EXPECT_GE(I.Left, Cell.Left);
            EXPECT_LE(I.Right, Cell.Right);
            EXPECT_GE(I.Top, Cell.Top);
            EXPECT_LE(I.Bottom, Cell.Bottom);
        }
    }
    // A length cuts the text; opaque mode paints the brush behind it.
    auto B = MakeBitmap(90, 32);
    B->Canvas()->Brush()->SetColor(clBlue);
    TRect R = Rect(0, 0, 90, 32);
    DrawTextA(B->Canvas(), "W", 1, &R, DT_SINGLELINE);
    TCanvas* C = B->Canvas();
    const int W = C->TextWidth("W"), H = C->TextHeight("W");
    TRect I = Ink(*B, clWhite);
    EXPECT_EQ(I.Left, 0);
    EXPECT_EQ(I.Top, 0);
    EXPECT_EQ(I.Bottom, H);
    EXPECT_GE(I.Right, W);
    EXPECT_LE(I.Right, W + 1);  // a glyph may overhang its advance
    EXPECT_EQ(B->Pixel(0, H - 1), clBlue);
    EXPECT_EQ(B->Pixel(W + 2, 0), clWhite);
}

TEST(CanvasText, TextRectFillsItsRectangleAndClipsTheText) {
    for (TBrushStyle Style : {bsSolid, bsClear}) {
        auto B = MakeBitmap(60, 30);
        TCanvas* C = B->Canvas();
        C->Brush()->SetColor(clBlue);
        C->Brush()->SetStyle(Style);
        C->Font()->SetColor(clRed);
        const TRect R = Rect(10, 5, 30, 20);
        C->TextRect(R, 14, 6, "Clipped at the edge");
        TRect I = Ink(*B, clWhite);
        if (Style == bsSolid) {
            EXPECT_EQ(I, R);
            EXPECT_GT(Count(*B, clBlue, R), 0);
            EXPECT_LT(Count(*B, clBlue, R), R.Width() * R.Height());
        } else {
            EXPECT_GE(I.Left, 14);
            EXPECT_LE(I.Right, R.Right);  // cut at the edge, not before it
            EXPECT_GE(I.Right, R.Right - 2);
            EXPECT_GE(I.Top, 6);
            EXPECT_LE(I.Bottom, R.Bottom);
        }
    }
}

TEST(CanvasText, TextOutIsOpaqueOnlyInOpaqueModeWithASolidBrush) {
    struct Row {
        int Mode;
        TBrushStyle Style;
        bool Opaque;
    } Rows[] = {{OPAQUE, bsSolid, true}, {TRANSPARENT, bsSolid, false}, {OPAQUE, bsClear, false}};
    for (auto& R : Rows) {
        auto B = MakeBitmap(60, 30);
        TCanvas* C = B->Canvas();
        C->Brush()->SetColor(clBlue);
        C->Brush()->SetStyle(R.Style);
        C->SetBkMode(R.Mode);
        C->TextOut(5, 4, "Abc");
        const TRect Cell = Rect(5, 4, 5 + C->TextWidth("Abc"), 4 + C->TextHeight("Abc"));
        EXPECT_EQ(Count(*B, clBlue, Cell) > Cell.Width() * Cell.Height() / 2, R.Opaque);
        EXPECT_EQ(C->PenPos(), Point(Cell.Right, 4));
        TRect I = Ink(*B, clWhite);
        EXPECT_GE(I.Left, Cell.Left);
        EXPECT_LE(I.Right, Cell.Right + 1);
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
        C->Font()->SetColor(clBlack);
        C->SetBkMode(TRANSPARENT);
        const int W = C->TextWidth(R.Text), H = C->TextHeight(R.Text);
        C->TextOut(10, 10, R.Text);
        TRect I = Ink(*B, clWhite);
        SCOPED_TRACE(std::string(R.Face) + " " + R.Text);
        EXPECT_GE(I.Left, 10);
        EXPECT_LE(I.Right, 10 + W + 1);
        EXPECT_GE(I.Top, 10);
        EXPECT_LE(I.Bottom, 10 + H);
        EXPECT_GT(I.Width(), W * 8 / 10);
        EXPECT_GT(I.Height(), std::abs(R.Height) / 2);
        if (R.Height < 0) {  // character height plus leading
            EXPECT_GE(H, -R.Height);
        }
        if (R.Height > 0) {  // the whole cell
            EXPECT_NEAR(H, R.Height, 1);
        }
    }
    // The stand-in for 굴림체 is a coding face: Hangul takes two Latin cells, Latin letters one.
    TBitmap B;
    TCanvas* C = B.Canvas();
    C->Font()->SetName("굴림체");
    C->Font()->SetHeight(-12);
    EXPECT_EQ(C->TextWidth("iiii"), C->TextWidth("WWWW"));
    EXPECT_EQ(C->TextWidth("가나"), C->TextWidth("abcd"));
    C->Font()->SetName("MS Sans Serif");
    EXPECT_LT(C->TextWidth("iiii"), C->TextWidth("WWWW"));
    // Different syllables draw different glyphs (no missing-glyph boxes).
    auto Draw = [](const char* S) {
        auto Bmp = MakeBitmap(30, 20);
        Bmp->Canvas()->Font()->SetName("굴림체");
        Bmp->Canvas()->Font()->SetHeight(-14);
        Bmp->Canvas()->TextOut(2, 2, S);
        return Pixels(*Bmp);
    };
    EXPECT_NE(Draw("가"), Draw("힣"));
    EXPECT_NE(Draw("일"), Draw("월"));
}

// A sheet of every primitive, kept as a picture for people to look at.
TEST(CanvasSheet, WritesAPictureOfThePrimitives) {
    auto B = MakeBitmap(420, 200, clBtnFace);
    TCanvas* C = B->Canvas();
    C->Brush()->SetColor(clWhite);
    C->Rectangle(10, 10, 60, 50);
    C->Brush()->SetColor(clYellow);
    C->Pen()->SetWidth(2);
    C->Rectangle(70, 10, 120, 50);
    C->Pen()->SetWidth(1);
    C->Brush()->SetColor(clAqua);
    C->Ellipse(130, 10, 200, 50);
    for (int I = 0; I < 4; ++I) {
        const int L = 210 + I * 50, P = (I + 1) * 25;
        C->Brush()->SetColor(clWhite);
        C->Pen()->SetColor(clBlack);
        C->Ellipse(L, 10, L + 41, 51);
        C->Brush()->SetColor(clNavy);
        C->Pen()->SetColor(clNavy);
        const int MX = 20, MY = 20;
        const double A = (P * 0.02 + 0.5) * M_PI;
        C->Pie(L, 10, L + 41, 51, L + static_cast<int>(std::floor(MX * (1 - std::cos(A)))),
               10 + static_cast<int>(std::floor(MY * (1 - std::sin(A)))), L + MX, 10);
    }
    C->Pen()->SetColor(clRed);
    for (int I = 0; I < 8; ++I) {
        C->MoveTo(10, 70);
        C->LineTo(10 + I * 10, 120);
    }
    C->Pen()->SetWidth(2);
    C->MoveTo(100, 70);
    C->LineTo(160, 120);
    C->Pen()->SetWidth(1);
    C->Pen()->SetMode(pmNot);
    C->Brush()->SetColor(clWhite);
    C->Rectangle(30, 60, 110, 100);
    C->Pen()->SetMode(pmCopy);
    TRect F = Rect(180, 65, 230, 115);
    Frame3D(C, F, clBtnShadow, clBtnHighlight, 2);
    C->DrawFocusRect(Rect(F.Left + 3, F.Top + 3, F.Right - 3, F.Bottom - 3));
    C->Font()->SetName("굴림체");
    C->Font()->SetHeight(-12);
    C->Font()->SetColor(clBlack);
    C->Brush()->SetColor(clWhite);
    C->TextOut(250, 70, "총 3 건의 일정이 있습니다.");
    C->Font()->SetName("MS Sans Serif");
    C->Font()->SetHeight(-11);
    C->Brush()->SetColor(clHighlight);
    C->Font()->SetColor(clHighlightText);
    C->TextRect(Rect(250, 90, 272, 105), 255, 91, "12");
    C->Brush()->SetColor(clWhite);
    C->Font()->SetColor(clBlack);
    C->TextRect(Rect(275, 90, 297, 105), 280, 91, "13");
    TCanvas* Cc = C;
    SetBkMode(Cc, TRANSPARENT);
    TRect Mark = Rect(320, 90, 335, 105);
    Cc->Brush()->SetColor(clRed);
    Cc->FillRect(Mark);
    DrawTextA(Cc, "FGBG", -1, &Mark, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    C->Brush()->SetColor(clBlack);
    C->FillRect(Rect(10, 140, 410, 190));
    TBitmap Layer;
    Layer.SetSize(400, 50);
    Layer.Canvas()->Brush()->SetColor(clBlack);
    Layer.Canvas()->FillRect(Rect(0, 0, 400, 50));
    Layer.Canvas()->Brush()->SetColor(clRed);
    Layer.Canvas()->FillRect(Rect(0, 0, 200, 50));
    Layer.Canvas()->Brush()->SetStyle(bsClear);
    Layer.Canvas()->Font()->SetColor(clWhite);
    Layer.Canvas()->Font()->SetHeight(-24);
    Layer.Canvas()->TextOut(170, 10, "50%");
    C->SetCopyMode(cmSrcInvert);
    C->Draw(10, 140, &Layer);
    C->SetCopyMode(cmSrcCopy);
    const std::string Path = ArtifactPath("graphics-sheet.png");
    ASSERT_TRUE(B->SavePng(Path));
    EXPECT_GT(ReadFile(Path).size(), 1000u);
}
