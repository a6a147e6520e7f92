#include "controls/Ccalendr.h"

#include <algorithm>

#include "TCCALENDAR.bmp.h"
#include "platform/classes/Registry.h"
#include "platform/rtl/Resources.h"

namespace {
// EncodeDate takes 16-bit elements; a larger year must be refused like any other year past 9999
// instead of wrapping around into a valid one.
TDateTime EncodeElements(int Y, int M, int D) {
    return EncodeDate(static_cast<uint16_t>(std::min(Y, 10000)), static_cast<uint16_t>(M),
                      static_cast<uint16_t>(D));
}
}  // namespace

const TClassInfo& TCCalendar::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TCCalendar>("TCCalendar", &TCustomGrid::StaticClassInfo())
            .Creatable()
            // What every control publishes, as form descriptions write it first.
            .Inherit({"Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint"})
            .Inherit({"Align", "Anchors", "BorderStyle", "Color", "Constraints", "Ctl3D"})
            .IntNotStored("Day", &TCCalendar::Day, &TCCalendar::SetDay)
            .Inherit({"DragCursor", "DragKind", "DragMode", "Enabled", "Font", "GridLineWidth"})
            .IntNotStored("Month", &TCCalendar::Month, &TCCalendar::SetMonth)
            .Inherit({"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu"})
            .Bool("ReadOnly", &TCCalendar::ReadOnly, &TCCalendar::SetReadOnly, false)
            .Inherit({"ShowHint"})
            .Int("StartOfWeek", &TCCalendar::StartOfWeek, &TCCalendar::SetStartOfWeek, 1)
            .Inherit({"TabOrder", "TabStop"})
            .Bool("UseCurrentDate", &TCCalendar::UseCurrentDate, &TCCalendar::SetUseCurrentDate, true)
            .Inherit({"Visible"})
            .IntNotStored("Year", &TCCalendar::Year, &TCCalendar::SetYear)
            .Inherit({"OnClick"})
            .Event("OnChange", &TCCalendar::OnChange)
            .Inherit({"OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit",
                      "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnStartDock", "OnStartDrag"})
            .Build();
    return Info;
}

TCCalendar::TCCalendar(TComponent* AOwner) : TCustomGrid(AOwner) {
    FDate = 0;
    FUseCurrentDate = true;
    SetFixedCols(0);
    SetFixedRows(1);
    SetColCount(7);
    SetRowCount(7);
    SetStartOfWeek(1);
    SetScrollBars(ssNone);
    FDate = Date();
    SetOptions((Options() & ~static_cast<TGridOptions>(goRangeSelect)) | goDrawFocusSelected);
    UpdateCalendar();
}

TCCalendar::~TCCalendar() = default;

bool TCCalendar::IsLeapYear(int AYear) const {
    return AYear % 4 == 0 && (AYear % 100 != 0 || AYear % 400 == 0);
}

int TCCalendar::DaysPerMonth(int AYear, int AMonth) const {
    static constexpr int Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (AMonth < 1 || AMonth > 12) return 0;
    int Result = Days[AMonth - 1];
    if (AMonth == 2 && IsLeapYear(AYear)) ++Result;
    return Result;
}

int TCCalendar::DaysThisMonth() const {
    return DaysPerMonth(GetDateElement(1), GetDateElement(2));
}

int TCCalendar::GetDateElement(int Index) const {
    uint16_t Y, M, D;
    DecodeDate(FDate, Y, M, D);
    switch (Index) {
        case 1:
            return Y;
        case 2:
            return M;
        case 3:
            return D;
        default:
            return -1;
    }
}

void TCCalendar::SetDateElement(int Index, int Value) {
    if (Value <= 0) return;
    uint16_t Y16, M16, D16;
    DecodeDate(FDate, Y16, M16, D16);
    int Y = Y16, M = M16, D = D16;
    switch (Index) {
        case 1:
            if (Value == Y) return;
            Y = Value;
            break;
        case 2:
            if (Value > 12 || Value == M) return;
            M = Value;
            break;
        case 3:
            if (Value > DaysThisMonth() || Value == D) return;
            D = Value;
            break;
        default:
            return;
    }
    FDate = EncodeElements(Y, M, D);
    FUseCurrentDate = false;
    UpdateCalendar();
    Change();
}

