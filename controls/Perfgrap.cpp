#include "controls/Perfgrap.h"

#include <algorithm>
#include <climits>

#include "TPERFORMANCEGRAPH.bmp.h"
#include "platform/classes/Registry.h"
#include "platform/rtl/Resources.h"

namespace {

// A value far beyond the scale gives an offset far outside the image; clamping it keeps the
// coordinates within int arithmetic and line drawing short, and changes nothing that is visible.
constexpr long double kFarPixels = 1 << 20;

int32_t TruncPixels(long double V) {
    return static_cast<int32_t>(std::clamp(V, -kFarPixels, kFarPixels));
}

// The stacked segment between two running totals, with the wrap-around of 32-bit arithmetic.
int32_t Difference(int32_t A, int32_t B) {
    return static_cast<int32_t>(static_cast<uint32_t>(A) - static_cast<uint32_t>(B));
}

}  // namespace

const TClassInfo& TPerformanceGraph::StaticClassInfo() {
    using C = TPerformanceGraph;
    static const TClassInfo Info = TClassBuilder<C>("TPerformanceGraph", &TGraphicControl::StaticClassInfo())
                                       .Creatable()
                                       .Inherit({"Align", "Anchors", "Constraints", "Enabled"})
                                       .Enum("Kind", &C::Kind, &C::SetGraphKind, pgLine, {"pgBar", "pgLine"})
                                       .Int("ForeColor", &C::ForeColor, &C::SetForeColor, clGreen, "TColor")
                                       .Int("BackColor", &C::BackColor, &C::SetBackColor, clBlack, "TColor")
                                       .Inherit({"ParentShowHint"})
                                       .Int("GridSize", &C::GridSize, &C::SetGridSize, 15)
                                       .Int("StepSize", &C::StepSize, &C::SetStepSize, 3)
                                       .Int("Scale", &C::Scale, &C::SetScale, 1000)
                                       .Int("Gradient", &C::Gradient, &C::SetGradient, 100)
                                       .Bool("Gridlines", &C::Gridlines, &C::SetGridlines, true)
                                       .Int("PenWidth", &C::PenWidth, &C::SetPenWidth, 2)
                                       .Event("OnScaleChange", &C::OnScaleChange)
                                       .Inherit({"ShowHint", "Visible"})
                                       .Build();
    return Info;
}

// The image exists from the start, so that a paint caused by the sizing below finds one.
TPerformanceGraph::TPerformanceGraph(TComponent* AOwner)
    : TGraphicControl(AOwner), FImage(std::make_unique<TBitmap>()) {
    SetControlStyle(ControlStyle() | csFramed | csOpaque);
    SetWidth(100);
    SetHeight(100);
    FHistory.assign(GetBandCount() + 2, BandRecord{});
    FFirstBand = 1;
    FCurrentBand = 0;
    FGridOffset = 0;
    Initialize(FGridSize - 1);
}

TPerformanceGraph::~TPerformanceGraph() = default;

int32_t TPerformanceGraph::GetBandCount() const {
    return std::max(0, Width() / FStepSize);
}

int32_t TPerformanceGraph::NextY(int32_t Index) const {
    int32_t N = Index + 1;
    if (N == HistoryCount()) N = 0;
    return N == FFirstBand ? -1 : N;
}

int32_t TPerformanceGraph::LastY(int32_t Index) const {
    return Index == 0 ? HistoryCount() - 1 : Index - 1;
}

int32_t TPerformanceGraph::ShiftY() {
    int32_t N = FCurrentBand + 1;
    if (N == HistoryCount()) N = 0;
    FHistory[N].Count = 0;
    FFirstBand = N + 1 == HistoryCount() ? 0 : N + 1;
    FCurrentBand = N;
    return N;
}

void TPerformanceGraph::ReallocHistory() {
    const int32_t NewCount = GetBandCount() + 2;
    std::vector<BandRecord> Ring(NewCount);
    int32_t I = FirstY();
    for (int32_t Drop = HistoryCount() - NewCount; Drop > 0; --Drop) I = NextY(I);
    int32_t Copied = 0;
    for (; I != -1 && Copied < NewCount; I = NextY(I)) Ring[Copied++] = FHistory[I];
    FHistory.swap(Ring);
    FCurrentBand = Copied - 1;
    // The empty slots of a grown ring are the oldest bands, so the walk still ends with the
    // current band and the newest completed one is drawn at the right edge.
    FFirstBand = Copied % NewCount;
}

void TPerformanceGraph::DataPoint(TColor Color, int32_t Value) {
    BandRecord& B = FHistory[FCurrentBand];
    if (B.Count >= 16) throw ERangeError(LoadStr(102));
    B.Colors[B.Count] = Color;
    B.Values[B.Count] = Value;
    ++B.Count;
}

