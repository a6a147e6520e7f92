#include "app/Unit1.h"

#include "Unit1.form.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/UserMessages.h"
#include "controls/Accessibility.h"
#include "platform/rtl/Files.h"

TForm1* Form1 = nullptr;

const TClassInfo& TForm1::StaticClassInfo() {
    static const TClassInfo Info = [] {
        TClassBuilder<TForm1> B("TForm1", &TForm::StaticClassInfo());
        B.Creatable().InheritAll();
        B.Field("Panel1", &TForm1::Panel1).Field("Pan_CurrDay", &TForm1::Pan_CurrDay);
#define AGENDIX_ROW_FIELDS(N, HH)           \
    B.Field("Label" #N, &TForm1::Label##N); \
    B.Field("Lbl_" #HH, &TForm1::Lbl_##HH); \
    B.Field("Bevel" #N, &TForm1::Bevel##N);
        AGENDIX_TIMETABLE_ROWS(AGENDIX_ROW_FIELDS)
#undef AGENDIX_ROW_FIELDS
        B.Field("Panel2", &TForm1::Panel2)
            .Field("Pan_CurrMonth", &TForm1::Pan_CurrMonth)
            .Field("UpDown1", &TForm1::UpDown1)
            .Field("Pan_NextMonth", &TForm1::Pan_NextMonth)
            .Field("Cal_CurrMonth", &TForm1::Cal_CurrMonth)
            .Field("Cal_NextMonth", &TForm1::Cal_NextMonth)
            .Field("DBGrid1", &TForm1::DBGrid1)
            .Method("FormCreate", &TForm1::FormCreate)
            .Method("Qry_SchCount", &TForm1::Qry_SchCount)
            .Method("UpDown1Click", &TForm1::UpDown1Click)
            .Method("Cal_CurrMonthChange", &TForm1::Cal_CurrMonthChange)
            .Method("DBGrid1CellClick", &TForm1::DBGrid1CellClick)
            .Method("DisPlayData", &TForm1::DisPlayData);
        return B.Build();
    }();
    return Info;
}

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
    RegisterControlsAccessibility();
    SetFormResource(kUnit1_form);
    // Whatever fails in a handler reaches the user as one Korean message.
    Application->OnException = [](TObject*, const Exception& E) { ShowUserMessage(E); };
}

namespace {
AnsiString DayCaption(const AnsiString& Month, const AnsiString& Day) {
    return Month + " 월 " + Day + " 일 일정";
}

AnsiString MonthCaption(TCCalendar* Cal) {
    return IntToStr(Cal->GetDateElement(1)) + " 년 " + IntToStr(Cal->GetDateElement(2)) + " 월";
}
}  // namespace

TLabel* TForm1::EntryLabel(int K) const {
    static TLabel* TForm1::*const Rows[16] = {
#define AGENDIX_ROW_LABEL(N, HH) &TForm1::Lbl_##HH,
        AGENDIX_TIMETABLE_ROWS(AGENDIX_ROW_LABEL)
#undef AGENDIX_ROW_LABEL
    };
    return K >= 0 && K < 16 ? this->*Rows[K] : nullptr;
}

void TForm1::FormCreate(TObject* Sender) {
    Pan_CurrDay->SetCaption(
        DayCaption(IntToStr(Cal_CurrMonth->GetDateElement(2)), IntToStr(Cal_CurrMonth->GetDateElement(3))));
    Cal_NextMonth->NextMonth();
    ShowMonthCaption();
    ClearTimeTable();
    UpDown1->SetPosition(Cal_CurrMonth->GetDateElement(2));
    // The timetable is one tab stop: the arrow keys pick an hour, Enter or Space opens it.
    std::vector<TControl*> Rows, Hours;
    for (int K = 0; K < 16; ++K) Rows.push_back(EntryLabel(K));
#define AGENDIX_ROW_HOUR(N, HH) Hours.push_back(Label##N);
    AGENDIX_TIMETABLE_ROWS(AGENDIX_ROW_HOUR)
#undef AGENDIX_ROW_HOUR
    Panel1->SetKeyRows(Rows, Hours, "빈 시간");
    Panel1->SetAccessibleName("시간표");
    UpDown1->SetAccessibleName("달 이동");
    Cal_CurrMonth->SetAccessibleName("선택한 달");
    Cal_NextMonth->SetAccessibleName("다음 달");
    DBGrid1->SetAccessibleName("이달의 일정");
}

void TForm1::ShowMonthCaption() {
    Pan_CurrMonth->SetCaption(MonthCaption(Cal_CurrMonth));
    Pan_NextMonth->SetCaption(MonthCaption(Cal_NextMonth));
    UpDown1->SetAccessibleValue(Pan_CurrMonth->Caption());
}

void TForm1::Qry_SchCount(TObject* Sender) {
    TQuery* Query1 = DataModule3->Query1;
    Query1->Close();
    Query1->ParamByName("CurYear")->SetAsString(IntToStr(Cal_CurrMonth->GetDateElement(1)));
    Query1->ParamByName("CurMonth")->SetAsString(IntToStr(Cal_CurrMonth->GetDateElement(2)));
    Query1->Open();
    Str_CurrYear = IntToStr(Cal_CurrMonth->GetDateElement(1));
    Str_CurrMonth = IntToStr(Cal_CurrMonth->GetDateElement(2));
    Str_CurrDay = IntToStr(Cal_CurrMonth->GetDateElement(3));
    RefreshTimeTable();
}

void TForm1::Cal_CurrMonthChange(TObject* Sender) {
    Str_CurrYear = IntToStr(Cal_CurrMonth->GetDateElement(1));
    Str_CurrMonth = IntToStr(Cal_CurrMonth->GetDateElement(2));
    Str_CurrDay = IntToStr(Cal_CurrMonth->GetDateElement(3));
    Pan_CurrDay->SetCaption(DayCaption(Str_CurrMonth, Str_CurrDay));
    Qry_SchCount(this);
    RefreshTimeTable();
}

void TForm1::UpDown1Click(TObject* Sender, TUDBtnType Button) {
    if (Button == btNext) {
        Cal_CurrMonth->NextMonth();
        Cal_NextMonth->NextMonth();
    } else {
        Cal_CurrMonth->PrevMonth();
        Cal_NextMonth->PrevMonth();
    }
    ShowMonthCaption();
    Qry_SchCount(this);
    // The position only counts steps; back in the middle of its range after each one, it never
    // stops the user short of a month the calendars can show.
    UpDown1->SetPosition((UpDown1->Min() + UpDown1->Max()) / 2);
}

void TForm1::DBGrid1CellClick(TColumn* Column) {
    TQuery* Query1 = DataModule3->Query1;
    if (!Query1->Active() || Query1->IsEmpty()) return;
    Str_CurrYear = Query1->FieldByName("Year")->AsString();
    Str_CurrMonth = Query1->FieldByName("Month")->AsString();
    Str_CurrDay = Query1->FieldByName("Day")->AsString();
    Cal_CurrMonth->SetDateElement(1, StrToInt(Str_CurrYear));
    Cal_CurrMonth->SetDateElement(2, StrToInt(Str_CurrMonth));
    Cal_CurrMonth->SetDateElement(3, StrToInt(Str_CurrDay));
    Pan_CurrDay->SetCaption(DayCaption(Str_CurrMonth, Str_CurrDay));
    RefreshTimeTable();
}

void TForm1::ClearTimeTable() {
    for (int K = 0; K < 16; ++K) EntryLabel(K)->SetCaption(FreeSlotText);
}

void TForm1::RefreshTimeTable() {
    ClearTimeTable();
    TTable* Table1 = DataModule3->Table1;
    Table1->Close();
    Table1->Open();
    while (!Table1->Eof()) {
        int H = StrToInt(Table1->FieldByName("Time")->AsString());
        if (H >= 6 && H <= 21) EntryLabel(H - 6)->SetCaption(Table1->FieldByName("Title")->AsString());
        Table1->Next();
    }
}

void TForm1::DisPlayData(TObject* Sender) {
    auto* Row = dynamic_cast<TLabel*>(Sender);
    if (!Row) return;
    int Tag = Row->Tag();
    if (Tag >= 0 && Tag <= 30 && Tag % 2 == 0) Str_CurrTime = Format("%02d", 6 + Tag / 2);
    // A row is taken when it shows a title or when the day's rows hold its hour: an entry titled
    // with one blank looks free but keeps its memo.
    TTable* Table1 = DataModule3->Table1;
    if (Row->Caption() == FreeSlotText && !FindSlot(Table1, Str_CurrTime)) {
        Form2->Edt_Title->Clear();
        Form2->Memo1->Clear();
        Form2->Cbo_Start->SetItemIndex(Tag);
        Form2->Cbo_End->SetItemIndex(Tag + 2);
    } else {
        Table1->First();
        while (!Table1->Eof() && Table1->FieldByName("Time")->AsString() != Str_CurrTime) Table1->Next();
        Form2->Edt_Title->SetText(Table1->FieldByName("Title")->AsString());
        // Memo files lie in a temporary folder whose files get cleaned away: a missing one opens
        // the entry with an empty memo, so it can still be changed or deleted. A file that is
        // there but cannot be read still stops the dialog, so no save can overwrite it.
        AnsiString Name = Table1->FieldByName("MemoFile")->AsString();
        if (!Name.empty() && !Schedule::IsPlainMemoName(Name))
            throw Exception(
                "이 일정의 메모 파일 이름이 올바르지 않아 열 수 없습니다. 아무것도 읽거나 바꾸지 "
                "않았습니다.\n" +
                Name);
        AnsiString Memo = AnsiString(MemoDirectory) + Name;
        if (!Name.empty() && FileExists(Memo))
            Form2->Memo1->Lines()->LoadFromFile(Memo);
        else
            Form2->Memo1->Clear();
        Form2->Cbo_Start->SetItemIndex(Table1->FieldByName("StartTime")->AsInteger());
        Form2->Cbo_End->SetItemIndex(Table1->FieldByName("EndTime")->AsInteger());
    }
    Form2->ShowModal();
    Qry_SchCount(this);
}
