#include "platform/ui/Grids.h"

#include <algorithm>

#include "platform/ui/qt/QtPeer.h"

const std::vector<AnsiString>& GridOptionNames() {
    static const std::vector<AnsiString> Names = {
        "goFixedVertLine",     "goFixedHorzLine", "goVertLine",  "goHorzLine",         "goRangeSelect",
        "goDrawFocusSelected", "goRowSizing",     "goColSizing", "goRowMoving",        "goColMoving",
        "goEditing",           "goTabs",          "goRowSelect", "goAlwaysShowEditor", "goThumbTracking"};
    return Names;
}

const TClassInfo& TCustomGrid::StaticClassInfo() {
    using C = TCustomGrid;
    static const TClassInfo Info =
        TClassBuilder<C>("TCustomGrid", &TCustomControl::StaticClassInfo())
            .OfferOnly()
            .Enum("BorderStyle", &C::BorderStyle, &C::SetBorderStyle, bsSingle,
                  {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"})
            .Int("Color", &C::Color, &C::SetColor, clWindow, "TColor", &C::IsGridColorStored)
            .Int("ColCount", &C::ColCount, &C::SetColCount, 5)
            .Int("DefaultColWidth", &C::DefaultColWidth, &C::SetDefaultColWidth, 64)
            .Int("DefaultRowHeight", &C::DefaultRowHeight, &C::SetDefaultRowHeight, 24)
            .Int("FixedColor", &C::FixedColor, &C::SetFixedColor, clBtnFace, "TColor")
            .Int("FixedCols", &C::FixedCols, &C::SetFixedCols, 1)
            .Int("FixedRows", &C::FixedRows, &C::SetFixedRows, 1)
            .Int("GridLineWidth", &C::GridLineWidth, &C::SetGridLineWidth, 1)
            .Set("Options", &C::Options, &C::SetOptions,
                 goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect,
                 GridOptionNames())
            .Int("RowCount", &C::RowCount, &C::SetRowCount, 5)
            .Enum("ScrollBars", &C::ScrollBars, &C::SetScrollBars, ssBoth,
                  {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"})
            .Event("OnTopLeftChanged", &C::OnTopLeftChanged)
            .Build();
    return Info;
}

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(csCaptureMouse | csOpaque | csDoubleClicks);
    SetParentColor(false);
    SetColor(clWindow);
    SetTabStop(true);
    SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() = default;

// ---- geometry ------------------------------------------------------------------------------

int TCustomGrid::ColWidths(int ACol) const {
    auto It = FColWidths.find(ACol);
    return It == FColWidths.end() ? FDefaultColWidth : It->second;
}

int TCustomGrid::RowHeights(int ARow) const {
    auto It = FRowHeights.find(ARow);
    return It == FRowHeights.end() ? FDefaultRowHeight : It->second;
}

void TCustomGrid::SetColWidths(int ACol, int W) {
    if (ACol < 0 || ACol >= FColCount || ColWidths(ACol) == W) return;
    FColWidths[ACol] = W;
    Invalidate();
}

void TCustomGrid::SetRowHeights(int ARow, int H) {
    if (ARow < 0 || ARow >= FRowCount || RowHeights(ARow) == H) return;
    FRowHeights[ARow] = H;
    ClampTopRow();
    UpdateScrollRange();
    Invalidate();
}

TRect TCustomGrid::ClientRect() const {
    int N = NonClientWidth();
    int W = Width() - 2 * N - (NeedsVertScroll() ? ScrollBarWidth() : 0);
    return {0, 0, std::max(0, W), std::max(0, Height() - 2 * N)};
}

int TCustomGrid::MaxTopRow() const {
    int Avail = std::max(0, Height() - 2 * NonClientWidth());
    for (int R = 0; R < FFixedRows; ++R) Avail -= RowHeights(R) + FGridLineWidth;
    int Top = FRowCount;
    int Used = 0;
    while (Top > FFixedRows) {
        int H = RowHeights(Top - 1) + FGridLineWidth;
        if (Used + RowHeights(Top - 1) > Avail) break;
        Used += H;
        --Top;
    }
    if (Top >= FRowCount) Top = FRowCount - 1;  // not even the last row fits: it may still be top
    return std::max(FFixedRows, Top);
}

bool TCustomGrid::NeedsVertScroll() const {
    return (FScrollBars == ssVertical || FScrollBars == ssBoth) && MaxTopRow() > FFixedRows;
}

int TCustomGrid::VisibleRowCount() const {
    int Avail = ClientRect().Bottom;
    int Y = 0;
    for (int R = 0; R < FFixedRows; ++R) Y += RowHeights(R) + FGridLineWidth;
    int N = 0;
    for (int R = FTopRow; R < FRowCount && Y + RowHeights(R) <= Avail; ++R, ++N)
        Y += RowHeights(R) + FGridLineWidth;
    return N;
}

int TCustomGrid::VisibleColCount() const {
    int Avail = ClientRect().Right;
    int X = 0;
    for (int C = 0; C < FFixedCols; ++C) X += ColWidths(C) + FGridLineWidth;
    int N = 0;
    for (int C = FLeftCol; C < FColCount && X + ColWidths(C) <= Avail; ++C, ++N)
        X += ColWidths(C) + FGridLineWidth;
    return N;
}

TRect TCustomGrid::CellAt(int ACol, int ARow) const {
    int X = 0, Y = 0;
    if (ACol < FFixedCols) {
        for (int C = 0; C < ACol; ++C) X += ColWidths(C) + FGridLineWidth;
    } else {
        for (int C = 0; C < FFixedCols; ++C) X += ColWidths(C) + FGridLineWidth;
        for (int C = FLeftCol; C < ACol; ++C) X += ColWidths(C) + FGridLineWidth;
    }
    if (ARow < FFixedRows) {
        for (int R = 0; R < ARow; ++R) Y += RowHeights(R) + FGridLineWidth;
    } else {
        for (int R = 0; R < FFixedRows; ++R) Y += RowHeights(R) + FGridLineWidth;
        for (int R = FTopRow; R < ARow; ++R) Y += RowHeights(R) + FGridLineWidth;
    }
    return {X, Y, X + ColWidths(ACol), Y + RowHeights(ARow)};
}

TRect TCustomGrid::CellRect(int ACol, int ARow) const {
    if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= FRowCount) return {};
    if ((ACol >= FFixedCols && ACol < FLeftCol) || (ARow >= FFixedRows && ARow < FTopRow)) return {};
    TRect R = CellAt(ACol, ARow);
    TRect C = ClientRect();
    if (R.Left >= C.Right || R.Top >= C.Bottom) return {};
    return R;
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
    ACol = ARow = -1;
    TRect CR = ClientRect();
    if (X < 0 || Y < 0 || X >= CR.Right || Y >= CR.Bottom) return;
    int P = 0;
    for (int C = 0; C < FColCount; ++C) {
        if (C >= FFixedCols && C < FLeftCol) continue;
        P += ColWidths(C) + FGridLineWidth;
        if (X < P) {
            ACol = C;
            break;
        }
    }
    P = 0;
    for (int R = 0; R < FRowCount; ++R) {
        if (R >= FFixedRows && R < FTopRow) continue;
        P += RowHeights(R) + FGridLineWidth;
        if (Y < P) {
            ARow = R;
            break;
        }
    }
    if (ACol < 0 || ARow < 0) ACol = ARow = -1;
}

// ---- properties ----------------------------------------------------------------------------

void TCustomGrid::SetColCount(int V) {
    if (V < 1) V = 1;
    if (V == FColCount) return;
    int Old = FColCount;
    FColCount = V;
    if (FFixedCols >= V) FFixedCols = V - 1;
    for (auto It = FColWidths.begin(); It != FColWidths.end();)
        It = It->first >= V ? FColWidths.erase(It) : ++It;
    FLeftCol = FFixedCols;
    FCol = std::clamp(FCol, FFixedCols, V - 1);
    FAnchorCol = FCol;
    SizeChanged(Old, FRowCount);
    BoundsChanged();
    Invalidate();
}

void TCustomGrid::SetRowCount(int V) {
    if (V < 1) V = 1;
    if (V == FRowCount) return;
    int Old = FRowCount;
    FRowCount = V;
    if (FFixedRows >= V) FFixedRows = V - 1;
    for (auto It = FRowHeights.begin(); It != FRowHeights.end();)
        It = It->first >= V ? FRowHeights.erase(It) : ++It;
    FRow = std::clamp(FRow, FFixedRows, V - 1);
    FAnchorRow = FRow;
    ClampTopRow();
    SizeChanged(FColCount, Old);
    BoundsChanged();
    Invalidate();
}

void TCustomGrid::SetFixedCols(int V) {
    if (V == FFixedCols) return;
    if (V < 0 || V >= FColCount) throw EInvalidOperation("Fixed column count must be less than column count");
    FFixedCols = V;
    FLeftCol = V;
    FCol = std::max(FCol, V);
    FAnchorCol = FCol;
    Invalidate();
}

void TCustomGrid::SetFixedRows(int V) {
    if (V == FFixedRows) return;
    if (V < 0 || V >= FRowCount) throw EInvalidOperation("Fixed row count must be less than row count");
    FFixedRows = V;
    FRow = std::max(FRow, V);
    FAnchorRow = FRow;
    FTopRow = std::max(FTopRow, V);
    ClampTopRow();
    BoundsChanged();
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int V) {
    if (V == FDefaultColWidth && FColWidths.empty()) return;
    FDefaultColWidth = V;
    FColWidths.clear();
    Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(int V) {
    if (V == FDefaultRowHeight && FRowHeights.empty()) return;
    FDefaultRowHeight = V;
    FRowHeights.clear();
    ClampTopRow();
    BoundsChanged();
    Invalidate();
}

// Lines wider than any window would show nothing more, and six of them must still fit an int.
void TCustomGrid::SetGridLineWidth(int V) {
    V = std::clamp(V, 0, kMaxGridLineWidth);
    if (V == FGridLineWidth) return;
    FGridLineWidth = V;
    ClampTopRow();
    BoundsChanged();
    Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions V) {
    if (V == FOptions) return;
    FOptions = V;
    Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle V) {
    if (V == FScrollBars) return;
    FScrollBars = V;
    BoundsChanged();
}

void TCustomGrid::SetBorderStyle(TFormBorderStyle V) {
    if (V != bsNone) V = bsSingle;
    if (V == FBorderStyle) return;
    FBorderStyle = V;
    BoundsChanged();
}

void TCustomGrid::SetFixedColor(TColor V) {
    if (V == FFixedColor) return;
    FFixedColor = V;
    Invalidate();
}

void TCustomGrid::SetCol(int V) {
    if (V != FCol) MoveColRow(V, FRow, true, true);
}

void TCustomGrid::SetRow(int V) {
    if (V != FRow) MoveColRow(FCol, V, true, true);
}

void TCustomGrid::ClampTopRow() {
    FTopRow = std::clamp(FTopRow, FFixedRows, MaxTopRow());
}

void TCustomGrid::SetTopRow(int V) {
    V = std::clamp(V, FFixedRows, MaxTopRow());
    if (V == FTopRow) return;
    FTopRow = V;
    UpdateScrollRange();
    TopLeftChanged();
    Invalidate();
}

void TCustomGrid::TopLeftChanged() {
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TCustomGrid::UpdateScrollRange() {
    if (FPeer) {
        FPeer->OnVertScroll = [this](int V) { SetTopRow(V); };
        FPeer->SetVertScrollBar(NeedsVertScroll(), FFixedRows, MaxTopRow(), FTopRow,
                                std::max(1, VisibleRowCount()));
    }
    CheckClientSize();
}

void TCustomGrid::BoundsChanged() {
    TCustomControl::BoundsChanged();
    int Old = FTopRow;
    ClampTopRow();
    UpdateScrollRange();
    if (Old != FTopRow) TopLeftChanged();
}

void TCustomGrid::MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show) {
    if (ACol < 0 || ARow < 0 || ACol >= FColCount || ARow >= FRowCount)
        throw EInvalidOperation("Grid index out of range");
    if (!SelectCell(ACol, ARow)) return;
    FCol = ACol;
    FRow = ARow;
    if (MoveAnchor || !(FOptions & goRangeSelect)) {
        FAnchorCol = FCol;
        FAnchorRow = FRow;
    }
    if (Show && FRow >= FFixedRows) {
        int Top = FTopRow;
        if (FRow < Top) Top = FRow;
        int Visible = std::max(1, VisibleRowCount());
        if (FRow >= Top + Visible) Top = FRow - Visible + 1;
        SetTopRow(Top);
    }
    Invalidate();
}

bool TCustomGrid::SelectCell(int ACol, int ARow) {
    return true;
}

void TCustomGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {}

// ---- input ---------------------------------------------------------------------------------

void TCustomGrid::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_GETDLGCODE:
            Message.Result = DLGC_WANTARROWS;
            if (FOptions & goRowSelect) return;
            if (FOptions & goTabs) Message.Result |= DLGC_WANTTAB;
            if (FOptions & goEditing) Message.Result |= DLGC_WANTCHARS;
            return;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Invalidate();
            break;
        default:
            break;
    }
    TCustomControl::Dispatch(Message);
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (HandleAllocated() && CanFocus() && !Focused()) SetFocus();
        int C, R;
        MouseToCell(X, Y, C, R);
        if (C >= FFixedCols && R >= FFixedRows) {
            MoveColRow(C, R, !(Shift & ssShift), true);
            Click();
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0) return;
    int C = FCol, R = FRow;
    int Page = std::max(1, VisibleRowCount());
    bool Ctrl = Shift & ssCtrl;
    bool RowSelect = FOptions & goRowSelect;
    switch (Key) {
        case VK_UP:
            --R;
            break;
        case VK_DOWN:
            ++R;
            break;
        case VK_LEFT:
            if (!RowSelect) --C;
            break;
        case VK_RIGHT:
            if (!RowSelect) ++C;
            break;
        case VK_PRIOR:
            R -= Page;
            break;
        case VK_NEXT:
            R += Page;
            break;
        case VK_HOME:
            if (Ctrl || RowSelect) R = FFixedRows;
            if (!RowSelect) C = FFixedCols;
            break;
        case VK_END:
            if (Ctrl || RowSelect) R = FRowCount - 1;
            if (!RowSelect) C = FColCount - 1;
            break;
        default:
            return;
    }
    C = std::clamp(C, std::min(FFixedCols, FColCount - 1), FColCount - 1);
    R = std::clamp(R, std::min(FFixedRows, FRowCount - 1), FRowCount - 1);
    if (C != FCol || R != FRow) {
        MoveColRow(C, R, !(Shift & ssShift), true);
        Click();
    }
}

// ---- painting ------------------------------------------------------------------------------

TColor TCustomGrid::LineColor() const {
    return ColorToRGB(Color()) == clSilver ? clGray : clSilver;
}

void TCustomGrid::Paint() {
    TCanvas* Cv = Canvas();
    TRect CR = ClientRect();
    Cv->Brush()->SetStyle(bsSolid);
    Cv->Brush()->SetColor(Color());
    Cv->FillRect(CR);
    const int G = FGridLineWidth;
    const bool HasFocus = Focused();
    auto Fill = [Cv](const TRect& R, TColor C) {
        Cv->Brush()->SetStyle(bsSolid);
        Cv->Brush()->SetColor(C);
        Cv->FillRect(R);
    };
    int Y = 0;
    for (int Row = 0; Row < FRowCount && Y < CR.Bottom; ++Row) {
        if (Row >= FFixedRows && Row < FTopRow) continue;
        int H = RowHeights(Row);
        int X = 0;
        TRect RowFocus{};
        for (int Col = 0; Col < FColCount && X < CR.Right; ++Col) {
            if (Col >= FFixedCols && Col < FLeftCol) continue;
            int W = ColWidths(Col);
            TRect R{X, Y, X + W, Y + H};
            bool Fixed = Col < FFixedCols || Row < FFixedRows;
            TGridDrawState State = 0;
            if (Fixed) {
                State |= gdFixed;
            } else {
                if (Row == FRow && ((FOptions & goRowSelect) || Col == FCol)) State |= gdSelected;
                if (Row == FRow && Col == FCol && HasFocus) State |= gdFocused;
            }
            Cv->SetFont(*Font());
            TColor Back = Color();
            if (Fixed) {
                Back = FFixedColor;
            } else if ((State & gdSelected) &&
                       (!(State & gdFocused) || (FOptions & (goDrawFocusSelected | goRowSelect)))) {
                Back = clHighlight;
                Cv->Font()->SetColor(clHighlightText);
            }
            Fill(R, Back);
            if (Fixed && Ctl3D() && (FOptions & (goFixedVertLine | goFixedHorzLine)) && W > 1 && H > 1) {
                Fill({R.Left, R.Top, R.Right, R.Top + 1}, clBtnHighlight);
                Fill({R.Left, R.Top, R.Left + 1, R.Bottom}, clBtnHighlight);
                Fill({R.Left, R.Bottom - 1, R.Right, R.Bottom}, clBtnShadow);
                Fill({R.Right - 1, R.Top, R.Right, R.Bottom}, clBtnShadow);
            }
            Cv->Brush()->SetColor(Back);
            DrawCell(Col, Row, R, State);
            if ((State & gdFocused) && !(FOptions & goRowSelect)) Cv->DrawFocusRect(R);
            if (HasFocus && (FOptions & goRowSelect) && Row == FRow && !Fixed) {
                if (RowFocus.Right == 0) RowFocus = R;
                RowFocus.Right = R.Right;
            }
            if (G > 0) {
                TColor Line = Fixed ? FixedLineColor() : LineColor();
                if (FOptions & (Fixed ? goFixedVertLine : goVertLine))
                    Fill({R.Right, R.Top, R.Right + G, R.Bottom + G}, Line);
                if (FOptions & (Fixed ? goFixedHorzLine : goHorzLine))
                    Fill({R.Left, R.Bottom, R.Right + G, R.Bottom + G}, Line);
            }
            X += W + G;
        }
        if (RowFocus.Right > RowFocus.Left) Cv->DrawFocusRect(RowFocus);
        Y += H + G;
    }
}
