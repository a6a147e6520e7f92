#include "controls/Accessibility.h"

#include "controls/Ccalendr.h"
#include "controls/Cgauges.h"
#include "controls/Cgrid.h"
#include "controls/Perfgrap.h"
#include "platform/graphics/Windows.h"
#include "platform/ui/Accessibility.h"

namespace {
AnsiString ColorName(TColor C) {
    static const std::pair<TColor, const char*> Names[] = {
        {clBlack, "검정"},  {clMaroon, "밤색"},  {clGreen, "초록"}, {clOlive, "올리브"},
        {clNavy, "남색"},   {clPurple, "자주"},  {clTeal, "청록"},  {clGray, "회색"},
        {clSilver, "은색"}, {clRed, "빨강"},     {clLime, "연두"},  {clYellow, "노랑"},
        {clBlue, "파랑"},   {clFuchsia, "분홍"}, {clAqua, "하늘"},  {clWhite, "흰색"}};
    C = ColorToRGB(C);
    for (auto [Color, Name] : Names)
        if (ColorToRGB(Color) == C) return Name;
    return Format("#%02X%02X%02X", GetRValue(C), GetGValue(C), GetBValue(C));
}

AnsiString DateText(int Y, int M, int D) {
    return IntToStr(Y) + " 년 " + IntToStr(M) + " 월 " + IntToStr(D) + " 일";
}

void DescribeCalendar(TCCalendar* Cal, TAccDescription& D) {
    D.Self.Role = TAccRole::Table;
    D.Self.Name = "달력";
    D.Self.Value = DateText(Cal->Year(), Cal->Month(), Cal->Day());
    for (int R = 0; R < 7; ++R)
        for (int C = 0; C < 7; ++C) {
            AnsiString T = Cal->GetCellText(C, R);
            if (T.empty()) continue;
            TAccItem Cell;
            Cell.Role = TAccRole::Cell;
            Cell.Bounds = Cal->CellRect(C, R);
            if (R == 0) {
                Cell.Name = T;
            } else {
                Cell.Name = DateText(Cal->Year(), Cal->Month(), StrToInt(T));
                Cell.Selectable = true;
                Cell.Selected = C == Cal->Col() && R == Cal->Row();
                Cell.Focused = Cell.Selected && Cal->Focused();
            }
            D.Parts.push_back(Cell);
        }
}

void DescribeGauge(TCGauge* G, TAccDescription& D) {
    D.Self.Role = TAccRole::ProgressBar;
    D.Self.Name = "게이지";
    D.Self.Value = IntToStr(G->PercentDone()) + "%";
    D.Self.HasRange = true;
    D.Self.Current = G->Progress();
    D.Self.Minimum = G->MinValue();
    D.Self.Maximum = G->MaxValue();
}

void DescribeColorGrid(TCColorGrid* G, TAccDescription& D) {
    D.Self.Role = TAccRole::Table;
    D.Self.Name = "색상 표";
    AnsiString Fg = G->ForegroundEnabled() ? "전경 " + ColorName(G->GetForegroundColor()) : "";
    AnsiString Bg = G->BackgroundEnabled() ? "배경 " + ColorName(G->GetBackgroundColor()) : "";
    D.Self.Value = Fg + (Fg.empty() || Bg.empty() ? "" : ", ") + Bg;
    // The squares hold the sixteen colours of the default palette, skipping its entries 8 to 11.
    PALETTEENTRY Entries[20];
    GetPaletteEntries(static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)), 0, 20, Entries);
    int Cols = std::max(1, G->ColumnCount());
    for (int K = 0; K < 16; ++K) {
        const PALETTEENTRY& E = Entries[K < 8 ? K : K + 4];
        TAccItem Square;
        Square.Role = TAccRole::Cell;
        Square.Name = ColorName(RGB(E.peRed, E.peGreen, E.peBlue));
        if (G->ForegroundEnabled() && K == G->ForegroundIndex()) Square.Value = "전경";
        if (G->BackgroundEnabled() && K == G->BackgroundIndex())
            Square.Value += Square.Value.empty() ? "배경" : ", 배경";
        Square.Selectable = true;
        Square.Selected = !Square.Value.empty();
        int X = (K % Cols) * G->CellWidth(), Y = (K / Cols) * G->CellHeight();
        Square.Bounds = {X, Y, X + G->CellWidth(), Y + G->CellHeight()};
        D.Parts.push_back(Square);
    }
}

void DescribeGraph(TPerformanceGraph* G, TAccDescription& D) {
    D.Self.Role = TAccRole::Chart;
    D.Self.Name = "성능 그래프";
    int32_t Latest = G->HistoryCount() > 0 ? G->LastY(G->CurrentBand()) : -1;
    if (Latest < 0) return;
    const BandRecord& Last = G->History(Latest);
    for (int I = 0; I < Last.Count && I < 16; ++I)
        D.Self.Value += (I ? ", " : "") + ColorName(Last.Colors[I]) + " " + IntToStr(Last.Values[I]);
}
}  // namespace

void RegisterControlsAccessibility() {
    static bool Done = false;
    if (Done) return;
    Done = true;
    RegisterAccessible<TCCalendar>(DescribeCalendar);
    RegisterAccessible<TCGauge>(DescribeGauge);
    RegisterAccessible<TCColorGrid>(DescribeColorGrid);
    RegisterAccessible<TPerformanceGraph>(DescribeGraph);
}
