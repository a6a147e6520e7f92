#include "app/Unit2.h"

#include <functional>
#include <memory>
#include <typeinfo>
#include "Unit2.form.h"
#include "app/Unit1.h"
#include "app/Unit3.h"

#include "app/UserMessages.h"
#include "platform/rtl/AtomicFile.h"
#include "platform/rtl/Cp949.h"
#include "store/Schedule.h"

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

AnsiString TForm2::MemoFileName(const AnsiString& Year, const AnsiString& Month, const AnsiString& Day,
                                const AnsiString& Time) {
    return Schedule::MemoFileName(Year, Month, Day, Time);
}

bool FindSlot(TTable* Table1, const AnsiString& Time) {
    Table1->First();
    while (!Table1->Eof()) {
        if (Table1->FieldByName("Time")->AsString() == Time) return true;
        Table1->Next();
    }
    return false;
}

namespace {

bool IsNumber(const AnsiString& S) {
    return !S.empty() && S.find_first_not_of("0123456789") == AnsiString::npos;
}

// Runs a write of the entry. A failure reaches the user in Korean, once, saying that nothing
// changed; the table is read afresh so that it shows what the database holds, and when another
// writer changed the entry meanwhile the whole view is refreshed.
void Write(const AnsiString& Doing, const std::function<void()>& Body) {
    try {
        Body();
    } catch (const Exception& E) {
        if (typeid(E) == typeid(Exception)) throw;
        AnsiString Text = UserMessage(E, Doing);
        try {
            if (dynamic_cast<const ERecordChanged*>(&E))
                Form1->Qry_SchCount(Form1);
            else
                DataModule3->Table1->Refresh();
        } catch (const Exception&) {
            // The failure itself is what the user must hear of.
        }
        throw Exception(Text);
    }
}
}  // namespace

void TForm2::Btn_ConfirmClick(TObject* Sender) {
    // Everything that could refuse the save is checked before anything is written; the memo then
    // waits in a temporary file and takes its place only together with the row, so a refused or
    // failed save leaves both the memo file and the table as they were, and the dialog open with
    // everything typed.
    const AnsiString Unchanged = " 아무것도 저장하지 않았습니다.";
    AnsiString Title = Edt_Title->Text();
    if (!Schedule::IsOneLine(Title))
        throw Exception("제목은 한 줄이어야 합니다. 줄바꿈이나 탭 같은 제어 문자는 넣을 수 없습니다." +
                        Unchanged);
    if (!IsCp949Representable(Title))
        throw Exception("제목에 저장할 수 없는 문자가 있습니다." + Unchanged + "\n" + Title);
    if (int Width = Cp949Length(Title); Width > TitleWidth)
        throw Exception(
            Format("제목이 너무 깁니다: %d 바이트까지 저장할 수 있는데 %d 바이트입니다.", TitleWidth, Width) +
            Unchanged);
    AnsiString MemoText = Memo1->Lines()->Text();
    if (!IsCp949Representable(MemoText))
        throw Exception("메모에 저장할 수 없는 문자가 있습니다." + Unchanged);
    TCCalendar* Cal = Form1->Cal_CurrMonth;
    AnsiString Year = IntToStr(Cal->GetDateElement(1)), Month = IntToStr(Cal->GetDateElement(2)),
               Day = IntToStr(Cal->GetDateElement(3)), Time = Form1->Str_CurrTime;
    if (!IsNumber(Form1->Str_CurrYear) || !IsNumber(Form1->Str_CurrMonth) || !IsNumber(Form1->Str_CurrDay) ||
        !IsNumber(Time))
        throw Exception("어느 날짜와 시간의 일정인지 알 수 없습니다. 창을 다시 열고 해 보세요." + Unchanged);

    AnsiString FileName = MemoFileName(Form1->Str_CurrYear, Form1->Str_CurrMonth, Form1->Str_CurrDay, Time);
    if (!Schedule::IsPlainMemoName(FileName))
        throw Exception("메모 파일 이름이 올바르지 않습니다: " + FileName + Unchanged);
    std::unique_ptr<TStagedFile> Memo;
    try {
        Memo = std::make_unique<TStagedFile>(AnsiString(MemoDirectory) + FileName, Utf8ToCp949(MemoText));
    } catch (const EStreamError& E) {
        throw Exception("메모 파일을 저장할 수 없습니다." + Unchanged + "\n" + E.Message());
    }

    TTable* Table1 = DataModule3->Table1;
    Write("일정을 저장하지 못했습니다.", [&] {
        TTransaction Transaction(*Table1);
        // The rows shown when the dialog opened decide between changing the slot's entry and
        // adding one; the write then holds only while the database still agrees with them.
        if (FindSlot(Table1, Time)) {
            Table1->Edit();
        } else {
            if (Schedule::SlotTaken(*Table1, Year, Month, Day, Time))
                throw ERecordChanged("Table1: the slot was filed by another writer; nothing was written");
            Table1->Insert();
        }
        Table1->FieldByName("Year")->SetAsString(Year);
        Table1->FieldByName("Month")->SetAsString(Month);
        Table1->FieldByName("Day")->SetAsString(Day);
        Table1->FieldByName("Time")->SetAsString(Time);
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
        Memo->Install();
        try {
            Transaction.Commit();
        } catch (...) {
            Memo->Undo();
            throw;
        }
        Memo->Finish();
    });
}

void TForm2::Btn_DeleteClick(TObject* Sender) {
    TTable* Table1 = DataModule3->Table1;
    if (FindSlot(Table1, Form1->Str_CurrTime)) {
        if (Application->MessageBox("현재 일정을 삭제하시겠읍니까 ?", "Delete Confirm", MB_YESNO) != IDYES)
            return;
        Write("일정을 삭제하지 못했습니다.", [&] {
            TTransaction Transaction(*Table1);
            Table1->Edit();
            Table1->Delete();
            Transaction.Commit();
        });
    }
    SetModalResult(mrCancel);
}
