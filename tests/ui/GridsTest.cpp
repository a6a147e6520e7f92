#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <utility>

#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/TestDriver.h"

namespace {

class TTestGrid : public TCustomGrid {
  public:
    using TCustomGrid::TCustomGrid;
    std::set<std::pair<int, int>> Refused;
    int Clicks = 0;
    std::vector<std::pair<std::pair<int, int>, TGridDrawState>> Drawn;
    void Click() override { ++Clicks; }
    void Paint() override {
        Drawn.clear();
        TCustomGrid::Paint();
    }

  protected:
    bool SelectCell(int C, int R) override { return !Refused.count({C, R}) && TCustomGrid::SelectCell(C, R); }
    void DrawCell(int C, int R, const TRect& Rc, TGridDrawState S) override { Drawn.push_back({{C, R}, S}); }
};

struct GridFixture : ::testing::Test {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TTestGrid* Grid = new TTestGrid(Form.get());
    void SetUp() override {
        Grid->SetParent(Form.get());
        Grid->SetBorderStyle(bsNone);
        Grid->SetScrollBars(ssNone);
        Grid->SetBounds(0, 0, 5 * 65, 5 * 25);
    }
};

}  // namespace

TEST_F(GridFixture, GeometryAndPicking) {
    EXPECT_EQ(Grid->CellRect(2, 3), Rect(130, 75, 194, 99));
    struct Row {
        int X, Y, Col, Row;
    } Rows[] = {{0, 0, 0, 0},    {64, 24, 0, 0},   {65, 25, 1, 1},
                {140, 80, 2, 3}, {324, 124, 4, 4}, {325, 10, -1, -1}};
    for (auto& R : Rows) {
        int C, Rw;
        Grid->MouseToCell(R.X, R.Y, C, Rw);
        EXPECT_EQ(std::make_pair(C, Rw), std::make_pair(R.Col, R.Row)) << R.X << "," << R.Y;
    }
}

TEST_F(GridFixture, ClickMovesTheCurrentCellUnlessRefused) {
    Form->Show();
    TRect Cell = Grid->CellRect(3, 2);
    TestDriver::ClickAt(Grid, Cell.Left + 5, Cell.Top + 5);
    EXPECT_EQ(std::make_pair(Grid->Col(), Grid->Row()), std::make_pair(3, 2));
    EXPECT_EQ(Grid->Clicks, 1);
    Grid->Refused = {{4, 4}};
    Cell = Grid->CellRect(4, 4);
    TestDriver::ClickAt(Grid, Cell.Left + 5, Cell.Top + 5);
    EXPECT_EQ(std::make_pair(Grid->Col(), Grid->Row()), std::make_pair(3, 2));
    // A fixed cell is never picked.
    TestDriver::ClickAt(Grid, 5, 5);
    EXPECT_EQ(std::make_pair(Grid->Col(), Grid->Row()), std::make_pair(3, 2));
}

TEST_F(GridFixture, ArrowKeysMoveTheCurrentCellUnlessRefused) {
    Form->Show();
    TestDriver::ActivateWindow(Form.get());
    Grid->SetFocus();
    Grid->Refused = {{2, 2}};
    struct Row {
        uint16_t Key;
        int Col, Row;
    } Rows[] = {{VK_RIGHT, 2, 1}, {VK_DOWN, 2, 1}, {VK_RIGHT, 3, 1}, {VK_DOWN, 3, 2}, {VK_LEFT, 3, 2},
                {VK_UP, 3, 1},    {VK_UP, 3, 1},   {VK_END, 4, 1},   {VK_HOME, 1, 1}};
    for (auto& R : Rows) {
        TestDriver::PressKey(Grid, R.Key);
        EXPECT_EQ(std::make_pair(Grid->Col(), Grid->Row()), std::make_pair(R.Col, R.Row)) << "key " << R.Key;
    }
    // Every key that aims at a cell clicks, also where the cell is refused; Up from the top row does not.
    EXPECT_EQ(Grid->Clicks, 8);
}

TEST_F(GridFixture, PaintsFixedSelectedAndPlainCellsWithLines) {
    Grid->MoveColRow(2, 3, true, true);
    Grid->Repaint();
    TBitmap* S = Grid->Surface();
    EXPECT_EQ(S->Pixel(30, 10), ColorToRGB(clBtnFace));               // fixed header
    EXPECT_EQ(S->Pixel(130 + 30, 75 + 10), ColorToRGB(clHighlight));  // current cell, not focused
    EXPECT_EQ(S->Pixel(65 + 30, 25 + 10), ColorToRGB(clWindow));      // plain cell
    EXPECT_EQ(S->Pixel(64, 30), ColorToRGB(clBlack));                 // line right of a fixed cell
    EXPECT_EQ(S->Pixel(129, 40), ColorToRGB(clSilver));               // line between plain cells
    EXPECT_EQ(S->Pixel(100, 49), ColorToRGB(clSilver));
    Grid->SetGridLineWidth(0);
    Grid->SetOptions(Grid->Options() & ~uint32_t(goVertLine));
    Grid->Repaint();
    std::set<std::pair<int, int>> Cells;
    for (auto& D : Grid->Drawn) Cells.insert(D.first);
    EXPECT_EQ(Cells.size(), 25u);
    for (auto& D : Grid->Drawn) {
        bool Fixed = D.first.first == 0 || D.first.second == 0;
        EXPECT_EQ(bool(D.second & gdFixed), Fixed);
        EXPECT_EQ(bool(D.second & gdSelected), D.first == std::make_pair(2, 3));
    }
}

TEST_F(GridFixture, ScrollsVerticallyWhenRowsDoNotFit) {
    Grid->SetScrollBars(ssVertical);
    Grid->SetRowCount(20);
    EXPECT_EQ(Grid->VisibleRowCount(), 4);
    EXPECT_EQ(Grid->ClientWidth(), 5 * 65 - 16);  // room for the scroll bar
    Grid->MoveColRow(1, 19, true, true);
    EXPECT_EQ(Grid->TopRow(), 16);
    EXPECT_EQ(Grid->CellRect(1, 19).Top, 25 + 3 * 25);
    EXPECT_EQ(Grid->CellRect(1, 5), TRect{});
    Grid->MoveColRow(1, 2, true, true);
    EXPECT_EQ(Grid->TopRow(), 2);
    Grid->SetTopRow(100);
    EXPECT_EQ(Grid->TopRow(), 16);
    Grid->SetRowCount(3);
    EXPECT_EQ(Grid->TopRow(), 1);
    EXPECT_EQ(Grid->Row(), 2);
}
