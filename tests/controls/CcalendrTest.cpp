#include "controls/Ccalendr.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/classes/FormIO.h"
#include "platform/classes/Registry.h"
#include "platform/rtl/Resources.h"
#include "tests/support/Support.h"

namespace {

struct TYmd {
    int Y, M, D;
};

TYmd Elements(const TCCalendar& C) {
    return {C.Year(), C.Month(), C.Day()};
}

// Today is pinned to 14 November 2002 for every test, and the day names are fixed English ones.
class CalendarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SavedNames = ShortDayNames;
        ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        SetDateClock([] { return EncodeDate(2002, 11, 14) + 0.75; });
    }
    void TearDown() override {
        SetDateClock({});
        ShortDayNames = SavedNames;
    }
    // A calendar that counts its notifications and remembers the date each one reported.
    std::unique_ptr<TCCalendar> NewCalendar() {
        auto C = std::make_unique<TCCalendar>(nullptr);
        C->OnChange = [this](TObject* Sender) {
            auto* Cal = static_cast<TCCalendar*>(Sender);
            Notified.push_back({Cal->Year(), Cal->Month(), Cal->Day()});
        };
        return C;
    }
    std::unique_ptr<TCCalendar> CalendarOn(int Y, int M, int D) {
        auto C = NewCalendar();
        C->SeTCCalendarDate(EncodeDate(Y, M, D));
        Notified.clear();
        return C;
    }
    // Where the text of day D stands, or (-1, -1).
    static std::pair<int, int> CellOf(const TCCalendar& C, int D) {
        for (int R = 1; R < 7; ++R)
            for (int Col = 0; Col < 7; ++Col)
                if (C.GetCellText(Col, R) == IntToStr(D)) return {Col, R};
        return {-1, -1};
    }
    std::array<AnsiString, 7> SavedNames;
    std::vector<TYmd> Notified;
};

#define EXPECT_YMD(Cal, y, m, d)  \
    do {                          \
        TYmd Got = Elements(Cal); \
        EXPECT_EQ(Got.Y, y);      \
        EXPECT_EQ(Got.M, m);      \
        EXPECT_EQ(Got.D, d);      \
    } while (0)

TEST_F(CalendarTest, LeapYearsAndMonthLengths) {
    auto C = NewCalendar();
    struct {
        int Year;
        bool Leap;
    } Leaps[] = {{2000, true}, {1900, false}, {2004, true}, {2003, false},
                 {1, false},   {4, true},     {9999, false}};
    for (auto& L : Leaps) EXPECT_EQ(C->IsLeapYear(L.Year), L.Leap) << L.Year;
    int Expected[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int M = 1; M <= 12; ++M) EXPECT_EQ(C->DaysPerMonth(2003, M), Expected[M - 1]) << M;
    EXPECT_EQ(C->DaysPerMonth(2000, 2), 29);
    EXPECT_EQ(C->DaysPerMonth(1900, 2), 28);
    EXPECT_EQ(C->DaysPerMonth(2004, 2), 29);
    C->SeTCCalendarDate(EncodeDate(2004, 2, 10));
    EXPECT_EQ(C->DaysThisMonth(), 29);
}

TEST_F(CalendarTest, NewCalendarShowsTodayWithMondayFirst) {
    auto C = NewCalendar();
    EXPECT_YMD(*C, 2002, 11, 14);
    EXPECT_EQ(C->CalendarDate(), EncodeDate(2002, 11, 14));  // the time of day is dropped
    EXPECT_TRUE(C->UseCurrentDate());
    EXPECT_FALSE(C->StoreCalendarDate());
    EXPECT_EQ(C->StartOfWeek(), 1);
    EXPECT_EQ(C->GetCellText(0, 0), "Mon");
    EXPECT_EQ(C->ColCount(), 7);
    EXPECT_EQ(C->RowCount(), 7);
    EXPECT_EQ(C->FixedCols(), 0);
    EXPECT_EQ(C->FixedRows(), 1);
    EXPECT_EQ(C->ScrollBars(), ssNone);
    EXPECT_FALSE(C->Options() & goRangeSelect);
    EXPECT_TRUE(C->Options() & goDrawFocusSelected);
    EXPECT_TRUE(C->Options() & goVertLine);
    EXPECT_TRUE(C->Options() & goHorzLine);
    // November 2002 begins on a Friday: day 14 is Thursday of the third week.
    EXPECT_EQ(C->GetCellText(C->Col(), C->Row()), "14");
    EXPECT_EQ(C->Col(), 3);
    EXPECT_EQ(C->Row(), 3);
    EXPECT_TRUE(Notified.empty());
}

