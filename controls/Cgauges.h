#pragma once
#include <cstdint>

#include "platform/ui/Controls.h"

enum TCGaugeKind : uint8_t { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };

// An off-screen layer that takes another bitmap's size and starts out in the window-frame colour.
class TBltBitmap : public TBitmap {
  public:
    void MatchSize(TBitmap* Source);
};

// A progress indicator: Progress within MinValue..MaxValue, shown as a percentage text, a bar,
// a filling pie or a needle on a half dial.
class TCGauge : public TGraphicControl {
    AGENDIX_CLASS(TCGauge)
    explicit TCGauge(TComponent* AOwner);

    int32_t MinValue() const { return FMinValue; }
    void SetMinValue(int32_t Value);
    int32_t MaxValue() const { return FMaxValue; }
    void SetMaxValue(int32_t Value);
    int32_t Progress() const { return FCurValue; }
    void SetProgress(int32_t Value);
    void AddProgress(int32_t Value);
    TCGaugeKind Kind() const { return FKind; }
    void SeTCGaugeKind(TCGaugeKind Value);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool Value);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TColor ForeColor() const { return FForeColor; }
    void SetForeColor(TColor Value);
    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor Value);

    int32_t GetPercentDone() const;
    int32_t PercentDone() const { return GetPercentDone(); }

  protected:
    void Paint() override;

  private:
    void PaintBackground(TBitmap* AnImage);
    void PaintAsText(TBitmap* AnImage, const TRect& PaintRect);
    void PaintAsNothing(TBitmap* AnImage, const TRect& PaintRect);
    void PaintAsBar(TBitmap* AnImage, const TRect& PaintRect);
    void PaintAsPie(TBitmap* AnImage, const TRect& PaintRect);
    void PaintAsNeedle(TBitmap* AnImage, const TRect& PaintRect);

    int32_t FMinValue = 0;
    int32_t FMaxValue = 100;
    int32_t FCurValue = 0;
    TCGaugeKind FKind = gkHorizontalBar;
    bool FShowText = true;
    TFormBorderStyle FBorderStyle = bsSingle;
    TColor FForeColor = clBlack;
    TColor FBackColor = clWhite;
};

namespace Cgauges {
void Register();
}
