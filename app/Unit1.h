#pragma once
#include "controls/Ccalendr.h"
#include "platform/dbctrls/DBGrids.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "store/Schedule.h"

// The sixteen hourly rows of the day timetable: row number, two-digit hour.
#define AGENDIX_TIMETABLE_ROWS(X)                                                                        \
    X(1, 06) X(2, 07) X(3, 08) X(4, 09) X(5, 10) X(6, 11) X(7, 12) X(8, 13) X(9, 14) X(10, 15) X(11, 16) \
        X(12, 17) X(13, 18) X(14, 19) X(15, 20) X(16, 21)

// The main window: two month calendars, the month summary and the day timetable.
class TForm1 : public TForm {
    AGENDIX_CLASS(TForm1)
    explicit TForm1(TComponent* AOwner);

    TPanel* Panel1 = nullptr;
    TPanel* Pan_CurrDay = nullptr;
#define AGENDIX_ROW_FIELDS(N, HH) \
    TLabel* Label##N = nullptr;   \
    TLabel* Lbl_##HH = nullptr;   \
    TBevel* Bevel##N = nullptr;
    AGENDIX_TIMETABLE_ROWS(AGENDIX_ROW_FIELDS)
#undef AGENDIX_ROW_FIELDS
    TPanel* Panel2 = nullptr;
    TPanel* Pan_CurrMonth = nullptr;
    TUpDown* UpDown1 = nullptr;
    TPanel* Pan_NextMonth = nullptr;
    TCCalendar* Cal_CurrMonth = nullptr;
    TCCalendar* Cal_NextMonth = nullptr;
    TDBGrid* DBGrid1 = nullptr;

    void FormCreate(TObject* Sender);
    void Qry_SchCount(TObject* Sender);
    void UpDown1Click(TObject* Sender, TUDBtnType Button);
    void Cal_CurrMonthChange(TObject* Sender);
    void DBGrid1CellClick(TColumn* Column);
    void DisPlayData(TObject* Sender);

    void ShowMonthCaption();
    void ClearTimeTable();
    void RefreshTimeTable();
    // The entry label of timetable row k (hour 6 + k).
    TLabel* EntryLabel(int K) const;

    // The current date as decimal text, copies of the first calendar's date, and the slot hour
    // of the last clicked row. The day filter and the entry dialog read them.
    AnsiString Str_CurrYear;
    AnsiString Str_CurrMonth;
    AnsiString Str_CurrDay;
    AnsiString Str_CurrTime;
};

extern TForm1* Form1;

// The text of a free timetable row.
inline constexpr const char* FreeSlotText = " ";
// Every memo file lies in this directory; the entry dialog writes them, the main window reads them.
inline constexpr const char* MemoDirectory = Schedule::MemoDirectory;
