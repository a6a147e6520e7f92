#include "platform/rtl/AtomicFile.h"
#include "store/DBTables.h"
#include "tests/app/AppFixture.h"

// The real entry point, under another name, so that a test can start it in this process.
#define main AgendixMain
#include "app/main.cpp"
#undef main

namespace {

// Left, top, width, height, font name and height, tab order (-1: none) and input method of one
// control, as the two windows are laid out.
struct Layout {
    std::string Name;
    int L, T, W, H;
    const char* Font;
    int FontHeight, TabOrder;
    const char* Ime;
};

const char* const Gulim = "굴림체";
const char* const Hangul = "한국어(한글)";

std::vector<Layout> MainWindowLayout() {
    std::vector<Layout> Rows = {
        {"Pan_CurrDay", 8, 9, 177, 24, Gulim, -12, -1, ""},
        {"Pan_CurrMonth", 16, 9, 153, 24, Gulim, -12, -1, ""},
        {"UpDown1", 168, 8, 16, 24, nullptr, 0, -1, ""},
        {"Pan_NextMonth", 192, 9, 169, 24, Gulim, -12, -1, ""},
        {"Cal_CurrMonth", 16, 32, 169, 120, Gulim, -12, -1, ""},
        {"Cal_NextMonth", 192, 32, 169, 120, Gulim, -12, -1, ""},
        {"DBGrid1", 16, 160, 345, 257, Gulim, -12, -1, ""},
    };
    for (int K = 0; K < 16; ++K) {
        // The hour labels size themselves to their caption in the face that stands in for the font.
        Rows.push_back(
            {"Label" + std::to_string(K + 1), 8, 40 + 24 * K, -1, -1, "MS Sans Serif", -11, -1, ""});
        Rows.push_back({Format("Lbl_%02d", 6 + K), 48, 40 + 24 * K, 130, 13, Gulim, -12, -1, ""});
        Rows.push_back({"Bevel" + std::to_string(K + 1), -48, 48 + 24 * K, 233, 10, nullptr, 0, -1, ""});
    }
    return Rows;
}

const Layout DialogLayout[] = {
    {"Label1", 8, 24, 60, 12, Gulim, -12, -1, ""},
    {"Label2", 72, 56, 60, 12, Gulim, -12, -1, ""},
    {"Label3", 264, 56, 60, 12, Gulim, -12, -1, ""},
    {"Edt_Title", 72, 19, 353, 20, Gulim, -12, 0, Hangul},
    {"Cbo_Start", 136, 50, 97, 20, Gulim, -12, 1, Hangul},
    {"Cbo_End", 328, 51, 97, 20, Gulim, -12, 2, Hangul},
    {"Memo1", 16, 88, 409, 153, Gulim, -12, 3, Hangul},
    {"Btn_Confirm", 264, 256, 75, 25, Gulim, -12, 4, ""},
    {"Btn_Cancel", 352, 256, 75, 25, Gulim, -12, 5, ""},
    {"Btn_Delete", 16, 256, 75, 25, Gulim, -12, 6, ""},
};

AnsiString ImeOf(TComponent* C) {
    if (auto* E = dynamic_cast<TEdit*>(C)) return E->ImeName();
    if (auto* B = dynamic_cast<TComboBox*>(C)) return B->ImeName();
    if (auto* M = dynamic_cast<TMemo*>(C)) return M->ImeName();
    return "";
}

void CheckLayout(TForm* Form, const Layout& R) {
    auto* C = dynamic_cast<TControl*>(Form->FindComponent(R.Name));
    ASSERT_NE(C, nullptr) << R.Name;
    EXPECT_EQ(std::tuple(C->Left(), C->Top()), std::tuple(R.L, R.T)) << R.Name;
    if (R.W >= 0) {
        EXPECT_EQ(std::tuple(C->Width(), C->Height()), std::tuple(R.W, R.H)) << R.Name;
    }
    if (R.Font) {
        EXPECT_EQ(C->Font()->Name(), R.Font) << R.Name;
        EXPECT_EQ(C->Font()->Height(), R.FontHeight) << R.Name;
        EXPECT_EQ(C->Font()->Charset(), R.Font == Gulim ? HANGEUL_CHARSET : DEFAULT_CHARSET) << R.Name;
    }
    auto* W = dynamic_cast<TWinControl*>(C);
    if (R.TabOrder >= 0) {
        ASSERT_NE(W, nullptr) << R.Name;
        EXPECT_EQ(W->TabOrder(), R.TabOrder) << R.Name;
    }
    EXPECT_EQ(ImeOf(C), R.Ime) << R.Name;
}

}  // namespace