TEST_F(CalendarTest, MonthStepsClampTheDayAndCarryTheYear) {
    struct {
        TYmd From;
        int Delta;
        TYmd To;
    } Rows[] = {
        {{2003, 1, 31}, 1, {2003, 2, 28}},   {{2004, 1, 31}, 1, {2004, 2, 29}},
        {{2003, 3, 31}, -1, {2003, 2, 28}},  {{2003, 5, 31}, 1, {2003, 6, 30}},
        {{2003, 4, 30}, 1, {2003, 5, 30}},   {{2002, 12, 15}, 1, {2003, 1, 15}},
        {{2003, 1, 15}, -1, {2002, 12, 15}}, {{2003, 7, 31}, -1, {2003, 6, 30}},
        {{2003, 5, 10}, 0, {2003, 5, 10}},   {{2003, 5, 10}, 28, {2003, 6, 10}},
        {{2003, 5, 10}, -28, {2003, 4, 10}},
    };
    for (auto& R : Rows) {
        auto C = CalendarOn(R.From.Y, R.From.M, R.From.D);
        C->ChangeMonth(R.Delta);
        SCOPED_TRACE(testing::Message()
                     << R.From.Y << "-" << R.From.M << "-" << R.From.D << " by " << R.Delta);
        EXPECT_YMD(*C, R.To.Y, R.To.M, R.To.D);
        EXPECT_EQ(Notified.size(), 1u);
        EXPECT_EQ(C->GetCellText(C->Col(), C->Row()), IntToStr(R.To.D));
        Notified.clear();
    }
    // The wanted day is not remembered across moves.
    auto C = CalendarOn(2003, 1, 31);
    C->NextMonth();
    C->PrevMonth();
    EXPECT_YMD(*C, 2003, 1, 28);
}

TEST_F(CalendarTest, StepsPastTheSupportedYearsRaiseAndKeepTheDate) {
    auto Late = CalendarOn(9999, 12, 15);
    EXPECT_THROW(Late->NextMonth(), EConvertError);
    EXPECT_THROW(Late->NextYear(), EConvertError);
    EXPECT_YMD(*Late, 9999, 12, 15);
    auto Early = CalendarOn(1, 1, 15);
    EXPECT_THROW(Early->PrevMonth(), EConvertError);
    Early->PrevYear();  // year 0 is ignored like any value below 1
    EXPECT_YMD(*Early, 1, 1, 15);
    EXPECT_TRUE(Notified.empty());
}

TEST_F(CalendarTest, YearStepsFrom29FebruaryNotifyTwice) {
    auto C = CalendarOn(2004, 2, 29);
    C->NextYear();
    EXPECT_YMD(*C, 2005, 2, 28);
    ASSERT_EQ(Notified.size(), 2u);
    EXPECT_EQ(Notified[0].Y, 2004);
    EXPECT_EQ(Notified[0].D, 28);
    EXPECT_EQ(Notified[1].Y, 2005);
    EXPECT_EQ(Notified[1].D, 28);

    C = CalendarOn(2004, 2, 29);
    C->PrevYear();
    EXPECT_YMD(*C, 2003, 2, 28);
    EXPECT_EQ(Notified.size(), 2u);

    C = CalendarOn(2003, 2, 28);
    C->NextYear();
    EXPECT_YMD(*C, 2004, 2, 28);
    EXPECT_EQ(Notified.size(), 1u);
}

