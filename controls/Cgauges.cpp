#include "controls/Cgauges.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>

#include "TCGAUGE.bmp.h"
#include "platform/classes/Registry.h"
#include "platform/graphics/Windows.h"
#include "platform/rtl/Resources.h"

namespace {

// The part of a length that a percentage covers, floor(Percent * Length / 100), exactly.
int LengthFor(int32_t Percent, int Length) {
    int64_t Product = static_cast<int64_t>(Percent) * Length;
    int64_t Quotient = Product / 100;
    if (Product % 100 != 0 && Product < 0) --Quotient;
    return static_cast<int>(Quotient);
}

// Floor of a product of sines and cosines. Where the exact product is a whole number (the needle
// straight up), rounding in sin and cos must not cost a pixel.
int FloorPx(double Value) {
    return static_cast<int>(std::floor(Value + 1e-9));
}

// A point on the ray from the centre of the box (L, T, R, B) at angle A of the ellipse's
// parametrisation (pi / 2 is 12 o'clock, growing clockwise), far out so that its direction is exact
// to a millionth: a pie's rays only give directions, and rounding a point on the ellipse itself puts
// a small angle on 12 o'clock, which draws the whole disc.
TPoint RayPoint(int L, int T, int R, int B, double A) {
    const double DX = -(R - L) * std::cos(A), DY = (B - T) * std::sin(A);
    const double Scale = (1 << 20) / std::max(1e-9, std::hypot(DX, DY));
    // In doubled coordinates the centre is (L + R, T + B) and a pixel's centre (2X + 1, 2Y + 1).
    return {static_cast<int>(std::floor((L + R - 1 + Scale * DX) / 2)),
            static_cast<int>(std::floor((T + B - 1 - Scale * DY) / 2))};
}

// Bounds of the range message; the raw bound plus or minus one would leave 32 bits at the limits.
int Saturated(int64_t Value) {
    return static_cast<int>(std::clamp<int64_t>(Value, INT32_MIN, INT32_MAX));
}

}  // namespace

void TBltBitmap::MatchSize(TBitmap* Source) {
    SetWidth(Source->Width());
    SetHeight(Source->Height());
    Canvas()->Brush()->SetColor(clWindowFrame);
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->FillRect(Rect(0, 0, Width(), Height()));
}

const TClassInfo& TCGauge::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TCGauge>("TCGauge", &TGraphicControl::StaticClassInfo())
            .Creatable()
            .Inherit({"Align", "Anchors", "Color", "Constraints", "Enabled"})
            .Enum("Kind", &TCGauge::Kind, &TCGauge::SeTCGaugeKind, gkHorizontalBar,
                  {"gkText", "gkHorizontalBar", "gkVerticalBar", "gkPie", "gkNeedle"})
            .Bool("ShowText", &TCGauge::ShowText, &TCGauge::SetShowText, true)
            .Inherit({"Font"})
            .Enum("BorderStyle", &TCGauge::BorderStyle, &TCGauge::SetBorderStyle, bsSingle,
                  {"bsNone", "bsSingle"})
            .Int("ForeColor", &TCGauge::ForeColor, &TCGauge::SetForeColor, clBlack, "TColor")
            .Int("BackColor", &TCGauge::BackColor, &TCGauge::SetBackColor, clWhite, "TColor")
            .Int("MinValue", &TCGauge::MinValue, &TCGauge::SetMinValue, 0)
            .Int("MaxValue", &TCGauge::MaxValue, &TCGauge::SetMaxValue, 100)
            .Inherit({"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu"})
            .Int("Progress", &TCGauge::Progress, &TCGauge::SetProgress, 0)
            .Inherit({"ShowHint", "Visible"})
            .Build();
    return Info;
}

TCGauge::TCGauge(TComponent* AOwner) : TGraphicControl(AOwner) {
    // The gauge paints its whole rectangle itself; the fields start at their declared defaults.
    SetControlStyle(ControlStyle() | csFramed | csOpaque);
    SetWidth(100);
    SetHeight(100);
}

int32_t TCGauge::GetPercentDone() const {
    // Both differences leave 32 bits when the bounds lie near the limits.
    int64_t Done = static_cast<int64_t>(FCurValue) - FMinValue;
    int64_t Range = static_cast<int64_t>(FMaxValue) - FMinValue;
    if (Range == 0) return 0;
    return static_cast<int32_t>(Done * 100 / Range);
}

void TCGauge::SeTCGaugeKind(TCGaugeKind Value) {
    if (Value == FKind) return;
    FKind = Value;
    Refresh();
}