TEST_F(AppTest, BothWindowsAreLaidOutAsDescribed) {
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(DataModule3);
    EXPECT_EQ(std::tuple(Form1->Left(), Form1->Top(), Form1->Width(), Form1->Height()),
              std::tuple(22, 123, 578, 460));
    EXPECT_EQ(Form1->Font()->Name(), "MS Sans Serif");
    EXPECT_EQ(Form1->Font()->Height(), -11);
    EXPECT_EQ(Form1->Panel1->Width(), 193);
    EXPECT_EQ(Form1->Lbl_21->Parent(), Form1->Panel1);
    EXPECT_EQ(Form1->DBGrid1->Parent(), Form1->Panel2);
    EXPECT_EQ(Form1->Panel2->Width(), 377);
    for (const Layout& R : MainWindowLayout()) CheckLayout(Form1, R);
    for (TPanel* P : {Form1->Pan_CurrDay, Form1->Pan_CurrMonth, Form1->Pan_NextMonth})
        EXPECT_EQ(P->Font()->Color(), clBlue) << P->Name();
    for (int K = 0; K < 16; ++K) {
        TLabel* L = Form1->EntryLabel(K);
        EXPECT_EQ(L->Tag(), 2 * K) << L->Name();
        EXPECT_EQ(L->Font()->Color(), clBlue) << L->Name();
        EXPECT_FALSE(L->AutoSize()) << L->Name();
        EXPECT_EQ(L->Cursor(), crHandPoint) << L->Name();
        EXPECT_EQ(static_cast<TLabel*>(Form1->FindComponent("Label" + std::to_string(K + 1)))->Caption(),
                  Format("%02d:00", 6 + K));
    }
    EXPECT_EQ(std::tuple(Form1->UpDown1->Min(), Form1->UpDown1->Max(), Form1->UpDown1->Wrap()),
              std::tuple(0, 100, false));

    struct Column {
        const char* Field;
        const char* Title;
        int Width;
    } Columns[] = {
        {"Year", "년도", 36}, {"Month", "월", 29}, {"Day", "일자", 49}, {"Msg", "일             정", 206}};
    ASSERT_EQ(Form1->DBGrid1->Columns()->Count(), 4);
    for (int I = 0; I < 4; ++I) {
        TColumn* C = Form1->DBGrid1->Columns()->Items(I);
        EXPECT_EQ(std::tuple(C->FieldName(), C->Title()->Caption(), C->Width()),
                  std::tuple(AnsiString(Columns[I].Field), AnsiString(Columns[I].Title), Columns[I].Width));
        EXPECT_EQ(C->Title()->Alignment(), taCenter);
        EXPECT_EQ(C->Title()->Font()->Name(), Gulim);
    }

    EXPECT_EQ(std::tuple(Form2->Left(), Form2->Top(), Form2->ClientWidth(), Form2->ClientHeight()),
              std::tuple(19, 119, 442, 291));
    EXPECT_EQ(Form2->BorderIcons(), static_cast<TBorderIcons>(biSystemMenu));
    for (const Layout& R : DialogLayout) CheckLayout(Form2, R);
    for (TComboBox* B : {Form2->Cbo_Start, Form2->Cbo_End}) {
        ASSERT_EQ(B->Items()->Count(), 32);
        for (int I = 0; I < 32; ++I)
            EXPECT_EQ(B->Items()->Strings(I), Format("%02d:%s", 6 + I / 2, I % 2 ? "30" : "00"));
    }
}