TEST_F(CalendarTest, ElementWritesIgnoredRefusedOrNotifiedOnce) {
    struct {
        TYmd From;
        int Index, Value;
    } Ignored[] = {
        {{2003, 4, 10}, 3, 31},   {{2003, 4, 10}, 2, 13}, {{2003, 4, 10}, 1, 0},
        {{2003, 4, 10}, 4, 5},    {{2003, 4, 10}, 3, 10}, {{2003, 4, 10}, 2, 4},
        {{2003, 4, 10}, 1, 2003}, {{2003, 4, 10}, 3, -1}, {{2003, 4, 10}, 0, 1},
    };
    for (auto& R : Ignored) {
        auto C = CalendarOn(R.From.Y, R.From.M, R.From.D);
        C->SetDateElement(R.Index, R.Value);
        SCOPED_TRACE(testing::Message() << "ignored " << R.Index << " := " << R.Value);
        EXPECT_YMD(*C, 2003, 4, 10);
        EXPECT_TRUE(Notified.empty());
        EXPECT_TRUE(C->UseCurrentDate());
    }

    // Refusals: a month shorter than the day, 29 February into a common year, years past 9999
    // (also those that would wrap around in 16 bits).
    struct {
        TYmd From;
        int Index, Value;
    } Refused[] = {{{2003, 1, 31}, 2, 2},
                   {{2004, 2, 29}, 1, 2003},
                   {{2003, 1, 31}, 1, 10000},
                   {{2003, 1, 31}, 1, 65536 + 2003}};
    for (auto& R : Refused) {
        auto C = CalendarOn(R.From.Y, R.From.M, R.From.D);
        int Col = C->Col(), Row = C->Row();
        SCOPED_TRACE(testing::Message() << "refused " << R.Index << " := " << R.Value);
        EXPECT_THROW(C->SetDateElement(R.Index, R.Value), EConvertError);
        EXPECT_YMD(*C, R.From.Y, R.From.M, R.From.D);
        EXPECT_TRUE(C->UseCurrentDate());
        EXPECT_EQ(C->Col(), Col);
        EXPECT_EQ(C->Row(), Row);
        EXPECT_TRUE(Notified.empty());
    }

    struct {
        int Index, Value;
        TYmd To;
    } Changed[] = {
        {1, 1999, {1999, 4, 10}}, {2, 12, {2003, 12, 10}}, {3, 30, {2003, 4, 30}}, {3, 1, {2003, 4, 1}}};
    for (auto& R : Changed) {
        auto C = CalendarOn(2003, 4, 10);
        C->SetDateElement(R.Index, R.Value);
        SCOPED_TRACE(testing::Message() << "changed " << R.Index << " := " << R.Value);
        EXPECT_YMD(*C, R.To.Y, R.To.M, R.To.D);
        EXPECT_EQ(Notified.size(), 1u);
        EXPECT_FALSE(C->UseCurrentDate());
        EXPECT_TRUE(C->StoreCalendarDate());
        EXPECT_EQ(C->GetCellText(C->Col(), C->Row()), IntToStr(R.To.D));
    }
}

TEST_F(CalendarTest, WhichOperationsNotify) {
    auto C = NewCalendar();
    EXPECT_TRUE(Notified.empty());  // construction
    C->SeTCCalendarDate(C->CalendarDate());
    EXPECT_EQ(Notified.size(), 1u);  // even with the present date
    C->SetStartOfWeek(7);
    C->SetStartOfWeek(7);
    C->UpdateCalendar();
    C->SetUseCurrentDate(false);
    C->SetUseCurrentDate(true);
    EXPECT_EQ(Notified.size(), 1u);
    C->NextMonth();
    C->PrevMonth();
    EXPECT_EQ(Notified.size(), 3u);
}