void TCGauge::SetShowText(bool Value) {
    if (Value == FShowText) return;
    FShowText = Value;
    Refresh();
}

void TCGauge::SetBorderStyle(TFormBorderStyle Value) {
    if (Value == FBorderStyle) return;
    FBorderStyle = Value;
    Refresh();
}

void TCGauge::SetForeColor(TColor Value) {
    if (Value == FForeColor) return;
    FForeColor = Value;
    Refresh();
}

void TCGauge::SetBackColor(TColor Value) {
    if (Value == FBackColor) return;
    FBackColor = Value;
    Refresh();
}

void TCGauge::SetMinValue(int32_t Value) {
    if (Value == FMinValue) return;
    if (Value > FMaxValue)
        throw Exception(Format(SOutOfRange, -2147483647, Saturated(static_cast<int64_t>(FMaxValue) - 1)));
    FMinValue = Value;
    if (FCurValue < Value) FCurValue = Value;
    Refresh();
}

void TCGauge::SetMaxValue(int32_t Value) {
    if (Value == FMaxValue) return;
    if (Value < FMinValue)
        throw Exception(Format(SOutOfRange, Saturated(static_cast<int64_t>(FMinValue) + 1), 2147483647));
    FMaxValue = Value;
    if (FCurValue > Value) FCurValue = Value;
    Refresh();
}

void TCGauge::SetProgress(int32_t Value) {
    int32_t OldPercent = GetPercentDone();
    if (Value < FMinValue)
        Value = FMinValue;
    else if (Value > FMaxValue)
        Value = FMaxValue;
    if (Value == FCurValue) return;
    FCurValue = Value;
    if (GetPercentDone() != OldPercent) Refresh();
}

void TCGauge::AddProgress(int32_t Value) {
    // The sum saturates instead of wrapping, so a step forward past the 32-bit limit stays at the top.
    SetProgress(Saturated(static_cast<int64_t>(FCurValue) + Value));
    Refresh();
}

void TCGauge::Paint() {
    auto TheImage = std::make_unique<TBitmap>();
    auto OverlayImage = std::make_unique<TBltBitmap>();
    TheImage->SetSize(Width(), Height());
    PaintBackground(TheImage.get());
    TRect PaintRect = ClientRect();
    if (FBorderStyle == bsSingle) InflateRect(PaintRect, -1, -1);
    OverlayImage->MatchSize(TheImage.get());
    PaintBackground(OverlayImage.get());
    switch (FKind) {
        case gkText:
            PaintAsNothing(OverlayImage.get(), PaintRect);
            break;
        case gkHorizontalBar:
        case gkVerticalBar:
            PaintAsBar(OverlayImage.get(), PaintRect);
            break;
        case gkPie:
            PaintAsPie(OverlayImage.get(), PaintRect);
            break;
        case gkNeedle:
            PaintAsNeedle(OverlayImage.get(), PaintRect);
            break;
    }
    TheImage->Canvas()->SetCopyMode(cmSrcInvert);
    TheImage->Canvas()->Draw(0, 0, OverlayImage.get());
    TheImage->Canvas()->SetCopyMode(cmSrcCopy);
    if (FShowText) PaintAsText(TheImage.get(), PaintRect);
    Canvas()->SetCopyMode(cmSrcCopy);
    Canvas()->Draw(0, 0, TheImage.get());
}

void TCGauge::PaintBackground(TBitmap* AnImage) {
    TCanvas* C = AnImage->Canvas();
    TRect ARect = Rect(0, 0, Width(), Height());
    C->SetCopyMode(cmBlackness);
    C->CopyRect(ARect, C, ARect);
    C->SetCopyMode(cmSrcCopy);
}

void TCGauge::PaintAsText(TBitmap* AnImage, const TRect& PaintRect) {
    auto TextImage = std::make_unique<TBltBitmap>();
    TextImage->MatchSize(AnImage);
    PaintBackground(TextImage.get());
    AnsiString S = IntToStr(GetPercentDone()) + "%";
    TCanvas* C = TextImage->Canvas();
    C->Brush()->SetStyle(bsClear);
    C->SetFont(*Font());
    C->Font()->SetColor(clWhite);
    // Measured from the bitmap's origin, not from the rectangle's corner.
    int X = (PaintRect.Right - PaintRect.Left + 1 - C->TextWidth(S)) / 2;
    int Y = (PaintRect.Bottom - PaintRect.Top + 1 - C->TextHeight(S)) / 2;
    C->TextRect(PaintRect, X, Y, S);
    AnImage->Canvas()->SetCopyMode(cmSrcInvert);
    AnImage->Canvas()->Draw(0, 0, TextImage.get());
}

