#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <memory>

#include "controls/Cgauges.h"
#include "platform/classes/FormIO.h"
#include "platform/classes/Registry.h"
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

constexpr TColor Fore = clBlue, Back = clYellow, Face = clLime;

struct GaugeFixture : ::testing::Test {
    std::unique_ptr<CountingGauge> G = std::make_unique<CountingGauge>(nullptr);

    // A gauge in recognisable colours, painted once.
    TBitmap* Painted(TCGaugeKind Kind, TFormBorderStyle Border, int32_t Percent, bool Text = false) {
        G->SetForeColor(Fore);
        G->SetBackColor(Back);
        G->SetColor(Face);
        G->SeTCGaugeKind(Kind);
        G->SetBorderStyle(Border);
        G->SetShowText(Text);
        G->SetProgress(Percent);
        G->Refresh();
        return G->Surface();
    }
};

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

bool Inside(const TRect& R, int X, int Y) {
    return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}

}  // namespace

TEST(GaugePercent, FollowsRangeIn64Bits) {
    struct Row {
        int32_t Min, Max, Progress, Percent;
    } Rows[] = {
        {0, 100, 29, 29},
        {0, 100, 100, 100},
        {0, 100, 0, 0},
        {0, 3, 1, 33},
        {0, 3, 2, 66},
        {-50, 50, 0, 50},
        {7, 7, 7, 0},
        {INT32_MIN, INT32_MIN, INT32_MIN, 0},
        {INT32_MIN, INT32_MAX, INT32_MIN, 0},
        {INT32_MIN, INT32_MAX, 0, 50},
        {INT32_MIN, INT32_MAX, INT32_MAX - 1, 99},
        {INT32_MIN, INT32_MAX, INT32_MAX, 100},
        {INT32_MAX - 1, INT32_MAX, INT32_MAX, 100},
    };
    for (const Row& R : Rows) {
        TCGauge G(nullptr);
        SetRange(G, R.Min, R.Max);
        G.SetProgress(R.Progress);
        EXPECT_EQ(G.Progress(), R.Progress);
        EXPECT_EQ(G.PercentDone(), R.Percent) << R.Min << ".." << R.Max << " at " << R.Progress;
    }
}

TEST(GaugeRange, RefusesInvertedBoundsAndKeepsTheInvariant) {
    TCGauge G(nullptr);
    G.SetProgress(40);
    try {
        G.SetMinValue(150);
        FAIL() << "a minimum above the maximum was accepted";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), Format(SOutOfRange, -2147483647, 99));
    }
    try {
        G.SetMaxValue(-1);
        FAIL() << "a maximum below the minimum was accepted";
    } catch (const Exception& E) {
        EXPECT_EQ(E.Message(), Format(SOutOfRange, 1, 2147483647));
    }
    EXPECT_EQ(G.MinValue(), 0);
    EXPECT_EQ(G.MaxValue(), 100);
    EXPECT_EQ(G.Progress(), 40);

    G.SetMinValue(60);
    EXPECT_EQ(G.Progress(), 60);
    G.SetMinValue(0);
    G.SetProgress(40);
    G.SetMaxValue(30);
    EXPECT_EQ(G.Progress(), 30);

    G.SetMinValue(-10);
    G.SetMaxValue(0);
    EXPECT_EQ(G.Progress(), 0);
    G.SetMinValue(0);  // equal bounds are a valid range
    EXPECT_EQ(G.MinValue(), G.MaxValue());
    EXPECT_EQ(G.PercentDone(), 0);

    G.SetProgress(150);
    EXPECT_EQ(G.Progress(), 0);
    SetRange(G, 0, 100);
    G.SetProgress(150);
    EXPECT_EQ(G.Progress(), 100);
    G.SetProgress(-5);
    EXPECT_EQ(G.Progress(), 0);

    // The limits of the message stay within 32 bits when the bounds sit at them.
    SetRange(G, INT32_MIN, INT32_MIN);
    EXPECT_THROW(G.SetMinValue(0), Exception);
    SetRange(G, INT32_MAX, INT32_MAX);
    EXPECT_THROW(G.SetMaxValue(0), Exception);
}

TEST(GaugeRange, AddProgressSaturatesAtTheLimit) {
    TCGauge G(nullptr);
    SetRange(G, 0, INT32_MAX);
    G.SetProgress(INT32_MAX - 1);
    G.AddProgress(5);
    EXPECT_EQ(G.Progress(), INT32_MAX);
    G.AddProgress(-10);
    EXPECT_EQ(G.Progress(), INT32_MAX - 10);
}