TEST_F(CalendarTest, UseCurrentDateFlag) {
    auto C = CalendarOn(2003, 4, 10);
    EXPECT_TRUE(C->UseCurrentDate());  // SeTCCalendarDate and month steps leave the flag
    C->NextMonth();
    EXPECT_TRUE(C->UseCurrentDate());
    C->SetDay(3);
    EXPECT_FALSE(C->UseCurrentDate());
    C->NextMonth();
    EXPECT_FALSE(C->UseCurrentDate());
    Notified.clear();
    C->SetUseCurrentDate(true);
    EXPECT_YMD(*C, 2002, 11, 14);
    EXPECT_EQ(C->GetCellText(C->Col(), C->Row()), "14");
    EXPECT_TRUE(Notified.empty());
    // Turning it off keeps the held date.
    C->SeTCCalendarDate(EncodeDate(2003, 4, 10));
    C->SetUseCurrentDate(false);
    EXPECT_YMD(*C, 2003, 4, 10);
    EXPECT_TRUE(C->StoreCalendarDate());
}

TEST_F(CalendarTest, CellMappingForMonthsStartingOnEachWeekday) {
    std::set<int> FirstWeekdays;
    for (int StartOfWeek : {1, 7}) {
        auto C = NewCalendar();
        C->SetStartOfWeek(StartOfWeek);
        for (int Col = 0; Col < 7; ++Col)
            EXPECT_EQ(C->GetCellText(Col, 0), ShortDayNames[(StartOfWeek + Col) % 7]);
        for (int M = 1; M <= 12; ++M) {
            C->SeTCCalendarDate(EncodeDate(2003, M, 1));
            FirstWeekdays.insert(DayOfWeek(C->CalendarDate()));
            SCOPED_TRACE(testing::Message() << "2003-" << M << " week from " << StartOfWeek);
            // Day 1 lies in the first week row, in the column whose header is its weekday.
            int Col1 = ((DayOfWeek(C->CalendarDate()) - 1 - StartOfWeek) % 7 + 7) % 7;
            EXPECT_EQ(C->MonthOffset(), 1 - Col1);
            int Days = C->DaysThisMonth();
            for (int D = 1; D <= Days; ++D) {
                auto [Col, Row] = CellOf(*C, D);
                EXPECT_EQ((StartOfWeek + Col) % 7, DayOfWeek(EncodeDate(2003, M, D)) - 1) << D;
                EXPECT_EQ(Row, (Col1 + D - 1) / 7 + 1) << D;
            }
            int Filled = 0;
            for (int Row = 1; Row < 7; ++Row)
                for (int Col = 0; Col < 7; ++Col) Filled += !C->GetCellText(Col, Row).empty();
            EXPECT_EQ(Filled, Days);  // every other cell is blank
        }
    }
    EXPECT_EQ(FirstWeekdays.size(), 7u);
}

TEST_F(CalendarTest, CellMappingExamples) {
    auto C = CalendarOn(2002, 12, 10);  // begins on a Sunday
    EXPECT_EQ(C->MonthOffset(), -5);
    for (int Col = 0; Col < 6; ++Col) EXPECT_EQ(C->GetCellText(Col, 1), "");
    EXPECT_EQ(C->GetCellText(6, 1), "1");
    EXPECT_EQ(C->GetCellText(1, 6), "31");
    EXPECT_EQ(C->GetCellText(2, 6), "");
    EXPECT_EQ(C->GetCellText(0, 0), "Mon");
    EXPECT_EQ(C->GetCellText(6, 0), "Sun");
    C->SetStartOfWeek(7);
    EXPECT_EQ(C->MonthOffset(), 1);
    EXPECT_EQ(C->GetCellText(0, 1), "1");
    EXPECT_EQ(C->GetCellText(0, 0), "Sun");
    EXPECT_EQ(C->GetCellText(6, 0), "Sat");

    C = CalendarOn(2003, 3, 10);  // begins on a Saturday
    EXPECT_EQ(C->MonthOffset(), -4);
    EXPECT_EQ(C->GetCellText(5, 1), "1");
    EXPECT_EQ(C->GetCellText(6, 1), "2");

    for (int Bad : {0, 9, -3}) {
        C->SetStartOfWeek(7);
        C->SetStartOfWeek(static_cast<int16_t>(Bad));
        EXPECT_EQ(C->StartOfWeek(), 1) << Bad;
        EXPECT_EQ(C->MonthOffset(), -4) << Bad;
    }
}