void TCGauge::PaintAsNothing(TBitmap* AnImage, const TRect& PaintRect) {
    TCanvas* C = AnImage->Canvas();
    C->Brush()->SetColor(FBackColor);
    C->FillRect(PaintRect);
}

void TCGauge::PaintAsBar(TBitmap* AnImage, const TRect& PaintRect) {
    int W = PaintRect.Right - PaintRect.Left + 1;
    int H = PaintRect.Bottom - PaintRect.Top + 1;
    TCanvas* C = AnImage->Canvas();
    C->Brush()->SetColor(FBackColor);
    C->FillRect(PaintRect);
    C->Pen()->SetColor(FForeColor);
    C->Pen()->SetWidth(1);
    C->Brush()->SetColor(FForeColor);
    if (FKind == gkHorizontalBar) {
        int FillSize = LengthFor(GetPercentDone(), W);
        if (FillSize > W) FillSize = W;
        // The right and bottom edges are the lengths themselves, not offsets from the corner.
        if (FillSize > 0) C->FillRect(Rect(PaintRect.Left, PaintRect.Top, FillSize, H));
    } else {
        int FillSize = LengthFor(GetPercentDone(), H);
        if (FillSize >= H) FillSize = H - 1;
        C->FillRect(Rect(PaintRect.Left, H - FillSize, W, H));
    }
}

void TCGauge::PaintAsPie(TBitmap* AnImage, const TRect& PaintRect) {
    int W = PaintRect.Right - PaintRect.Left;
    int H = PaintRect.Bottom - PaintRect.Top;
    if (FBorderStyle == bsSingle) {
        ++W;
        ++H;
    }
    TCanvas* C = AnImage->Canvas();
    C->Brush()->SetColor(Color());
    C->FillRect(PaintRect);
    C->Brush()->SetColor(FBackColor);
    C->Pen()->SetColor(FForeColor);
    C->Pen()->SetWidth(1);
    C->Ellipse(PaintRect.Left, PaintRect.Top, W, H);
    int32_t Percent = GetPercentDone();
    if (Percent > 0) {
        C->Brush()->SetColor(FForeColor);
        const TPoint Top = RayPoint(PaintRect.Left, PaintRect.Top, W, H, 0.5 * std::numbers::pi);
        const TPoint Done = Percent >= 100 ? Top
                                           : RayPoint(PaintRect.Left, PaintRect.Top, W, H,
                                                      (Percent * 0.02 + 0.5) * std::numbers::pi);
        C->Pie(PaintRect.Left, PaintRect.Top, W, H, Done.X, Done.Y, Top.X, Top.Y);
    }
}

void TCGauge::PaintAsNeedle(TBitmap* AnImage, const TRect& PaintRect) {
    int L = PaintRect.Left;
    int T = PaintRect.Top;
    int W = PaintRect.Right - L;
    int H = PaintRect.Bottom - T;
    if (FBorderStyle == bsSingle) {
        ++W;
        ++H;
    }
    TCanvas* C = AnImage->Canvas();
    C->Brush()->SetColor(Color());
    C->FillRect(PaintRect);
    C->Brush()->SetColor(FBackColor);
    C->Pen()->SetColor(FForeColor);
    C->Pen()->SetWidth(1);
    C->Pie(L, T, W, 2 * H - 1, L + W, PaintRect.Bottom - 1, L, PaintRect.Bottom - 1);
    C->MoveTo(L, PaintRect.Bottom);
    C->LineTo(L + W, PaintRect.Bottom);
    int32_t Percent = GetPercentDone();
    if (Percent > 0) {
        C->Pen()->SetColor(FForeColor);
        int MiddleX = Width() / 2;
        C->MoveTo(MiddleX, PaintRect.Bottom - 1);
        double Angle = Percent * 0.01 * std::numbers::pi;
        C->LineTo(FloorPx(MiddleX * (1 - std::cos(Angle))),
                  FloorPx((PaintRect.Bottom - 1) * (1 - std::sin(Angle))));
    }
}

namespace Cgauges {
void Register() {
    RegisterBitmapResource("TCGAUGE", kTCGAUGE_bmp, sizeof kTCGAUGE_bmp);
    RegisterComponents(LoadStr(101), {&TCGauge::StaticClassInfo()});
}
}  // namespace Cgauges