void TPerformanceGraph::Update() {
    ScrollGraph();
    ShiftY();
    int32_t Max = 0;
    for (int32_t I = FirstY(); I != -1; I = NextY(I)) {
        const BandRecord& B = FHistory[I];
        for (int32_t P = 0; P < B.Count; ++P) Max = std::max(Max, B.Values[P]);
    }
    const int32_t NewScale = RoundUp(Max, FGradient);
    if (NewScale == FScale) {
        DisplayPoints(LastY(FCurrentBand));
        Refresh();
    } else {
        SetScale(NewScale);
    }
}

// Computed in 64 bits: the rounded value of a large Value would not fit, and INT_MIN mod -1 traps.
int32_t TPerformanceGraph::RoundUp(int32_t Value, int32_t Step) {
    if (Step == 0) return Value;
    const int64_t V = Value, S = Step;
    if (V % S == 0) return Value;
    return static_cast<int32_t>(std::clamp<int64_t>((V / S + 1) * S, INT32_MIN, INT32_MAX));
}

void TPerformanceGraph::SetScale(int32_t Value) {
    if (Value == FScale) return;
    FScale = RoundUp(Value, FGradient);
    if (OnScaleChange) OnScaleChange(this);
    Replay();
}

void TPerformanceGraph::SetGraphKind(TGraphKind Value) {
    if (Value == FKind) return;
    FKind = Value;
    Replay();
}

void TPerformanceGraph::SetForeColor(TColor Value) {
    if (Value == FForeColor) return;
    FForeColor = Value;
    Replay();
}

void TPerformanceGraph::SetBackColor(TColor Value) {
    if (Value == FBackColor) return;
    FBackColor = Value;
    Replay();
}

void TPerformanceGraph::SetGridSize(int32_t Value) {
    if (Value == FGridSize) return;
    FGridSize = std::max(Value, 2);
    Replay();
}

void TPerformanceGraph::SetStepSize(int32_t Value) {
    if (Value == FStepSize) return;
    FStepSize = std::max(Value, 1);
    ReallocHistory();
    Replay();
}

void TPerformanceGraph::SetGradient(int32_t Value) {
    if (Value == FGradient) return;
    FGradient = Value;
    Replay();
}

void TPerformanceGraph::SetGridlines(bool Value) {
    if (Value == FGridlines) return;
    FGridlines = Value;
    Replay();
}

void TPerformanceGraph::SetPenWidth(int32_t Value) {
    if (Value == FPenWidth) return;
    FPenWidth = Value;
    Replay();
}

// Grid lines are one pixel wide whatever width the last line segment left in the pen.
void TPerformanceGraph::DrawGridRows(int Left, int Right) {
    TCanvas* C = FImage->Canvas();
    C->Pen()->SetColor(FForeColor);
    C->Pen()->SetWidth(1);
    for (int64_t Y = FGridSize; Y < FImageRect.Bottom; Y += FGridSize) {
        C->MoveTo(Left, static_cast<int>(Y));
        C->LineTo(Right, static_cast<int>(Y));
    }
}

void TPerformanceGraph::Initialize(int32_t GridStart) {
    FImage->SetSize(Width(), Height());
    FImageRect = Rect(0, 0, FImage->Width(), FImage->Height());
    TCanvas* C = FImage->Canvas();
    C->Brush()->SetColor(FBackColor);
    C->FillRect(FImageRect);
    if (FGridlines) {
        DrawGridRows(FImageRect.Left, FImageRect.Right);
        int64_t X = GridStart;
        for (; X < FImageRect.Right; X += FGridSize) {
            C->MoveTo(static_cast<int>(X), 0);
            C->LineTo(static_cast<int>(X), FImageRect.Bottom);
        }
        FGridOffset = static_cast<int32_t>(X - FImageRect.Right);
    }
    FBandRect = FScrollTarget = FScrollSource = FImageRect;
    FScrollSource.Left = FStepSize;
    FScrollTarget.Right = FImageRect.Right - FStepSize;
    FBandRect.Left = FImageRect.Right - FStepSize;
}

void TPerformanceGraph::ScrollGraph() {
    TCanvas* C = FImage->Canvas();
    C->SetCopyMode(cmSrcCopy);
    C->CopyRect(FScrollTarget, C, FScrollSource);
    C->Brush()->SetColor(FBackColor);
    C->FillRect(FBandRect);
    if (FGridlines) {
        DrawGridRows(FBandRect.Left, FBandRect.Right);
        // Every line that scrolls into view is drawn, also when a step spans several of them;
        // one line a step would let the grid fall behind.
        const int64_t Right = FImageRect.Right;
        int64_t Offset = static_cast<int64_t>(FGridOffset) - FStepSize;
        if (Offset < -Right) Offset += (-Right - Offset + FGridSize - 1) / FGridSize * FGridSize;
        for (; Offset < 0; Offset += FGridSize) {
            const int X = static_cast<int>(Right + Offset);
            C->MoveTo(X, FImageRect.Top);
            C->LineTo(X, FImageRect.Bottom);
        }
        FGridOffset = static_cast<int32_t>(Offset);
    }
}

