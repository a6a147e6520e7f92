#pragma once
#include <cstdint>
#include <map>

#include "platform/ui/Controls.h"

enum TGridOption : uint32_t {
    goFixedVertLine = 1,
    goFixedHorzLine = 2,
    goVertLine = 4,
    goHorzLine = 8,
    goRangeSelect = 16,
    goDrawFocusSelected = 32,
    goRowSizing = 64,
    goColSizing = 128,
    goRowMoving = 256,
    goColMoving = 512,
    goEditing = 1024,
    goTabs = 2048,
    goRowSelect = 4096,
    goAlwaysShowEditor = 8192,
    goThumbTracking = 16384
};
using TGridOptions = uint32_t;
// Element names of TGridOptions in bit order, for property tables.
const std::vector<AnsiString>& GridOptionNames();

enum TGridDrawStateBit : uint32_t { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = uint32_t;

// A grid of cells: fixed rows and columns at the top and left, a current cell that the mouse and the
// arrow keys move, and rows that scroll vertically when they do not fit. Descendants draw the cells.
class TCustomGrid : public TCustomControl {
    AGENDIX_CLASS(TCustomGrid)
    explicit TCustomGrid(TComponent* AOwner);
    ~TCustomGrid() override;

    int ColCount() const { return FColCount; }
    void SetColCount(int V);
    int RowCount() const { return FRowCount; }
    void SetRowCount(int V);
    int FixedCols() const { return FFixedCols; }
    void SetFixedCols(int V);
    int FixedRows() const { return FFixedRows; }
    void SetFixedRows(int V);
    int DefaultColWidth() const { return FDefaultColWidth; }
    void SetDefaultColWidth(int V);
    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int V);
    int GridLineWidth() const { return FGridLineWidth; }
    // Clamped to 0 .. the widest a window can be (X11 sizes are 16-bit).
    void SetGridLineWidth(int V);
    static constexpr int kMaxGridLineWidth = 32767;
    TGridOptions Options() const { return FOptions; }
    void SetOptions(TGridOptions V);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle V);
    // bsNone or bsSingle (the default).
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle V);
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor V);

    int Col() const { return FCol; }
    void SetCol(int V);
    int Row() const { return FRow; }
    void SetRow(int V);
    int TopRow() const { return FTopRow; }
    void SetTopRow(int V);
    int LeftCol() const { return FLeftCol; }
    // Scrollable rows that fit wholly below the fixed rows (at least one).
    int VisibleRowCount() const;
    int VisibleColCount() const;

    virtual int ColWidths(int ACol) const;
    virtual int RowHeights(int ARow) const;
    void SetColWidths(int ACol, int W);
    void SetRowHeights(int ARow, int H);

    // The cell's rectangle in client coordinates; empty when the cell is scrolled out of view.
    TRect CellRect(int ACol, int ARow) const;
    // -1 for a coordinate that hits no cell.
    void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
    // Makes (ACol, ARow) current if SelectCell agrees; Show scrolls it into view.
    void MoveColRow(int ACol, int ARow, bool MoveAnchor, bool Show);
    TRect ClientRect() const override;

    void Dispatch(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;

    TNotifyEvent OnTopLeftChanged;

  protected:
    virtual bool SelectCell(int ACol, int ARow);
    virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    virtual void TopLeftChanged();
    // Called when ColCount or RowCount changes.
    virtual void SizeChanged(int OldColCount, int OldRowCount) {}
    void Paint() override;
    void BoundsChanged() override;
    bool IsFixedColorStored() const { return FFixedColor != clBtnFace; }
    // A grid starts with a colour of its own, the window colour: read back without it, it has that.
    bool IsGridColorStored() const { return !ParentColor() && Color() != clWindow; }
    // Scroll bar room that the grid reserves, in pixels.
    int ScrollBarWidth() const { return 16; }
    bool NeedsVertScroll() const;
    void UpdateScrollRange();
    int NonClientWidth() const override { return FBorderStyle == bsSingle ? (Ctl3D() ? 2 : 1) : 0; }
    // The grid lines' colours: fixed cells' lines and the others'.
    TColor FixedLineColor() const { return clBlack; }
    TColor LineColor() const;

  private:
    void ClampTopRow();
    int MaxTopRow() const;
    TRect CellAt(int ACol, int ARow) const;  // position ignoring visibility
    int FColCount = 5, FRowCount = 5, FFixedCols = 1, FFixedRows = 1;
    int FDefaultColWidth = 64, FDefaultRowHeight = 24, FGridLineWidth = 1;
    TGridOptions FOptions = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    TScrollStyle FScrollBars = ssBoth;
    TFormBorderStyle FBorderStyle = bsSingle;
    TColor FFixedColor = clBtnFace;
    int FCol = 1, FRow = 1, FTopRow = 1, FLeftCol = 1, FAnchorCol = 1, FAnchorRow = 1;
    std::map<int, int> FColWidths, FRowHeights;
};