// A calendar on a window, laid out with 22 x 15 cells.
class CalendarControlTest : public CalendarTest {
  protected:
    void SetUp() override {
        CalendarTest::SetUp();
        Cal = NewCalendar();
        Cal->SetBounds(0, 0, 164, 115);
        Cal->Perform(WM_SIZE, 0, SizeMessage(160, 111).LParam);
        Cal->HandleNeeded();
        Notified.clear();
    }
    void TearDown() override {
        Cal.reset();
        CalendarTest::TearDown();
    }
    void ClickCell(int Col, int Row) {
        TRect R = Cal->CellRect(Col, Row);
        int X = (R.Left + R.Right) / 2, Y = (R.Top + R.Bottom) / 2;
        Cal->MouseDown(mbLeft, ssLeft, X, Y);
        Cal->MouseUp(mbLeft, 0, X, Y);
    }
    void Key(uint16_t K) { Cal->KeyDown(K, 0); }
    std::unique_ptr<TCCalendar> Cal;
};

TEST_F(CalendarControlTest, CellSizeFromTheClientArea) {
    EXPECT_EQ(Cal->DefaultColWidth(), 22);
    EXPECT_EQ(Cal->DefaultRowHeight(), 15);
    Cal->SetGridLineWidth(2);
    Cal->Perform(WM_SIZE, 0, SizeMessage(160, 111).LParam);
    EXPECT_EQ(Cal->DefaultColWidth(), 21);
    EXPECT_EQ(Cal->DefaultRowHeight(), 14);
    // A real resize reaches the calendar as the same message.
    Cal->SetGridLineWidth(1);
    Cal->SetBounds(0, 0, 300, 200);
    EXPECT_EQ(Cal->DefaultColWidth(), (Cal->ClientWidth() - 6) / 7);
    EXPECT_EQ(Cal->DefaultRowHeight(), (Cal->ClientHeight() - 6) / 7);
}

TEST_F(CalendarControlTest, PickingByMouse) {
    auto [Col18, Row18] = CellOf(*Cal, 18);
    ClickCell(Col18, Row18);
    EXPECT_YMD(*Cal, 2002, 11, 18);
    EXPECT_EQ(Cal->Col(), Col18);
    EXPECT_EQ(Cal->Row(), Row18);
    EXPECT_EQ(Notified.size(), 1u);
    EXPECT_FALSE(Cal->UseCurrentDate());

    ClickCell(Col18, Row18);  // the held day again: nothing to report
    EXPECT_EQ(Notified.size(), 1u);

    // Blank cells before day 1 and after the 30th, and the header row, are refused.
    for (auto [Col, Row] :
         {std::pair{0, 1}, std::pair{3, 1}, std::pair{6, 5}, std::pair{0, 6}, std::pair{2, 0}}) {
        ClickCell(Col, Row);
        EXPECT_EQ(Cal->Col(), Col18) << Col << "," << Row;
        EXPECT_EQ(Cal->Row(), Row18) << Col << "," << Row;
    }
    EXPECT_YMD(*Cal, 2002, 11, 18);
    EXPECT_EQ(Notified.size(), 1u);
}