void TPerformanceGraph::DisplayPoints(int32_t Band) {
    const BandRecord& B = FHistory[Band];
    int32_t Prev = 0;
    for (int32_t I = 0; I < B.Count; ++I) {
        const int32_t V = B.Values[I];
        if (V == 0) continue;
        const TColor Col = B.Colors[I];
        if (FKind == pgBar) {
            PaintBar(Col, Prev, Difference(V, Prev));
        } else if (FKind == pgLine) {
            const BandRecord& Before = FHistory[LastY(Band)];
            int32_t From = 0;
            for (int32_t J = 0; J < Before.Count; ++J)
                if (Before.Colors[J] == Col) {
                    From = Before.Values[J];
                    break;
                }
            PaintLine(Col, From, V);
        }
        Prev = V;
    }
}

// Quotient and product in the extended format; a zero scale draws nothing.
void TPerformanceGraph::PaintBar(TColor Color, int32_t Base, int32_t Height) {
    if (Height == 0 || FScale == 0) return;
    const long double H = FImageRect.Bottom - FImageRect.Top;
    const int32_t HP = TruncPixels(static_cast<long double>(Height) / FScale * H);
    const int32_t BP = TruncPixels(static_cast<long double>(Base) / FScale * H);
    if (HP == 0) return;
    TCanvas* C = FImage->Canvas();
    C->Brush()->SetColor(Color);
    C->FillRect(
        Rect(FBandRect.Left, FImageRect.Bottom - BP - HP - 1, FBandRect.Right, FImageRect.Bottom - BP));
}

// The quotient is rounded to double before the extended product, so that a value can land one
// pixel lower than its bar would (600 of 1000 on 100 rows: 59 here, 60 as a bar).
void TPerformanceGraph::PaintLine(TColor Color, int32_t From, int32_t To) {
    if (FScale == 0) return;
    const long double H = FImageRect.Bottom - FImageRect.Top;
    const double Q1 = static_cast<double>(static_cast<long double>(From) / FScale);
    const double Q2 = static_cast<double>(static_cast<long double>(To) / FScale);
    const int32_t Y1 = TruncPixels(H * Q1);
    const int32_t Y2 = TruncPixels(H * Q2);
    TCanvas* C = FImage->Canvas();
    C->Pen()->SetColor(Color);
    C->Pen()->SetWidth(FPenWidth);
    C->MoveTo(FBandRect.Left, FImageRect.Bottom - Y1);
    C->LineTo(FBandRect.Right, FImageRect.Bottom - Y2);
}

void TPerformanceGraph::Replay() {
    // The control may have been resized since the last paint: this replay sizes the image to it, so
    // the paint would no longer notice, and the ring has to follow the width here.
    if (HistoryCount() != GetBandCount() + 2) ReallocHistory();
    Initialize(static_cast<int32_t>((static_cast<int64_t>(Width()) + FGridOffset) % FGridSize));
    const TRect Saved = FBandRect;
    // Bands beyond the image only need to stay beyond it.
    auto Far = [](int64_t X) { return static_cast<int>(std::clamp<int64_t>(X, -(1 << 30), 1 << 30)); };
    int64_t X = Width() - static_cast<int64_t>(GetBandCount()) * FStepSize;
    for (int32_t I = NextY(FirstY()); I != -1; I = NextY(I)) {
        FBandRect.Left = Far(X);
        X += FStepSize;
        FBandRect.Right = Far(X);
        DisplayPoints(I);
    }
    Refresh();
    FBandRect = Saved;
}

void TPerformanceGraph::Paint() {
    // A paint while the constructor sizes the control comes before there is anything to show.
    if (FHistory.empty()) return;
    if (FImage->Height() != Height() || FImage->Width() != Width()) {
        if (FImage->Width() != Width()) ReallocHistory();
        Replay();
    }
    Canvas()->SetCopyMode(cmSrcCopy);
    Canvas()->Draw(0, 0, FImage.get());
}

namespace Perfgrap {

void Register() {
    RegisterBitmapResource("TPERFORMANCEGRAPH", kTPERFORMANCEGRAPH_bmp, sizeof(kTPERFORMANCEGRAPH_bmp));
    RegisterComponents(LoadStr(101), {&TPerformanceGraph::StaticClassInfo()});
}

}  // namespace Perfgrap
