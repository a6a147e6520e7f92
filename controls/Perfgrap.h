#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/Controls.h"

enum TGraphKind : uint8_t { pgBar, pgLine };

// One sample: up to sixteen coloured values, in the order they were added.
struct BandRecord {
    int32_t Count = 0;
    TColor Colors[16] = {};
    int32_t Values[16] = {};
};

// A scrolling strip chart. DataPoint collects the values of the current sample, Update commits it:
// the chart moves one band to the left and the new band is drawn at the right edge. The history
// is a ring of the bands that fit across the control plus two (the one scrolling out at the left
// and the one being collected).
class TPerformanceGraph : public TGraphicControl {
    AGENDIX_CLASS(TPerformanceGraph)
    explicit TPerformanceGraph(TComponent* AOwner);
    ~TPerformanceGraph() override;
    void Update() override;

    void DataPoint(TColor Color, int32_t Value);

    TGraphKind Kind() const { return FKind; }
    void SetGraphKind(TGraphKind Value);
    TColor ForeColor() const { return FForeColor; }
    void SetForeColor(TColor Value);
    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor Value);
    int32_t GridSize() const { return FGridSize; }
    void SetGridSize(int32_t Value);
    int32_t StepSize() const { return FStepSize; }
    void SetStepSize(int32_t Value);
    int32_t Scale() const { return FScale; }
    void SetScale(int32_t Value);
    int32_t Gradient() const { return FGradient; }
    void SetGradient(int32_t Value);
    bool Gridlines() const { return FGridlines; }
    void SetGridlines(bool Value);
    int32_t PenWidth() const { return FPenWidth; }
    void SetPenWidth(int32_t Value);

    TNotifyEvent OnScaleChange;

    static int32_t RoundUp(int32_t Value, int32_t Step);
    int32_t GetBandCount() const;

    // The history ring.
    int32_t FirstY() const { return FFirstBand; }
    int32_t NextY(int32_t Index) const;
    int32_t LastY(int32_t Index) const;
    int32_t ShiftY();
    void ReallocHistory();

    int32_t HistoryCount() const { return static_cast<int32_t>(FHistory.size()); }
    int32_t FirstBand() const { return FFirstBand; }
    int32_t CurrentBand() const { return FCurrentBand; }
    const BandRecord& History(int32_t Index) const { return FHistory.at(Index); }
    TBitmap* Image() const { return FImage.get(); }
    int32_t GridOffset() const { return FGridOffset; }
    const TRect& ImageRect() const { return FImageRect; }
    const TRect& ScrollSource() const { return FScrollSource; }
    const TRect& ScrollTarget() const { return FScrollTarget; }
    const TRect& BandRect() const { return FBandRect; }

  protected:
    void Paint() override;

    void Initialize(int32_t GridStart);
    void ScrollGraph();
    void DisplayPoints(int32_t Band);
    void PaintBar(TColor Color, int32_t Base, int32_t Height);
    void PaintLine(TColor Color, int32_t From, int32_t To);
    void Replay();

  private:
    void DrawGridRows(int Left, int Right);

    TGraphKind FKind = pgLine;
    TColor FForeColor = clGreen;
    TColor FBackColor = clBlack;
    int32_t FGridSize = 15;
    int32_t FStepSize = 3;
    int32_t FScale = 1000;
    int32_t FGradient = 100;
    bool FGridlines = true;
    int32_t FPenWidth = 2;
    TRect FImageRect, FScrollSource, FScrollTarget, FBandRect;
    int32_t FGridOffset = 0;
    std::unique_ptr<TBitmap> FImage;
    std::vector<BandRecord> FHistory;
    int32_t FFirstBand = 1;
    int32_t FCurrentBand = 0;
};

namespace Perfgrap {
void Register();
}
