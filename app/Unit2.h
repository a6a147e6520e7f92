#pragma once
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "store/DBTables.h"
#include "store/Schedule.h"

// The modal dialog that edits, saves and deletes the entry of one hourly slot.
class TForm2 : public TForm {
    AGENDIX_CLASS(TForm2)
    explicit TForm2(TComponent* AOwner);
    void Loaded() override;

    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TEdit* Edt_Title = nullptr;
    TComboBox* Cbo_Start = nullptr;
    TComboBox* Cbo_End = nullptr;
    TMemo* Memo1 = nullptr;
    TButton* Btn_Confirm = nullptr;
    TButton* Btn_Cancel = nullptr;
    TButton* Btn_Delete = nullptr;

    void Btn_ConfirmClick(TObject* Sender);
    void Btn_DeleteClick(TObject* Sender);

    // The memo file of the current date and slot hour, without directory.
    static AnsiString MemoFileName(const AnsiString& Year, const AnsiString& Month, const AnsiString& Day,
                                   const AnsiString& Time);
};

extern TForm2* Form2;

// Finds the current day's row of the slot hour; leaves the table on it, or past the end.
bool FindSlot(TTable* Table1, const AnsiString& Time);

inline constexpr int TitleWidth = Schedule::TitleWidth;
