#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <numbers>
#include <tuple>

#include "controls/Cgauges.h"
#include "platform/rtl/Resources.h"
#include "tests/support/Support.h"

namespace {

class CountingGauge : public TCGauge {
  public:
    using TCGauge::TCGauge;
    int Paints = 0;

  protected:
    void Paint() override {
        ++Paints;
        TCGauge::Paint();
    }
};

// Widens the range first so that any bounds can be set without tripping the range checks.
void SetRange(TCGauge& G, int32_t Min, int32_t Max) {
    G.SetMaxValue(INT32_MAX);
    G.SetMinValue(Min);
    G.SetMaxValue(Max);
}

// The message of the exception that Change raises, or "accepted".
AnsiString Refusal(const std::function<void()>& Change) {
    try {
        Change();
    } catch (const Exception& E) {
        return E.Message();
    }
    return "accepted";
}

bool Inside(const TRect& R, int X, int Y) {
    return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}

// Compares every pixel with the expected colour; reports how many differ and the first one.
::testing::AssertionResult PixelsAre(const TBitmap* B, const std::function<TColor(int, int)>& Expected) {
    int Wrong = 0;
    AnsiString First;
    for (int Y = 0; Y < B->Height(); ++Y)
        for (int X = 0; X < B->Width(); ++X)
            if (B->Pixel(X, Y) != Expected(X, Y) && Wrong++ == 0)
                First = Format("(%d, %d) is %06X, expected %06X", X, Y, B->Pixel(X, Y), Expected(X, Y));
    if (Wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Wrong << " pixels differ; first " << First;
}

// The percentage of gauge G in white glyphs (smoothed to greys) combined by exclusive-or with what
// lies beneath, Fore left of column BarEnd and Back from it on: every changed pixel has an equal
// amount flipped in each channel, some near the inverse colour, all within the box of the text,
// and both the number and the percent sign show.
::testing::AssertionResult ShowsText(const TCGauge& G, int BarEnd, TColor Fore, TColor Back) {
    const AnsiString Number = IntToStr(G.PercentDone());
    TBitmap Measure;
    TCanvas* M = Measure.Canvas();
    M->SetFont(*G.Font());
    const int TW = M->TextWidth(Number + "%"), TH = M->TextHeight(Number + "%");
    const TRect Box{(99 - TW) / 2, (99 - TH) / 2, (99 - TW) / 2 + TW, (99 - TH) / 2 + TH};
    const int SignAt = Box.Left + M->TextWidth(Number);
    int Digits = 0, Sign = 0, Strong = 0, Stray = 0, NotXor = 0;
    for (int Y = 1; Y < 99; ++Y)
        for (int X = 1; X < 99; ++X) {
            const TColor Mask = G.Surface()->Pixel(X, Y) ^ (X < BarEnd ? Fore : Back);
            if (Mask == 0) continue;
            ++(X < SignAt ? Digits : Sign);
            if (!Inside(Box, X, Y)) ++Stray;
            if (GetRValue(Mask) != GetGValue(Mask) || GetGValue(Mask) != GetBValue(Mask)) ++NotXor;
            if (GetRValue(Mask) >= 0xC0) ++Strong;
        }
    if (Digits > 5 && Sign > 5 && Strong > 5 && Stray == 0 && NotXor == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << Number << "%: " << Digits << " pixels in the number, " << Sign << " in the sign, " << Strong
           << " strong, " << Stray << " outside, " << NotXor << " not inverted";
}

constexpr TColor Fore = clBlue, Back = clYellow, Face = clLime;

struct GaugeFixture : ::testing::Test {
    TCGauge G{nullptr};

    // The gauge in recognisable colours, painted once.
    TBitmap* Painted(TCGaugeKind Kind, TFormBorderStyle Border, int32_t Percent, bool Text = false) {
        G.SetForeColor(Fore);
        G.SetBackColor(Back);
        G.SetColor(Face);
        G.SeTCGaugeKind(Kind);
        G.SetBorderStyle(Border);
        G.SetShowText(Text);
        G.SetProgress(Percent);
        G.Refresh();
        return G.Surface();
    }
};

}  // namespace

TEST(GaugePercent, FollowsRangeIn64Bits) {
    const struct {
        int32_t Min, Max, Progress, Percent;
    } Rows[] = {
        {0, 100, 29, 29},
        {0, 3, 0, 0},
        {0, 3, 1, 33},
        {0, 3, 2, 66},
        {0, 3, 3, 100},
        {-50, 50, 0, 50},
        {-50, 50, -50, 0},
        {-50, 50, 50, 100},
        {INT32_MIN, INT32_MIN, INT32_MIN, 0},
        {INT32_MIN, INT32_MAX, INT32_MIN, 0},
        {INT32_MIN, INT32_MAX, 0, 50},
        {INT32_MIN, INT32_MAX, INT32_MAX - 1, 99},
        {INT32_MIN, INT32_MAX, INT32_MAX, 100},
        {INT32_MAX - 1, INT32_MAX, INT32_MAX, 100},
    };
    for (const auto& R : Rows) {
        TCGauge G(nullptr);
        SetRange(G, R.Min, R.Max);
        G.SetProgress(R.Progress);
        EXPECT_EQ(G.Progress(), R.Progress);
        EXPECT_EQ(G.PercentDone(), R.Percent) << R.Min << ".." << R.Max << " at " << R.Progress;
    }
}

TEST(GaugeRange, RefusesInvertedBoundsClampsAndSaturates) {
    TCGauge G(nullptr);
    G.SetProgress(40);
    EXPECT_EQ(Refusal([&] { G.SetMinValue(150); }), Format(SOutOfRange, -2147483647, 99));
    EXPECT_EQ(Refusal([&] { G.SetMaxValue(-1); }), Format(SOutOfRange, 1, 2147483647));
    EXPECT_EQ(G.MinValue(), 0);
    EXPECT_EQ(G.MaxValue(), 100);
    EXPECT_EQ(G.Progress(), 40);

    // Moving a bound past the progress takes the progress along.
    G.SetMinValue(60);
    EXPECT_EQ(G.Progress(), 60);
    G.SetMinValue(0);
    G.SetProgress(40);
    G.SetMaxValue(30);
    EXPECT_EQ(G.Progress(), 30);

    G.SetMinValue(-10);  // a maximum of 0 above a negative minimum is a valid range
    G.SetMaxValue(0);
    EXPECT_EQ(G.Progress(), 0);
    G.SetMaxValue(30);
    G.SetMinValue(30);  // equal bounds are a valid range
    EXPECT_EQ(G.MinValue(), 30);
    SetRange(G, 0, 100);
    G.SetProgress(150);
    EXPECT_EQ(G.Progress(), 100);
    G.SetProgress(-5);
    EXPECT_EQ(G.Progress(), 0);

    // The limits of the message stay within 32 bits when the bounds sit at them.
    SetRange(G, INT32_MIN, INT32_MIN);
    EXPECT_EQ(Refusal([&] { G.SetMinValue(0); }), Format(SOutOfRange, -2147483647, INT32_MIN));
    SetRange(G, INT32_MAX, INT32_MAX);
    EXPECT_EQ(Refusal([&] { G.SetMaxValue(0); }), Format(SOutOfRange, INT32_MAX, 2147483647));

    // A step past the 32-bit limit stays at the top.
    SetRange(G, 0, INT32_MAX);
    G.SetProgress(INT32_MAX - 1);
    G.AddProgress(5);
    EXPECT_EQ(G.Progress(), INT32_MAX);
    G.AddProgress(-10);
    EXPECT_EQ(G.Progress(), INT32_MAX - 10);
}

TEST(GaugeRepaint, OnlyRealChangesRepaint) {
    const struct {
        const char* What;
        std::function<void(TCGauge&)> Change;
        int Paints;
    } Rows[] = {
        {"clamped to the same progress", [](TCGauge& G) { G.SetProgress(-5); }, 0},
        {"value without a new percentage", [](TCGauge& G) { G.SetProgress(1); }, 0},
        {"kind", [](TCGauge& G) { G.SeTCGaugeKind(gkPie); }, 1},
        {"text flag", [](TCGauge& G) { G.SetShowText(false); }, 1},
        {"border", [](TCGauge& G) { G.SetBorderStyle(bsNone); }, 1},
        {"fore colour", [](TCGauge& G) { G.SetForeColor(clRed); }, 1},
        {"back colour", [](TCGauge& G) { G.SetBackColor(clRed); }, 1},
        {"minimum", [](TCGauge& G) { G.SetMinValue(5); }, 1},
        {"maximum", [](TCGauge& G) { G.SetMaxValue(500); }, 1},
        {"new percentage", [](TCGauge& G) { G.SetProgress(10); }, 1},
        {"added step without a new percentage", [](TCGauge& G) { G.AddProgress(1); }, 1},
        {"added step with a new percentage", [](TCGauge& G) { G.AddProgress(10); }, 2},
    };
    for (const auto& R : Rows) {
        CountingGauge G(nullptr);
        G.SetMaxValue(1000);
        G.Paints = 0;
        R.Change(G);
        EXPECT_EQ(G.Paints, R.Paints) << R.What;
    }
}

TEST_F(GaugeFixture, BarsFillTheirExactRectangles) {
    const struct {
        TCGaugeKind Kind;
        TFormBorderStyle Border;
        int32_t Percent;
        TRect Filled;  // in ForeColor; empty when nothing is filled
    } Rows[] = {
        {gkHorizontalBar, bsSingle, 0, {}},
        {gkHorizontalBar, bsSingle, 50, {1, 1, 49, 99}},
        {gkHorizontalBar, bsSingle, 100, {1, 1, 99, 99}},
        {gkHorizontalBar, bsNone, 0, {}},
        {gkHorizontalBar, bsNone, 50, {0, 0, 50, 100}},
        {gkHorizontalBar, bsNone, 100, {0, 0, 100, 100}},
        {gkVerticalBar, bsSingle, 0, {}},
        {gkVerticalBar, bsSingle, 50, {1, 50, 99, 99}},
        {gkVerticalBar, bsSingle, 100, {1, 1, 99, 99}},
        {gkVerticalBar, bsNone, 0, {}},
        {gkVerticalBar, bsNone, 50, {0, 51, 100, 100}},
        {gkVerticalBar, bsNone, 100, {0, 1, 100, 100}},  // the top row keeps the background
    };
    for (const auto& R : Rows) {
        const TBitmap* S = Painted(R.Kind, R.Border, R.Percent);
        const TRect Area = R.Border == bsSingle ? TRect{1, 1, 99, 99} : TRect{0, 0, 100, 100};
        EXPECT_TRUE(PixelsAre(S,
                              [&](int X, int Y) {
                                  return Inside(R.Filled, X, Y) ? Fore : Inside(Area, X, Y) ? Back : clBlack;
                              }))
            << "kind " << int(R.Kind) << " border " << int(R.Border) << " at " << R.Percent << "%";
    }
}

TEST_F(GaugeFixture, PieFillsClockwiseFromTheTop) {
    // Ellipse (1, 1, 99, 99): centre near (50, 50), corners outside it in the control's colour.
    const TPoint Corners[] = {{2, 2}, {97, 2}, {2, 97}, {97, 97}};
    const TPoint Quadrants[] = {{72, 28}, {72, 72}, {28, 72}, {28, 28}};  // clockwise from 12 o'clock
    for (int Percent = 0; Percent <= 100; Percent += 25) {
        const TBitmap* S = Painted(gkPie, bsSingle, Percent);
        for (TPoint C : Corners) EXPECT_EQ(S->Pixel(C.X, C.Y), Face) << Percent << "% corner " << C.X;
        for (int Q = 0; Q < 4; ++Q)
            EXPECT_EQ(S->Pixel(Quadrants[Q].X, Quadrants[Q].Y), Q < Percent / 25 ? Fore : Back)
                << Percent << "% quadrant " << Q;
        EXPECT_EQ(S->Pixel(50, 1), Fore) << "outline at the top, " << Percent;
        EXPECT_EQ(S->Pixel(0, 0), clBlack);
    }
    // At 100 % the rays coincide: the whole disc, with no sliver left at 12 o'clock.
    const TBitmap* S = G.Surface();
    EXPECT_TRUE(PixelsAre(S, [&](int X, int Y) {
        double DX = (X + 0.5 - 50) / 49, DY = (Y + 0.5 - 50) / 49;
        return DX * DX + DY * DY < 0.9 ? Fore : S->Pixel(X, Y);
    }));
}

TEST_F(GaugeFixture, NeedleEndsAndBaseLine) {
    const TBitmap* S = Painted(gkNeedle, bsSingle, 0);
    EXPECT_EQ(S->Pixel(50, 50), Back) << "no needle at 0 %";
    EXPECT_EQ(S->Pixel(2, 2), Face) << "outside the dial";
    EXPECT_EQ(S->Pixel(97, 2), Face);
    for (int X = 1; X <= 99; ++X) EXPECT_EQ(S->Pixel(X, 99), Fore) << "base line at " << X;
    EXPECT_EQ(S->Pixel(0, 99), clBlack);

    S = Painted(gkNeedle, bsSingle, 50);
    for (int Y = 1; Y <= 98; ++Y) EXPECT_EQ(S->Pixel(50, Y), Fore) << "needle straight up at " << Y;
    EXPECT_EQ(S->Pixel(50, 0), clBlack) << "the end point stays unpainted";
    EXPECT_EQ(S->Pixel(30, 60), Back);

    S = Painted(gkNeedle, bsSingle, 100);
    for (int X = 50; X <= 99; ++X) EXPECT_EQ(S->Pixel(X, 98), Fore) << "needle to the right at " << X;
}

TEST_F(GaugeFixture, TextIsInvertedOverBarAndBackground) {
    const struct {
        TCGaugeKind Kind;
        int32_t Percent;
        int BarEnd;  // ForeColor lies under the text left of this column, BackColor from it on
    } Rows[] = {{gkHorizontalBar, 100, 99},
                {gkHorizontalBar, 50, 49},
                {gkHorizontalBar, 0, 0},
                {gkText, 100, 0},
                {gkText, 0, 0}};
    for (const auto& R : Rows) {
        Painted(R.Kind, bsSingle, R.Percent, true);
        EXPECT_TRUE(ShowsText(G, R.BarEnd, Fore, Back)) << "kind " << int(R.Kind);
    }
}

// Without a border and between the quarters: the pie's sector ends at its angle clockwise from
// 12 o'clock, the needle points along its angle from the left.
TEST_F(GaugeFixture, PieAndNeedleAtAnyPercentage) {
    for (int32_t Percent : {10, 40, 60, 90}) {
        const TBitmap* S = Painted(gkPie, bsNone, Percent);
        for (auto [Degrees, Colour] : {std::pair{3.6 * Percent - 6, Fore}, {3.6 * Percent + 6, Back}}) {
            const double A = Degrees * std::numbers::pi / 180;
            const int X = 50 + static_cast<int>(std::lround(30 * std::sin(A)));
            const int Y = 50 - static_cast<int>(std::lround(30 * std::cos(A)));
            EXPECT_EQ(S->Pixel(X, Y), Colour) << Percent << "% at " << Degrees << " degrees";
        }
    }
    for (int32_t Percent : {10, 30, 70, 90}) {
        const TBitmap* S = Painted(gkNeedle, bsNone, Percent);
        const double A = Percent * 0.01 * std::numbers::pi;
        // Halfway from (50, 99) to the end on the half ellipse, within a pixel.
        const int X = (50 + static_cast<int>(std::floor(50 * (1 - std::cos(A))))) / 2;
        const int Y = (99 + static_cast<int>(std::floor(99 * (1 - std::sin(A))))) / 2;
        int Near = 0;
        for (int DY = -1; DY <= 1; ++DY)
            for (int DX = -1; DX <= 1; ++DX) Near += S->Pixel(X + DX, Y + DY) == Fore;
        EXPECT_GT(Near, 0) << Percent << "%";
    }
}

// However small the pie, a few percent fill a small sector and all but a few nearly the whole.
TEST_F(GaugeFixture, SmallPiesNeverFillTheWholeDiscEarly) {
    auto Count = [](const TBitmap* S, TColor C) {
        int N = 0;
        for (int Y = 0; Y < S->Height(); ++Y)
            for (int X = 0; X < S->Width(); ++X) N += S->Pixel(X, Y) == C;
        return N;
    };
    for (int Size : {10, 11, 16, 21, 32, 33}) {
        G.SetBounds(0, 0, Size, Size);
        for (TFormBorderStyle Border : {bsSingle, bsNone}) {
            const TBitmap* S = Painted(gkPie, Border, 0);
            const int Outline = Count(S, Fore), Inside = Count(S, Back);
            for (int32_t Percent : {1, 2, 3, 4, 96, 97, 98, 99}) {
                const int Filled = Count(Painted(gkPie, Border, Percent), Fore) - Outline;
                EXPECT_EQ(Filled * 2 < Inside, Percent < 50)
                    << Size << " pixels, border " << int(Border) << ", " << Percent << "%: " << Filled
                    << " of " << Inside;
            }
        }
    }
}
