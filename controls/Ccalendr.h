#pragma once
#include <cstdint>

#include "platform/rtl/Dates.h"
#include "platform/ui/Grids.h"

// A month on a 7 x 7 grid: a header row of day names and six week rows of day numbers, the held
// date's cell current. Picking a day by mouse or keyboard makes it the held date.
class TCCalendar : public TCustomGrid {
    AGENDIX_CLASS(TCCalendar)
    explicit TCCalendar(TComponent* AOwner);
    ~TCCalendar() override;

    TDateTime CalendarDate() const { return FDate; }
    void SeTCCalendarDate(TDateTime Value);
    bool StoreCalendarDate() const { return !FUseCurrentDate; }

    // Index 1 is the year, 2 the month, 3 the day.
    int GetDateElement(int Index) const;
    void SetDateElement(int Index, int Value);
    int Year() const { return GetDateElement(1); }
    void SetYear(int V) { SetDateElement(1, V); }
    int Month() const { return GetDateElement(2); }
    void SetMonth(int V) { SetDateElement(2, V); }
    int Day() const { return GetDateElement(3); }
    void SetDay(int V) { SetDateElement(3, V); }

    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool V) { FReadOnly = V; }
    int16_t StartOfWeek() const { return FStartOfWeek; }
    void SetStartOfWeek(int16_t Value);
    bool UseCurrentDate() const { return FUseCurrentDate; }
    void SetUseCurrentDate(bool Value);
    int MonthOffset() const { return FMonthOffset; }

    AnsiString GetCellText(int ACol, int ARow) const;
    void ChangeMonth(int Delta);
    void PrevMonth() { ChangeMonth(-1); }
    void NextMonth() { ChangeMonth(1); }
    void PrevYear();
    void NextYear();

    void Click() override;
    void Dispatch(TMessage& Message) override;

    virtual void Change();
    virtual int DaysThisMonth() const;
    virtual bool IsLeapYear(int AYear) const;
    virtual void UpdateCalendar();
    virtual int DaysPerMonth(int AYear, int AMonth) const;

    TNotifyEvent OnChange;

  protected:
    bool SelectCell(int ACol, int ARow) override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void WMSize(const TWMSize& Message);

  private:
    TDateTime FDate = 0;
    int FMonthOffset = 0;
    bool FReadOnly = false;
    int16_t FStartOfWeek = 0;
    bool FUpdating = false;
    bool FUseCurrentDate = true;
};

namespace Ccalendr {
void Register();
}