// The month summary is the data module's own query text, nine lines with their blanks.
TEST_F(AppTest, TheMonthSummaryRunsItsDescribedText) {
    const char* const Sql[] = {
        "SELECT Agendix.\"Year\" , Agendix.\"Month\" , ",
        " Agendix.\"Day\" , count( Agendix.\"Day\" ) as DayCnt",
        "FROM \"Agendix.DB\" Agendix",
        "WHERE ( ( Agendix.\"Year\" = :CurYear ) AND",
        "  ( Agendix.\"Month\" = :CurMonth ) )",
        "GROUP BY",
        " Agendix.\"Day\" , Agendix.\"Year\" , Agendix.\"Month\"",
        "ORDER BY",
        " Agendix.\"Year\" , Agendix.\"Month\" , Agendix.\"Day\"",
    };
    Start(2003, 3, 5);
    TQuery* Q = DataModule3->Query1;
    EXPECT_EQ(Q->SQL()->Items(), std::vector<AnsiString>(std::begin(Sql), std::end(Sql)));
    ASSERT_EQ(Q->ParamCount(), 2);
    EXPECT_EQ(Q->Params()->Items(0)->Name(), "CurYear");
    EXPECT_EQ(Q->Params()->Items(1)->Name(), "CurMonth");
    std::vector<std::string> Fields;
    for (int I = 0; I < Q->FieldCount(); ++I) Fields.push_back(Q->Fields()->Fields(I)->FieldName());
    EXPECT_EQ(Fields, (std::vector<std::string>{"Year", "Month", "Day", "DayCnt", "Msg"}));
    EXPECT_FALSE(Q->FieldByName("DayCnt")->Visible());
    // The summary is read-only.
    EXPECT_THROW(Q->Edit(), EDatabaseError);
    EXPECT_THROW(Q->Insert(), EDatabaseError);
}

// The summary is opened with the calendar's month before the date strings change, and the
// timetable is read after them.
TEST_F(AppTest, QrySchCountOpensTheSummaryBeforeItSetsTheDate) {
    Start(2003, 3, 5);
    StoreRow({"2003", "3", "5", "09", "6", "8", "today", ""});
    std::vector<std::string> SeenAtOpen;
    auto Calc = DataModule3->Query1->OnCalcFields;
    DataModule3->Query1->OnCalcFields = [&](TDataSet* Ds) {
        TQuery* Q = DataModule3->Query1;
        SeenAtOpen.push_back(Q->ParamByName("CurYear")->AsString() + "/" +
                             Q->ParamByName("CurMonth")->AsString() + " " + Form1->Str_CurrYear +
                             Form1->Str_CurrMonth + Form1->Str_CurrDay);
        Calc(Ds);
    };
    Form1->Str_CurrYear = Form1->Str_CurrMonth = Form1->Str_CurrDay = "x";
    Form1->Qry_SchCount(Form1);
    EXPECT_EQ(SeenAtOpen, std::vector<std::string>{"2003/3 xxx"});
    EXPECT_EQ(Form1->Str_CurrYear + "-" + Form1->Str_CurrMonth + "-" + Form1->Str_CurrDay, "2003-3-5");
    EXPECT_EQ(Form1->Lbl_09->Caption(), "today");
}

// A database that cannot be opened stops the start: the entry point shows why and ends normally.
TEST_F(AppTest, AStartUpFailureIsShownAndTheProgramEnds) {
    Application->Initialize();
    Drives::EnsureDriveC();
    AnsiString File = DatabaseFileName("BCDEMOS");
    std::filesystem::create_directories(std::filesystem::path(File).parent_path());
    WriteFile(File, std::string(4096, 'x'));
    TestDriver::TMessageBoxAnswers Boxes;
    char Arg0[] = "agendix";
    char* Argv[] = {Arg0, nullptr};
    EXPECT_EQ(AgendixMain(1, Argv), 0);
    ASSERT_EQ(Boxes.Shown().size(), 1u);
    EXPECT_EQ(Boxes.Shown()[0].Text.rfind("일정 데이터베이스 파일이 손상되었거나", 0), 0u)
        << Boxes.Shown()[0].Text;
    EXPECT_NE(Boxes.Shown()[0].Text.find(File), std::string::npos) << Boxes.Shown()[0].Text;
    EXPECT_EQ(Boxes.Shown()[0].Flags & MB_ICONSTOP, static_cast<uint32_t>(MB_ICONSTOP));
    EXPECT_EQ(Application->ComponentCount(), 0);
}
