#include "controls/Cgrid.h"

#include <algorithm>

#include "TCCOLORGRID.bmp.h"
#include "platform/classes/Registry.h"
#include "platform/rtl/Resources.h"

namespace {
constexpr int kSquareCount = 16;

bool IsSquare(int Which) {
    return Which >= 0 && Which < kSquareCount;
}
}  // namespace

const TClassInfo& TCColorGrid::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TCColorGrid>("TCColorGrid", &TCustomControl::StaticClassInfo())
            .Creatable()
            // What every control publishes, as form descriptions write it first.
            .Inherit({"Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint"})
            .Inherit({"Anchors"})
            .Bool("ClickEnablesColor", &TCColorGrid::ClickEnablesColor, &TCColorGrid::SetClickEnablesColor,
                  false)
            .Inherit({"Constraints", "Ctl3D", "DragCursor", "DragMode", "Enabled"})
            .Enum("GridOrdering", &TCColorGrid::GridOrdering, &TCColorGrid::SetGridOrdering, go4x4,
                  {"go16x1", "go8x2", "go4x4", "go2x8", "go1x16"})
            .Int("ForegroundIndex", &TCColorGrid::ForegroundIndex, &TCColorGrid::SetForegroundIndex, 0)
            .Int("BackgroundIndex", &TCColorGrid::BackgroundIndex, &TCColorGrid::SetBackgroundIndex, 0)
            .Bool("ForegroundEnabled", &TCColorGrid::ForegroundEnabled, &TCColorGrid::EnableForeground, true)
            .Bool("BackgroundEnabled", &TCColorGrid::BackgroundEnabled, &TCColorGrid::EnableBackground, true)
            .Inherit({"Font", "ParentCtl3D", "ParentFont", "ParentShowHint"})
            .Int("Selection", &TCColorGrid::Selection, &TCColorGrid::SetSelection, 0)
            .Inherit({"ShowHint", "TabOrder", "TabStop", "Visible"})
            .Event("OnChange", &TCColorGrid::OnChange)
            .Inherit({"OnClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown",
                      "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDrag"})
            .Build();
    return Info;
}

TCColorGrid::TCColorGrid(TComponent* AOwner) : TCustomControl(AOwner) {
    FGridOrdering = go4x4;
    FColumnCount = 4;
    FRowCount = 4;
    FForegroundEnabled = true;
    FBackgroundEnabled = true;
    SetColor(clBtnFace);
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Pen()->SetColor(clBlack);
    SetBounds(0, 0, 100, 100);
    GetPaletteEntries(GetStockObject(DEFAULT_PALETTE), 0, 20, FPaletteEntries);
}

void TCColorGrid::CreateWnd() {
    TCustomControl::CreateWnd();
    SetWindowLongA(this, GWL_STYLE, GetWindowLongA(this, GWL_STYLE) | static_cast<int32_t>(WS_CLIPSIBLINGS));
}

TColor TCColorGrid::SquareColor(int Which) const {
    if (!IsSquare(Which)) return clBlack;
    const PALETTEENTRY& E = SquareEntry(Which);
    return RGB(E.peRed, E.peGreen, E.peBlue);
}

TColor TCColorGrid::ContrastColor(int Which) const {
    if (!IsSquare(Which)) return clWhite;
    const PALETTEENTRY& E = SquareEntry(Which);
    auto Opposite = [](uint8_t C) -> uint8_t { return C >= 0x80 ? 0 : 255; };
    return RGB(Opposite(E.peRed), Opposite(E.peGreen), Opposite(E.peBlue));
}

TRect TCColorGrid::SquareRect(int Which) const {
    int Left = (Which % FColumnCount) * FCellWidth;
    int Top = (Which / FColumnCount) * FCellHeight;
    return Rect(Left, Top, Left + FCellWidth, Top + FCellHeight);
}

void TCColorGrid::Change() {
    if (OnChange) OnChange(this);
}

void TCColorGrid::SetGridOrdering(TGridOrdering Value) {
    if (Value == FGridOrdering || Value > go1x16) return;
    FGridOrdering = Value;
    FColumnCount = 16 >> Value;
    FRowCount = 1 << Value;
    UpdateCellSizes(true);
}

void TCColorGrid::UpdateCellSizes(bool Redraw) {
    int NewWidth = (Width() / FColumnCount) * FColumnCount;
    int NewHeight = (Height() / FRowCount) * FRowCount;
    SetBoundsRect(Rect(Left(), Top(), Left() + NewWidth, Top() + NewHeight));
    FCellWidth = Width() / FColumnCount;
    FCellHeight = Height() / FRowCount;
    if (Redraw) Invalidate();
}