TEST(GaugeRepaint, OnlyRealChangesRepaint) {
    struct Row {
        const char* What;
        std::function<void(TCGauge&)> Change;
        int Paints;
    } Rows[] = {
        {"same kind", [](TCGauge& G) { G.SeTCGaugeKind(gkHorizontalBar); }, 0},
        {"same text flag", [](TCGauge& G) { G.SetShowText(true); }, 0},
        {"same border", [](TCGauge& G) { G.SetBorderStyle(bsSingle); }, 0},
        {"same fore colour", [](TCGauge& G) { G.SetForeColor(clBlack); }, 0},
        {"same back colour", [](TCGauge& G) { G.SetBackColor(clWhite); }, 0},
        {"same minimum", [](TCGauge& G) { G.SetMinValue(0); }, 0},
        {"same maximum", [](TCGauge& G) { G.SetMaxValue(1000); }, 0},
        {"same progress", [](TCGauge& G) { G.SetProgress(0); }, 0},
        {"clamped to the same progress", [](TCGauge& G) { G.SetProgress(-5); }, 0},
        {"value without a new percentage", [](TCGauge& G) { G.SetProgress(1); }, 0},
        {"refused minimum", [](TCGauge& G) { EXPECT_THROW(G.SetMinValue(2000), Exception); }, 0},
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
    for (const Row& R : Rows) {
        CountingGauge G(nullptr);
        G.SetMaxValue(1000);
        G.Paints = 0;
        R.Change(G);
        EXPECT_EQ(G.Paints, R.Paints) << R.What;
    }
}

TEST_F(GaugeFixture, BarsFillTheirExactRectangles) {
    struct Row {
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
    for (const Row& R : Rows) {
        TBitmap* S = Painted(R.Kind, R.Border, R.Percent);
        ASSERT_EQ(S->Width(), 100);
        ASSERT_EQ(S->Height(), 100);
        TRect Area = R.Border == bsSingle ? TRect{1, 1, 99, 99} : TRect{0, 0, 100, 100};
        EXPECT_TRUE(PixelsAre(S,
                              [&](int X, int Y) {
                                  if (Inside(R.Filled, X, Y)) return Fore;
                                  return Inside(Area, X, Y) ? Back : clBlack;
                              }))
            << "kind " << int(R.Kind) << " border " << int(R.Border) << " at " << R.Percent << "%";
    }
}

TEST_F(GaugeFixture, PieFillsClockwiseFromTheTop) {
    // Ellipse (1, 1, 99, 99): centre near (50, 50), corners outside it in the control's colour.
    const TPoint Corners[] = {{2, 2}, {97, 2}, {2, 97}, {97, 97}};
    const TPoint TopRight{72, 28}, BottomRight{72, 72}, BottomLeft{28, 72}, TopLeft{28, 28};
    struct Row {
        int32_t Percent;
        bool TopRight, BottomRight, BottomLeft, TopLeft;  // quadrant in ForeColor
    } Rows[] = {
        {0, false, false, false, false}, {25, true, false, false, false}, {50, true, true, false, false},
        {75, true, true, true, false},   {100, true, true, true, true},
    };
    for (const Row& R : Rows) {
        TBitmap* S = Painted(gkPie, bsSingle, R.Percent);
        for (TPoint C : Corners) EXPECT_EQ(S->Pixel(C.X, C.Y), Face) << R.Percent << "% corner " << C.X;
        EXPECT_EQ(S->Pixel(TopRight.X, TopRight.Y), R.TopRight ? Fore : Back) << R.Percent;
        EXPECT_EQ(S->Pixel(BottomRight.X, BottomRight.Y), R.BottomRight ? Fore : Back) << R.Percent;
        EXPECT_EQ(S->Pixel(BottomLeft.X, BottomLeft.Y), R.BottomLeft ? Fore : Back) << R.Percent;
        EXPECT_EQ(S->Pixel(TopLeft.X, TopLeft.Y), R.TopLeft ? Fore : Back) << R.Percent;
        EXPECT_EQ(S->Pixel(50, 1), Fore) << "outline at the top, " << R.Percent;
        EXPECT_EQ(S->Pixel(0, 0), clBlack);
    }
    // At 100 % the rays coincide: the whole disc, with no sliver left at 12 o'clock.
    TBitmap* S = Painted(gkPie, bsSingle, 100);
    EXPECT_TRUE(PixelsAre(S, [&](int X, int Y) {
        double DX = (X + 0.5 - 50) / 49, DY = (Y + 0.5 - 50) / 49;
        if (DX * DX + DY * DY < 0.9) return Fore;
        return S->Pixel(X, Y);
    }));
}

TEST_F(GaugeFixture, NeedleEndsAndBaseLine) {
    TBitmap* S = Painted(gkNeedle, bsSingle, 0);
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
    struct Row {
        TCGaugeKind Kind;
        int32_t Percent;
        int BarEnd;  // ForeColor lies under the text left of this column, BackColor from it on
    } Rows[] = {{gkHorizontalBar, 100, 99},
                {gkHorizontalBar, 50, 49},
                {gkHorizontalBar, 0, 0},
                {gkText, 100, 0},
                {gkText, 0, 0}};
    for (const Row& R : Rows) {
        TBitmap* S = Painted(R.Kind, bsSingle, R.Percent, true);
        AnsiString Text = IntToStr(R.Percent) + "%";
        TBitmap Measure;
        Measure.Canvas()->SetFont(*G->Font());
        int TW = Measure.Canvas()->TextWidth(Text), TH = Measure.Canvas()->TextHeight(Text);
        TRect Box{(99 - TW) / 2, (99 - TH) / 2, (99 - TW) / 2 + TW, (99 - TH) / 2 + TH};
        // White glyphs (smoothed to greys) combined by exclusive-or: every changed pixel is the
        // colour beneath with an equal amount flipped in each channel.
        int Glyph = 0, Strong = 0, Stray = 0, NotXor = 0;
        for (int Y = 1; Y < 99; ++Y)
            for (int X = 1; X < 99; ++X) {
                TColor Under = X < R.BarEnd ? Fore : Back;
                TColor Mask = S->Pixel(X, Y) ^ Under;
                if (Mask == 0) continue;
                ++Glyph;
                if (!Inside(Box, X, Y)) ++Stray;
                if (GetRValue(Mask) != GetGValue(Mask) || GetGValue(Mask) != GetBValue(Mask)) ++NotXor;
                if (GetRValue(Mask) >= 0xC0) ++Strong;
            }
        EXPECT_GT(Glyph, 10) << Text;
        EXPECT_GT(Strong, 5) << Text << ": the glyphs should come near the inverse colour";
        EXPECT_EQ(Stray, 0) << Text;
        EXPECT_EQ(NotXor, 0) << Text;
    }
}

TEST_F(GaugeFixture, NewGaugeShowsAnEmptyBarWithZeroPercent) {
    TCGauge Fresh(nullptr);
    EXPECT_EQ(Fresh.Width(), 100);
    EXPECT_EQ(Fresh.Height(), 100);
    EXPECT_TRUE(Fresh.ControlStyle() & csFramed);
    EXPECT_TRUE(Fresh.ControlStyle() & csOpaque);
    Fresh.Refresh();
    TBitmap* S = Fresh.Surface();
    // Black glyphs (white inverted) on the white bar, within the box of "0%" and reaching its right
    // part, where the percent sign stands.
    TBitmap Measure;
    TCanvas* M = Measure.Canvas();
    M->SetFont(*Fresh.Font());
    int TW = M->TextWidth("0%"), TH = M->TextHeight("0%"), ZeroW = M->TextWidth("0");
    int X0 = (99 - TW) / 2, Y0 = (99 - TH) / 2;
    int Left = 0, Right = 0, Stray = 0;
    for (int Y = 1; Y < 99; ++Y)
        for (int X = 1; X < 99; ++X) {
            if (S->Pixel(X, Y) == clWhite) continue;
            if (!Inside({X0, Y0, X0 + TW, Y0 + TH}, X, Y))
                ++Stray;
            else
                (X < X0 + ZeroW ? Left : Right)++;
        }
    EXPECT_GT(Left, 5);
    EXPECT_GT(Right, 5);
    EXPECT_EQ(Stray, 0);

    Fresh.SetShowText(false);
    EXPECT_TRUE(PixelsAre(S, [](int X, int Y) { return Inside({1, 1, 99, 99}, X, Y) ? clWhite : clBlack; }));
}

TEST(GaugeForm, PropertiesRoundTripInOrder) {
    Cgauges::Register();
    TWinControl Root(nullptr);
    Root.SetName("Form1");
    ReadComponentRes(&Root,
                     "object Form1: TWinControl\n"
                     "  object CGauge1: TCGauge\n"
                     "    Kind = gkPie\n"
                     "    ShowText = False\n"
                     "    BorderStyle = bsNone\n"
                     "    BackColor = clRed\n"
                     "    MinValue = 10\n"
                     "    MaxValue = 50\n"
                     "    Progress = 30\n"
                     "  end\n"
                     "end\n");
    auto* G = dynamic_cast<TCGauge*>(Root.FindComponent("CGauge1"));
    ASSERT_NE(G, nullptr);
    EXPECT_EQ(G->Kind(), gkPie);
    EXPECT_EQ(G->BackColor(), clRed);
    EXPECT_EQ(G->MinValue(), 10);
    EXPECT_EQ(G->MaxValue(), 50);
    EXPECT_EQ(G->Progress(), 30);
    EXPECT_FALSE(G->ShowText());
    EXPECT_EQ(G->BorderStyle(), bsNone);

    // Published order, defaults omitted; every control stores its size.
    EXPECT_EQ(WriteProperties(G, 0),
              "Width = 100\nHeight = 100\nKind = gkPie\nShowText = False\nBorderStyle = bsNone\nBackColor = clRed\nMinValue = 10\n"
              "MaxValue = 50\nProgress = 30\n");

    const TClassInfo& Info = TCGauge::StaticClassInfo();
    std::vector<AnsiString> Names;
    for (auto& P : Info.Props) Names.push_back(P.Name);
    EXPECT_EQ(Names,
              (std::vector<AnsiString>{"Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint",
                                       "Align",          "Anchors",   "Color",    "Constraints", "Enabled",
                                       "Kind",           "ShowText",  "Font",     "BorderStyle", "ForeColor",
                                       "BackColor",      "MinValue",  "MaxValue", "ParentColor", "ParentFont",
                                       "ParentShowHint", "PopupMenu", "Progress", "ShowHint",    "Visible"}));
}

TEST(GaugeForm, StoredMinimumAboveTheDefaultMaximumRaises) {
    Cgauges::Register();
    TWinControl Root(nullptr);
    Root.SetName("Form1");
    try {
        ReadComponentRes(&Root,
                         "object Form1: TWinControl\n"
                         "  object CGauge1: TCGauge\n"
                         "    MinValue = 150\n"
                         "    MaxValue = 200\n"
                         "  end\n"
                         "end\n");
        FAIL() << "the minimum was applied above the default maximum";
    } catch (const Exception& E) {
        EXPECT_NE(E.Message().find(Format(SOutOfRange, -2147483647, 99)), AnsiString::npos) << E.Message();
    }
}

TEST(GaugeRegister, PutsTheGaugeOnThePaletteWithItsBitmap) {
    Cgauges::Register();
    bool Found = false;
    for (auto& E : PaletteEntries())
        if (E.Class == &TCGauge::StaticClassInfo()) Found = E.Page == LoadStr(101);
    EXPECT_TRUE(Found);
    EXPECT_EQ(FindClass("TCGauge"), &TCGauge::StaticClassInfo());
    TBitmap Icon;
    Icon.LoadFromResourceName("TCGAUGE");
    EXPECT_EQ(Icon.Width(), 24);
    EXPECT_EQ(Icon.Height(), 24);
    EXPECT_EQ(Icon.FileBitsPerPixel(), 4);
}

TEST(GaugeSheet, SavesEveryKind) {
    const TCGaugeKind Kinds[] = {gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle};
    const int Percents[] = {0, 25, 50, 75, 100};
    TBitmap Sheet;
    Sheet.SetSize(5 * 110 + 10, 5 * 110 + 10);
    Sheet.Canvas()->Brush()->SetColor(clBtnFace);
    Sheet.Canvas()->FillRect({0, 0, Sheet.Width(), Sheet.Height()});
    for (int K = 0; K < 5; ++K)
        for (int P = 0; P < 5; ++P) {
            TCGauge G(nullptr);
            G.SetColor(clBtnFace);
            G.SetForeColor(clNavy);
            G.SeTCGaugeKind(Kinds[K]);
            G.SetProgress(Percents[P]);
            if (P == 4) G.SetBorderStyle(bsNone);
            G.Refresh();
            Sheet.Canvas()->Draw(10 + P * 110, 10 + K * 110, G.Surface());
        }
    EXPECT_TRUE(Sheet.SavePng(ArtifactPath("gauges.png")));
}