TEST_F(CalendarControlTest, PickingByArrowKeys) {
    Key(VK_RIGHT);
    EXPECT_YMD(*Cal, 2002, 11, 15);
    EXPECT_EQ(Notified.size(), 1u);
    Key(VK_DOWN);
    EXPECT_YMD(*Cal, 2002, 11, 22);
    Key(VK_LEFT);
    EXPECT_YMD(*Cal, 2002, 11, 21);
    Key(VK_UP);
    EXPECT_YMD(*Cal, 2002, 11, 14);
    EXPECT_EQ(Notified.size(), 4u);
    // From day 1 (Friday, column 4) the blank Thursday cell and the header are refused.
    Cal->SetDay(1);
    Notified.clear();
    Key(VK_LEFT);
    Key(VK_UP);
    EXPECT_YMD(*Cal, 2002, 11, 1);
    EXPECT_EQ(Cal->Col(), 4);
    EXPECT_EQ(Cal->Row(), 1);
    EXPECT_TRUE(Notified.empty());
}

TEST_F(CalendarControlTest, ReadOnlyRefusesTheUserButFollowsTheDate) {
    Cal->SetReadOnly(true);
    int Col = Cal->Col(), Row = Cal->Row();
    ClickCell(0, 2);
    Key(VK_RIGHT);
    Key(VK_DOWN);
    EXPECT_YMD(*Cal, 2002, 11, 14);
    EXPECT_EQ(Cal->Col(), Col);
    EXPECT_EQ(Cal->Row(), Row);
    EXPECT_TRUE(Notified.empty());
    Cal->NextMonth();  // December 2002 begins on a Sunday
    EXPECT_YMD(*Cal, 2002, 12, 14);
    EXPECT_EQ(Cal->GetCellText(Cal->Col(), Cal->Row()), "14");
    Cal->SetDay(31);
    EXPECT_EQ(Cal->Col(), 1);
    EXPECT_EQ(Cal->Row(), 6);
}

int Distance(TColor A, TColor B) {
    return std::abs(GetRValue(A) - GetRValue(B)) + std::abs(GetGValue(A) - GetGValue(B)) +
           std::abs(GetBValue(A) - GetBValue(B));
}

// Bounding box of the pixels in R that differ from Background.
TRect InkBox(const TBitmap* B, const TRect& R, TColor Background) {
    TRect Box{R.Right, R.Bottom, R.Left, R.Top};
    for (int Y = R.Top; Y < R.Bottom; ++Y)
        for (int X = R.Left; X < R.Right; ++X)
            if (B->Pixel(X, Y) != Background) {
                Box.Left = std::min(Box.Left, X);
                Box.Top = std::min(Box.Top, Y);
                Box.Right = std::max(Box.Right, X + 1);
                Box.Bottom = std::max(Box.Bottom, Y + 1);
            }
    return Box;
}

TEST_F(CalendarControlTest, DrawsEachDayCentredAndTheCurrentCellSelected) {
    Cal->Repaint();
    const TBitmap* S = Cal->Surface();
    ASSERT_NE(S, nullptr);

    const TColor Window = ColorToRGB(Cal->Color()), Fixed = ColorToRGB(Cal->FixedColor()),
                 Highlight = ColorToRGB(clHighlight), HighlightText = ColorToRGB(clHighlightText),
                 WindowText = ColorToRGB(clWindowText);
    TCanvas* C = Cal->Canvas();
    int Blank = 0;
    for (int Row = 0; Row < 7; ++Row)
        for (int Col = 0; Col < 7; ++Col) {
            SCOPED_TRACE(testing::Message() << "cell " << Col << "," << Row);
            TRect R = Cal->CellRect(Col, Row);
            ASSERT_EQ(R.Width(), 22);
            ASSERT_EQ(R.Height(), 15);
            bool Current = Col == Cal->Col() && Row == Cal->Row();
            TColor Back = Row == 0 ? Fixed : Current ? Highlight : Window;
            EXPECT_EQ(S->Pixel(R.Left, R.Top), Back);
            EXPECT_EQ(S->Pixel(R.Right - 1, R.Bottom - 1), Back);
            AnsiString Text = Cal->GetCellText(Col, Row);
            TRect Ink = InkBox(S, R, Back);
            if (Text.empty()) {
                EXPECT_GE(Ink.Left, Ink.Right);  // only the background shows
                ++Blank;
                continue;
            }
            ASSERT_LT(Ink.Left, Ink.Right);
            // The text box of TextWidth x TextHeight is centred; its ink lies inside that box.
            int W = C->TextWidth(Text), H = C->TextHeight(Text);
            int X = R.Left + (R.Width() - W) / 2, Y = R.Top + (R.Height() - H) / 2;
            EXPECT_GE(Ink.Left, X);
            EXPECT_LE(Ink.Right, X + W);
            EXPECT_GE(Ink.Top, Y);
            EXPECT_LE(Ink.Bottom, Y + H);
            EXPECT_LE(std::abs((Ink.Left + Ink.Right) - (R.Left + R.Right)), 3);
            // Glyphs are smoothed: their strongest pixel leans to the text colour of the cell's state.
            TColor Strongest = Back;
            for (int Yy = Ink.Top; Yy < Ink.Bottom; ++Yy)
                for (int Xx = Ink.Left; Xx < Ink.Right; ++Xx)
                    if (Distance(S->Pixel(Xx, Yy), Back) > Distance(Strongest, Back))
                        Strongest = S->Pixel(Xx, Yy);
            TColor Ink1 = Current ? HighlightText : WindowText, Ink2 = Current ? WindowText : HighlightText;
            EXPECT_LT(Distance(Strongest, Ink1), Distance(Strongest, Ink2));
            EXPECT_LT(Distance(Strongest, Ink1), Distance(Strongest, Back));
        }
    EXPECT_EQ(Blank, 42 - 30);
}