int TCColorGrid::SquareFromPos(int X, int Y) const {
    if (FCellWidth <= 0 || FCellHeight <= 0) return -1;
    if (X > Width() - 1)
        X = Width() - 1;
    else if (X < 0)
        X = 0;
    if (Y > Height() - 1)
        Y = Height() - 1;
    else if (Y < 0)
        Y = 0;
    // A size the library would not let us snap leaves a strip beyond the last column or row;
    // it belongs to the edge squares rather than to the next row.
    int Column = std::min(X / FCellWidth, FColumnCount - 1);
    int Row = std::min(Y / FCellHeight, FRowCount - 1);
    return Row * FColumnCount + Column;
}

void TCColorGrid::RefreshSquare(int Which) {
    DrawSquare(Which, Which == FSelection && FHasFocus);
}

void TCColorGrid::SetSelection(int Value) {
    if (Value == FSelection || !IsSquare(Value)) return;
    DrawSquare(FSelection, false);
    FSelection = Value;
    DrawSquare(FSelection, FHasFocus);
    DrawFgBg();
}

void TCColorGrid::SetForegroundIndex(int Value) {
    if (Value == FForegroundIndex || !FForegroundEnabled || !IsSquare(Value)) return;
    RefreshSquare(FForegroundIndex);
    FForegroundIndex = Value;
    if (FForegroundIndex == FBackgroundIndex) RefreshSquare(FBackgroundIndex);
    DrawFgBg();
    Change();
}

void TCColorGrid::SetBackgroundIndex(int Value) {
    if (Value == FBackgroundIndex || !FBackgroundEnabled || !IsSquare(Value)) return;
    RefreshSquare(FBackgroundIndex);
    FBackgroundIndex = Value;
    if (FBackgroundIndex == FForegroundIndex) RefreshSquare(FForegroundIndex);
    DrawFgBg();
    Change();
}

void TCColorGrid::EnableForeground(bool Value) {
    if (Value == FForegroundEnabled) return;
    FForegroundEnabled = Value;
    RefreshSquare(FForegroundIndex);
    DrawFgBg();
}

void TCColorGrid::EnableBackground(bool Value) {
    if (Value == FBackgroundEnabled) return;
    FBackgroundEnabled = Value;
    RefreshSquare(FBackgroundIndex);
    DrawFgBg();
}

// The -1 makes the following SetForegroundIndex take effect even for the square stored before.
void TCColorGrid::TurnForegroundOn() {
    if (FForegroundEnabled || !FClickEnablesColor) return;
    FForegroundEnabled = true;
    RefreshSquare(FForegroundIndex);
    FForegroundIndex = -1;
}

void TCColorGrid::TurnBackgroundOn() {
    if (FBackgroundEnabled || !FClickEnablesColor) return;
    FBackgroundEnabled = true;
    RefreshSquare(FBackgroundIndex);
    FBackgroundIndex = -1;
}

void TCColorGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    int Square = SquareFromPos(X, Y);
    // Too small to hold its squares: there is nothing to press.
    if (Square < 0) return;
    FPressedButton = Button;
    FTracking = true;
    if (Button == mbLeft) {
        TurnForegroundOn();
        SetForegroundIndex(Square);
    } else {
        SetMouseCapture(true);
        TurnBackgroundOn();
        SetBackgroundIndex(Square);
    }
    SetSelection(Square);
    if (TabStop()) SetFocus();
}

void TCColorGrid::MouseMove(TShiftState Shift, int X, int Y) {
    TCustomControl::MouseMove(Shift, X, Y);
    if (!FTracking) return;
    int Square = SquareFromPos(X, Y);
    if (Square < 0) return;
    if (FPressedButton == mbLeft)
        SetForegroundIndex(Square);
    else
        SetBackgroundIndex(Square);
    SetSelection(Square);
}

void TCColorGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    FTracking = false;
    // The capture was taken by a right or middle press; a left press in between must not keep it.
    if (FPressedButton != mbLeft || Button != mbLeft) SetMouseCapture(false);
}