AnsiString TCCalendar::GetCellText(int ACol, int ARow) const {
    // The grid has only these cells; anything else (a grid being resized) has no text.
    if (ACol < 0 || ACol > 6 || ARow < 0 || ARow > 6) return "";
    if (ARow == 0) return ShortDayNames[(FStartOfWeek + ACol) % 7];
    int N = FMonthOffset + ACol + (ARow - 1) * 7;
    if (N < 1 || N > DaysThisMonth()) return "";
    return IntToStr(N);
}

void TCCalendar::UpdateCalendar() {
    FUpdating = true;
    struct Done {
        bool& Flag;
        ~Done() { Flag = false; }
    } Reset{FUpdating};
    uint16_t Y, M, D;
    DecodeDate(FDate, Y, M, D);
    int W = DayOfWeek(EncodeDate(Y, M, 1));
    FMonthOffset = 2 - ((W - FStartOfWeek + 7) % 7);
    if (FMonthOffset == 2) FMonthOffset = -5;
    int Pos = D - FMonthOffset;
    MoveColRow(Pos % 7, Pos / 7 + 1, false, false);
    Invalidate();
}

void TCCalendar::SeTCCalendarDate(TDateTime Value) {
    // A date outside years 1 to 9999 is refused before it is stored, so the calendar keeps working.
    uint16_t Y, M, D;
    DecodeDate(Value, Y, M, D);
    FDate = Value;
    UpdateCalendar();
    Change();
}

void TCCalendar::SetStartOfWeek(int16_t Value) {
    if (Value < 1 || Value > 7) Value = 1;
    if (Value == FStartOfWeek) return;
    FStartOfWeek = Value;
    UpdateCalendar();
}

void TCCalendar::SetUseCurrentDate(bool Value) {
    if (Value == FUseCurrentDate) return;
    FUseCurrentDate = Value;
    if (Value) {
        FDate = Date();
        UpdateCalendar();
    }
}

void TCCalendar::ChangeMonth(int Delta) {
    uint16_t Y, M, D;
    DecodeDate(FDate, Y, M, D);
    int Wanted = D;
    int From = Delta > 0 ? DaysPerMonth(Y, M) : 1;
    TDateTime T = EncodeDate(Y, M, From) + Delta;
    uint16_t NY, NM, ND;
    DecodeDate(T, NY, NM, ND);
    int NewDay = std::min(Wanted, DaysPerMonth(NY, NM));
    SeTCCalendarDate(EncodeDate(NY, NM, NewDay));
}

void TCCalendar::NextYear() {
    if (IsLeapYear(GetDateElement(1)) && GetDateElement(2) == 2 && GetDateElement(3) == 29)
        SetDateElement(3, 28);
    SetDateElement(1, GetDateElement(1) + 1);
}

void TCCalendar::PrevYear() {
    if (IsLeapYear(GetDateElement(1)) && GetDateElement(2) == 2 && GetDateElement(3) == 29)
        SetDateElement(3, 28);
    SetDateElement(1, GetDateElement(1) - 1);
}

void TCCalendar::Change() {
    if (OnChange) OnChange(this);
}

void TCCalendar::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    AnsiString Text = GetCellText(ACol, ARow);
    TCanvas* C = Canvas();
    int H = C->TextHeight(Text);
    int W = C->TextWidth(Text);
    int X = ARect.Left + (ARect.Right - ARect.Left - W) / 2;
    int Y = ARect.Top + (ARect.Bottom - ARect.Top - H) / 2;
    C->TextRect(ARect, X, Y, Text);
}

bool TCCalendar::SelectCell(int ACol, int ARow) {
    if (FReadOnly && !FUpdating) return false;
    if (GetCellText(ACol, ARow).empty()) return false;
    return TCustomGrid::SelectCell(ACol, ARow);
}

void TCCalendar::Click() {
    AnsiString Text = GetCellText(Col(), Row());
    if (!Text.empty()) SetDateElement(3, StrToInt(Text));
}

void TCCalendar::WMSize(const TWMSize& Message) {
    int G = 6 * GridLineWidth();
    SetDefaultColWidth((Message.Width - G) / 7);
    SetDefaultRowHeight((Message.Height - G) / 7);
}

void TCCalendar::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_SIZE) {
        WMSize(AsSize(Message));
        return;
    }
    TCustomGrid::Dispatch(Message);
}

namespace Ccalendr {
void Register() {
    RegisterBitmapResource("TCCALENDAR", kTCCALENDAR_bmp, sizeof(kTCCALENDAR_bmp));
    RegisterComponents(LoadStr(101), {&TCCalendar::StaticClassInfo()});
}
}  // namespace Ccalendr
