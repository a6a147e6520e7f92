#include "app/Unit2.h"

#include "Unit2.form.h"
#include "app/Unit1.h"
#include "app/Unit3.h"
#include "platform/rtl/Cp949.h"

TForm2* Form2 = nullptr;

const TClassInfo& TForm2::StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TForm2>("TForm2", &TForm::StaticClassInfo())
                                       .Creatable()
                                       .InheritAll()
                                       .Field("Label1", &TForm2::Label1)
                                       .Field("Label2", &TForm2::Label2)
                                       .Field("Label3", &TForm2::Label3)
                                       .Field("Edt_Title", &TForm2::Edt_Title)
                                       .Field("Cbo_Start", &TForm2::Cbo_Start)
                                       .Field("Cbo_End", &TForm2::Cbo_End)
                                       .Field("Memo1", &TForm2::Memo1)
                                       .Field("Btn_Confirm", &TForm2::Btn_Confirm)
                                       .Field("Btn_Cancel", &TForm2::Btn_Cancel)
                                       .Field("Btn_Delete", &TForm2::Btn_Delete)
                                       .Method("Btn_ConfirmClick", &TForm2::Btn_ConfirmClick)
                                       .Method("Btn_DeleteClick", &TForm2::Btn_DeleteClick)
                                       .Build();
    return Info;
}

TForm2::TForm2(TComponent* AOwner) : TForm(AOwner) {
    SetFormResource(kUnit2_form);
}

void TForm2::Loaded() {
    TForm::Loaded();
    // What the labels say, as screen readers name the fields; the memo has no label of its own.
    Edt_Title->SetAccessibleName("제목");
    Cbo_Start->SetAccessibleName("시작시간");
    Cbo_End->SetAccessibleName("종료시간");
    Memo1->SetAccessibleName("메모");
}

// Year, month, day and slot hour joined. The year always has four digits, and a one-digit day
// after a two-digit month gets a leading zero, so that no two dates share a name: 12 January
// gives 200211209.txt and 2 November 2002110209.txt. Names of 12 to 14 bytes.
AnsiString TForm2::MemoFileName(const AnsiString& Year, const AnsiString& Month, const AnsiString& Day,
                                const AnsiString& Time) {
    AnsiString Y = Year.size() < 4 ? AnsiString(4 - Year.size(), '0') + Year : Year;
    AnsiString D = Month.size() == 2 && Day.size() == 1 ? "0" + Day : Day;
    return Y + Month + D + Time + ".txt";
}

namespace {
// Finds the current day's row of the slot hour; leaves the table on it, or past the end.
bool FindSlot(TTable* Table1, const AnsiString& Time) {
    Table1->First();
    while (!Table1->Eof()) {
        if (Table1->FieldByName("Time")->AsString() == Time) return true;
        Table1->Next();
    }
    return false;
}
}  // namespace

void TForm2::Btn_ConfirmClick(TObject* Sender) {
    // Everything that could refuse the save is checked before anything is written, so a refused
    // save leaves both the memo file and the table as they were, and the dialog open.
    AnsiString Title = Edt_Title->Text();
    if (!IsCp949Representable(Title)) throw Exception("제목에 저장할 수 없는 문자가 있습니다: " + Title);
    if (int Width = Cp949Length(Title); Width > TitleWidth)
        throw Exception(
            Format("제목이 너무 깁니다: %d 바이트까지 저장할 수 있는데 %d 바이트입니다.", TitleWidth, Width));
    AnsiString MemoText = Memo1->Lines()->Text();
    if (!IsCp949Representable(MemoText)) throw Exception("메모에 저장할 수 없는 문자가 있습니다.");

    AnsiString FileName =
        MemoFileName(Form1->Str_CurrYear, Form1->Str_CurrMonth, Form1->Str_CurrDay, Form1->Str_CurrTime);
    try {
        Memo1->Lines()->SaveToFile(AnsiString(MemoDirectory) + FileName);
    } catch (const EStreamError& E) {
        throw Exception("메모 파일을 저장할 수 없습니다. " + E.Message());
    }

    TTable* Table1 = DataModule3->Table1;
    if (FindSlot(Table1, Form1->Str_CurrTime))
        Table1->Edit();
    else
        Table1->Insert();
    TCCalendar* Cal = Form1->Cal_CurrMonth;
    Table1->FieldByName("Year")->SetAsString(IntToStr(Cal->GetDateElement(1)));
    Table1->FieldByName("Month")->SetAsString(IntToStr(Cal->GetDateElement(2)));
    Table1->FieldByName("Day")->SetAsString(IntToStr(Cal->GetDateElement(3)));
    Table1->FieldByName("Time")->SetAsString(Form1->Str_CurrTime);
    Table1->FieldByName("StartTime")->SetAsString(IntToStr(Cbo_Start->ItemIndex()));
    Table1->FieldByName("EndTime")->SetAsString(IntToStr(Cbo_End->ItemIndex()));
    Table1->FieldByName("TiTle")->SetAsString(Title);
    Table1->FieldByName("MemoFile")->SetAsString(FileName);
    try {
        Table1->Post();
    } catch (...) {
        Table1->Cancel();
        throw;
    }
}

void TForm2::Btn_DeleteClick(TObject* Sender) {
    TTable* Table1 = DataModule3->Table1;
    if (FindSlot(Table1, Form1->Str_CurrTime)) {
        if (Application->MessageBox("현재 일정을 삭제하시겠읍니까 ?", "Delete Confirm", MB_YESNO) != IDYES)
            return;
        Table1->Edit();
        Table1->Delete();
    }
    SetModalResult(mrCancel);
}