void TCColorGrid::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    const int N = FColumnCount * FRowCount;
    int New = FSelection;
    switch (Key) {
        case VK_RIGHT:
        case VK_SPACE:
            New = FSelection == N - 1 ? 0 : FSelection + 1;
            break;
        case VK_LEFT:
            New = FSelection == 0 ? N - 1 : FSelection - 1;
            break;
        case VK_DOWN:
            if (FSelection + FColumnCount < N)
                New = FSelection + FColumnCount;
            else if (FSelection == N - 1)
                New = 0;
            else
                New = FSelection % FColumnCount + 1;
            break;
        case VK_UP:
            if (FSelection >= FColumnCount)
                New = FSelection - FColumnCount;
            else if (FSelection == 0)
                New = N - 1;
            else
                New = N - FColumnCount + FSelection - 1;
            break;
        case VK_HOME:
            New = 0;
            break;
        case VK_END:
            New = N - 1;
            break;
        case 'F':
            TurnForegroundOn();
            SetForegroundIndex(FSelection);
            SetSelection(FSelection);
            Click();
            break;
        case 'B':
            TurnBackgroundOn();
            SetBackgroundIndex(FSelection);
            SetSelection(FSelection);
            Click();
            break;
        default:
            return;
    }
    Key = 0;
    if (New != FSelection) SetSelection(New);
}

void TCColorGrid::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_SIZE:
            WMSize(Message);
            break;
        case WM_SETFOCUS:
            WMSetFocus(Message);
            break;
        case WM_KILLFOCUS:
            WMKillFocus(Message);
            break;
        case WM_GETDLGCODE:
            WMGetDlgCode(Message);
            break;
        case CM_CTL3DCHANGED:
            CMCtl3DChanged(Message);
            break;
        default:
            TCustomControl::Dispatch(Message);
    }
}

void TCColorGrid::WMSize(TMessage&) {
    UpdateCellSizes(false);
}

void TCColorGrid::WMSetFocus(TMessage&) {
    FHasFocus = true;
    DrawSquare(FSelection, true);
    DrawFgBg();
}

void TCColorGrid::WMKillFocus(TMessage&) {
    FHasFocus = false;
    DrawSquare(FSelection, false);
    DrawFgBg();
}

void TCColorGrid::WMGetDlgCode(TMessage& Message) {
    Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void TCColorGrid::CMCtl3DChanged(TMessage&) {
    Invalidate();
}

void TCColorGrid::Paint() {
    Canvas()->SetFont(*Font());
    for (int Row = 0; Row < FRowCount; ++Row)
        for (int Column = 0; Column < FColumnCount; ++Column) DrawSquare(Row * FColumnCount + Column, false);
    DrawSquare(FSelection, FHasFocus);
    DrawFgBg();
}

void TCColorGrid::DrawSquare(int Which, bool ShowSelector) {
    // A square of no size has nothing to show; its bevel would be drawn inside out.
    if (!IsSquare(Which) || FCellWidth <= 0 || FCellHeight <= 0) return;
    TCanvas* C = Canvas();
    TRect R = SquareRect(Which);
    TColor Cell = SquareColor(Which);
    if (Ctl3D()) {
        C->Pen()->SetColor(clBtnFace);
        C->Rectangle(R);
        InflateRect(R, -1, -1);
        Frame3D(C, R, clBtnShadow, clBtnHighlight, 2);
        C->Brush()->SetColor(Cell);
        C->Pen()->SetColor(Cell);
        C->Rectangle(R);
        if (ShowSelector) {
            InflateRect(R, -1, -1);
            DrawFocusRect(C->Handle(), R);
        }
    } else {
        C->Pen()->SetColor(clBlack);
        C->Brush()->SetColor(Cell);
        // The cursor inverts the plain square: drawn over itself it would vanish.
        C->Rectangle(R);
        if (ShowSelector) {
            C->Pen()->SetMode(pmNot);
            C->Rectangle(R);
            C->Pen()->SetMode(pmCopy);
            C->Rectangle(R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - 2);
        }
    }
}

void TCColorGrid::DrawFgBg() {
    TCanvas* C = Canvas();
    int OldMode = SetBkMode(C->Handle(), TRANSPARENT);
    auto Mark = [this, C](int Which, const char* Text) {
        if (!IsSquare(Which)) return;
        AnsiString S = LoadResString(Text);
        C->Font()->SetColor(ContrastColor(Which));
        TRect T = SquareRect(Which);
        DrawTextA(C->Handle(), S.c_str(), -1, &T, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    };
    bool Shared = FForegroundIndex == FBackgroundIndex;
    if (FForegroundEnabled) Mark(FForegroundIndex, Shared && FBackgroundEnabled ? SFB : SFG);
    if (FBackgroundEnabled) Mark(FBackgroundIndex, Shared && FForegroundEnabled ? SFB : SBG);
    SetBkMode(C->Handle(), OldMode);
}

namespace Cgrid {
void Register() {
    RegisterBitmapResource("TCCOLORGRID", kTCCOLORGRID_bmp, sizeof(kTCCOLORGRID_bmp));
    RegisterComponents(LoadStr(101), {&TCColorGrid::StaticClassInfo()});
}
}  // namespace Cgrid