TEST_F(CalendarControlTest, WideTextStaysCentredAndClipped) {
    ShortDayNames[1] = "";  // column 0, Monday
    ShortDayNames[2] = "Tuesday Tuesday Tuesday";
    Cal->Repaint();
    const TBitmap* S = Cal->Surface();
    const TColor Fixed = ColorToRGB(Cal->FixedColor());
    TRect R0 = Cal->CellRect(0, 0), R1 = Cal->CellRect(1, 0);
    TRect Empty = InkBox(S, R0, Fixed);
    EXPECT_GE(Empty.Left, Empty.Right);  // nothing spilled into the neighbour
    TRect Ink = InkBox(S, R1, Fixed);
    EXPECT_LE(Ink.Left, R1.Left + 1);  // cut at both edges
    EXPECT_GE(Ink.Right, R1.Right - 1);
}

class TCalTestForm : public TWinControl {
    AGENDIX_CLASS(TCalTestForm)
    using TWinControl::TWinControl;
    void CalChange(TObject* Sender) { ++Changes; }
    TCCalendar* Cal = nullptr;
    int Changes = 0;
};
const TClassInfo& TCalTestForm::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TCalTestForm>("TCalTestForm", &TWinControl::StaticClassInfo())
            .Field("Cal", &TCalTestForm::Cal)
            .Method("CalChange", &TCalTestForm::CalChange)
            .Build();
    return Info;
}

