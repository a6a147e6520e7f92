#include <gtest/gtest.h>

#include "platform/dbctrls/DBGrids.h"
#include "store/DBTables.h"
#include "tests/support/Support.h"

namespace {

const char* const DayFields[] = {"Year", "Month", "Day", "Msg"};

// A table of days with a message each, shown through a data source.
class DBGridTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Table.SetDatabaseName("BCDEMOS");
        Table.SetTableName("Days");
        for (const char* F : DayFields)
            Table.FieldDefs()->AddFieldDef(F, ftString, F == std::string("Msg") ? 30 : 4);
        Source.SetDataSet(&Table);
        Grid.SetBounds(0, 0, 345, 257);
        Grid.SetOptions(dgTitles | dgColLines | dgRowLines | dgRowSelect);
        const char* Titles[] = {"년도", "월", "일자", "일             정"};
        const int Widths[] = {36, 29, 49, 206};
        for (int I = 0; I < 4; ++I) {
            TColumn* C = Grid.Columns()->AddColumn();
            C->SetFieldName(DayFields[I]);
            C->Title()->SetCaption(Titles[I]);
            C->Title()->SetAlignment(taCenter);
            C->SetWidth(Widths[I]);
        }
        Grid.SetDataSource(&Source);
    }
    void Fill(int Days) {
        Table.Open();
        for (int D = 1; D <= Days; ++D) {
            Table.Append();
            Table.FieldByName("Year")->SetAsString("2002");
            Table.FieldByName("Month")->SetAsString("3");
            Table.FieldByName("Day")->SetAsString(std::to_string(D));
            Table.FieldByName("Msg")->SetAsString("총 " + std::to_string(D) + " 건의 일정이 있습니다.");
            Table.Post();
        }
        Table.First();
    }
    void ClickRow(int Row, int Col = 2) {
        TRect R = Grid.CellRect(Col, Row);
        ASSERT_LT(R.Left, R.Right) << "row " << Row << " is not in view";
        Grid.MouseDown(mbLeft, ssLeft, (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
        Grid.MouseUp(mbLeft, ssLeft, (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    }
    PrivateDataHome Home;
    TTable Table{nullptr};
    TDataSource Source{nullptr};
    TDBGrid Grid{nullptr};
};

TEST_F(DBGridTest, FollowsOpensClosesAndMoves) {
    EXPECT_EQ(Grid.ColCount(), 4);
    EXPECT_EQ(Grid.FixedCols(), 0);
    EXPECT_EQ(Grid.RowCount(), 2);  // the title and one empty row
    Fill(3);
    EXPECT_EQ(Grid.RowCount(), 4);
    EXPECT_EQ(Grid.Row(), 1);
    EXPECT_EQ(Grid.ColWidths(3), 206);
    Table.Next();
    EXPECT_EQ(Grid.Row(), 2);
    Table.Last();
    EXPECT_EQ(Grid.Row(), 3);
    Table.Close();
    EXPECT_EQ(Grid.RowCount(), 2);
    Table.Open();
    EXPECT_EQ(Grid.RowCount(), 4);
    EXPECT_EQ(Grid.Row(), 1);  // a reopened data set stands on its first row again
}

TEST_F(DBGridTest, AClickMovesTheDataSetThenReportsTheColumn) {
    Fill(5);
    std::vector<std::string> Seen;
    Grid.OnCellClick = [&](TColumn* Column) {
        Seen.push_back(Column->FieldName() + " " + Table.FieldByName("Day")->AsString());
    };
    ClickRow(3);
    ClickRow(1, 0);
    ClickRow(5, 3);
    EXPECT_EQ(Seen, (std::vector<std::string>{"Day 3", "Year 1", "Msg 5"}));
    EXPECT_EQ(Table.RecNo(), 5);
    // A handler that reopens the data set (as the month summary does) leaves the grid on row 1.
    Grid.OnCellClick = [&](TColumn*) {
        Table.Close();
        Table.Open();
    };
    ClickRow(4);
    EXPECT_EQ(Grid.Row(), 1);
    EXPECT_EQ(Table.RecNo(), 1);
}

TEST_F(DBGridTest, NoClickEventWhenTheDataSetIsEmpty) {
    int Clicks = 0;
    Grid.OnCellClick = [&](TColumn*) { ++Clicks; };
    ClickRow(1);  // inactive
    Table.Open();
    ClickRow(1);  // active and empty
    EXPECT_EQ(Clicks, 0);
    Fill(1);
    ClickRow(1);
    EXPECT_EQ(Clicks, 1);
}

TEST_F(DBGridTest, ScrollsToKeepTheCurrentRowInView) {
    Fill(31);
    int Visible = Grid.VisibleRowCount();
    ASSERT_LT(Visible, 31);
    Table.Last();
    EXPECT_EQ(Grid.Row(), 31);
    EXPECT_EQ(Grid.TopRow(), 31 - Visible + 1);
    std::string Day;
    Grid.OnCellClick = [&](TColumn*) { Day = Table.FieldByName("Day")->AsString(); };
    ClickRow(Grid.TopRow());
    EXPECT_EQ(Day, std::to_string(Grid.TopRow()));
    Table.First();
    EXPECT_EQ(Grid.TopRow(), 1);
}

TEST_F(DBGridTest, DrawsTitlesAndRowsWithTheCurrentRowHighlighted) {
    Fill(3);
    Table.Next();
    Grid.PaintSurfaceNow();
    TCanvas* Cv = Grid.Canvas();
    auto Inside = [&](int Col, int Row) {
        TRect R = Grid.CellRect(Col, Row);
        return std::pair<int, int>{R.Right - 2, R.Top + 2};
    };
    for (int Row = 1; Row <= 3; ++Row) {
        auto [X, Y] = Inside(3, Row);
        EXPECT_EQ(Cv->Pixel(X, Y), ColorToRGB(Row == 2 ? clHighlight : clWindow)) << "row " << Row;
    }
    // Some pixel of each title and of each row's text differs from its background.
    auto Inked = [&](int Col, int Row, TColor Back) {
        TRect R = Grid.CellRect(Col, Row);
        for (int Y = R.Top; Y < R.Bottom; ++Y)
            for (int X = R.Left; X < R.Right; ++X)
                if (Cv->Pixel(X, Y) != ColorToRGB(Back)) return true;
        return false;
    };
    for (int Col = 0; Col < 4; ++Col) EXPECT_TRUE(Inked(Col, 0, clBtnFace)) << "title " << Col;
    EXPECT_TRUE(Inked(3, 1, clWindow));
    EXPECT_TRUE(Inked(3, 2, clHighlight));
    Table.Close();
    Grid.PaintSurfaceNow();
    EXPECT_FALSE(Inked(3, 1, clWindow));
}

}  // namespace