TEST_F(CalendarTest, FormDescriptionRoundTrip) {
    Ccalendr::Register();
    const char* Text =
        "object CalForm: TCalTestForm\n"
        "  object Cal: TCCalendar\n"
        "    Left = 8\n"
        "    Top = 16\n"
        "    Width = 164\n"
        "    Height = 115\n"
        "    GridLineWidth = 2\n"
        "    ReadOnly = True\n"
        "    StartOfWeek = 7\n"
        "    TabStop = True\n"
        "    UseCurrentDate = False\n"
        "    OnChange = CalChange\n"
        "  end\n"
        "end\n";
    TCalTestForm Form(nullptr);
    ReadComponentRes(&Form, Text);
    ASSERT_NE(Form.Cal, nullptr);
    TCCalendar& Cal = *Form.Cal;
    EXPECT_EQ(Cal.Left(), 8);
    EXPECT_EQ(Cal.GridLineWidth(), 2);
    EXPECT_TRUE(Cal.ReadOnly());
    EXPECT_EQ(Cal.StartOfWeek(), 7);
    EXPECT_TRUE(Cal.TabStop());
    EXPECT_FALSE(Cal.UseCurrentDate());
    EXPECT_YMD(Cal, 2002, 11, 14);  // today, kept when the flag goes off
    EXPECT_EQ(Cal.GetCellText(0, 0), "Sun");
    EXPECT_EQ(Form.Changes, 0);
    Cal.NextMonth();
    EXPECT_EQ(Form.Changes, 1);

    AnsiString Written = WriteComponentRes(&Form);
    for (const char* Never : {"Year", "Month", "Day", "CalendarDate", "Options", "ScrollBars"})
        EXPECT_EQ(Written.find(AnsiString("    ") + Never + " ="), AnsiString::npos) << Never << "\n"
                                                                                     << Written;
    // Stored values only, in declaration order.
    std::vector<AnsiString> Order = {"GridLineWidth", "ReadOnly",       "StartOfWeek",
                                     "TabStop",       "UseCurrentDate", "OnChange"};
    size_t Last = 0;
    for (auto& Name : Order) {
        size_t At = Written.find(Name + " =");
        ASSERT_NE(At, AnsiString::npos) << Name << "\n" << Written;
        EXPECT_GT(At, Last) << Name;
        Last = At;
    }

    TCalTestForm Again(nullptr);
    ReadComponentRes(&Again, Written);
    ASSERT_NE(Again.Cal, nullptr);
    EXPECT_EQ(WriteComponentRes(&Again), Written);
    EXPECT_EQ(Again.Cal->StartOfWeek(), 7);
    EXPECT_FALSE(Again.Cal->UseCurrentDate());

    // A calendar with nothing set stores nothing of its own.
    TCCalendar Plain(nullptr);
    AnsiString Props = WriteProperties(&Plain, 0);
    for (const char* Own : {"ReadOnly", "StartOfWeek", "UseCurrentDate", "Year", "Month", "Day"})
        EXPECT_EQ(Props.find(Own), AnsiString::npos) << Own << "\n" << Props;
}

TEST_F(CalendarTest, RegistersOnThePaletteWithItsBitmap) {
    Ccalendr::Register();
    bool Found = false;
    for (auto& E : PaletteEntries())
        if (E.Class == &TCCalendar::StaticClassInfo()) {
            Found = true;
            EXPECT_EQ(E.Page, LoadStr(101));
        }
    EXPECT_TRUE(Found);
    EXPECT_EQ(FindClass("TCCalendar"), &TCCalendar::StaticClassInfo());
    TBitmap B;
    B.LoadFromResourceName("TCCALENDAR");
    EXPECT_EQ(B.Width(), 24);
    EXPECT_EQ(B.Height(), 24);
    EXPECT_EQ(B.FileBitsPerPixel(), 4);
}

TEST_F(CalendarTest, KoreanHeaderPicture) {
    ShortDayNames = {"일", "월", "화", "수", "목", "금", "토"};
    auto C = NewCalendar();
    C->SetStartOfWeek(7);
    const char* Expected[7] = {"일", "월", "화", "수", "목", "금", "토"};
    for (int Col = 0; Col < 7; ++Col) EXPECT_EQ(C->GetCellText(Col, 0), Expected[Col]);
    C->Font()->SetName("굴림체");
    C->Font()->SetHeight(-12);
    C->SetBounds(0, 0, 164, 115);
    C->Perform(WM_SIZE, 0, SizeMessage(160, 111).LParam);
    C->HandleNeeded();
    C->Repaint();
    // The header carries ink in every column: the Hangul glyphs were drawn.
    for (int Col = 0; Col < 7; ++Col) {
        TRect R = C->CellRect(Col, 0);
        TRect Ink = InkBox(C->Surface(), R, ColorToRGB(C->FixedColor()));
        EXPECT_LT(Ink.Left, Ink.Right) << Col;
    }
    EXPECT_TRUE(C->Surface()->SavePng(ArtifactPath("calendar.png")));
}

}  // namespace
