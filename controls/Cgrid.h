#pragma once
#include <cstdint>

#include "platform/graphics/Windows.h"
#include "platform/ui/Controls.h"

// How the sixteen squares are arranged: columns = 16 >> ordinal, rows = 1 << ordinal.
enum TGridOrdering : uint8_t { go16x1, go8x2, go4x4, go2x8, go1x16 };

// The sixteen basic colours of the default palette as a grid of squares, with a foreground and a
// background choice and a keyboard cursor.
class TCColorGrid : public TCustomControl {
    AGENDIX_CLASS(TCColorGrid)
    explicit TCColorGrid(TComponent* AOwner);

    bool ClickEnablesColor() const { return FClickEnablesColor; }
    void SetClickEnablesColor(bool V) { FClickEnablesColor = V; }
    TGridOrdering GridOrdering() const { return FGridOrdering; }
    void SetGridOrdering(TGridOrdering Value);
    int ForegroundIndex() const { return FForegroundIndex; }
    void SetForegroundIndex(int Value);
    int BackgroundIndex() const { return FBackgroundIndex; }
    void SetBackgroundIndex(int Value);
    bool ForegroundEnabled() const { return FForegroundEnabled; }
    void EnableForeground(bool Value);
    bool BackgroundEnabled() const { return FBackgroundEnabled; }
    void EnableBackground(bool Value);
    int Selection() const { return FSelection; }
    void SetSelection(int Value);

    TColor GetForegroundColor() const { return SquareColor(FForegroundIndex); }
    TColor GetBackgroundColor() const { return SquareColor(FBackgroundIndex); }
    int CellWidth() const { return FCellWidth; }
    int CellHeight() const { return FCellHeight; }
    int ColumnCount() const { return FColumnCount; }
    int RowCount() const { return FRowCount; }

    // Points outside map to the nearest edge square; -1 while the squares have no size.
    int SquareFromPos(int X, int Y) const;
    void UpdateCellSizes(bool Redraw);

    void Dispatch(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;

    TNotifyEvent OnChange;

  protected:
    void CreateWnd() override;
    void Paint() override;
    virtual void Change();

    void DrawSquare(int Which, bool ShowSelector);
    void DrawFgBg();
    // The palette entry of square k: entries 8 to 11 of the default palette are skipped.
    const PALETTEENTRY& SquareEntry(int Which) const {
        return FPaletteEntries[Which < 8 ? Which : Which + 4];
    }
    TColor SquareColor(int Which) const;
    TColor ContrastColor(int Which) const;

  private:
    void WMSize(TMessage& Message);
    void WMSetFocus(TMessage& Message);
    void WMKillFocus(TMessage& Message);
    void WMGetDlgCode(TMessage& Message);
    void CMCtl3DChanged(TMessage& Message);
    void RefreshSquare(int Which);
    TRect SquareRect(int Which) const;
    void TurnForegroundOn();
    void TurnBackgroundOn();

    PALETTEENTRY FPaletteEntries[20] = {};
    bool FClickEnablesColor = false;
    int FForegroundIndex = 0;
    int FBackgroundIndex = 0;
    bool FForegroundEnabled = true;
    bool FBackgroundEnabled = true;
    int FSelection = 0;
    int FCellWidth = 0;
    int FCellHeight = 0;
    int FColumnCount = 4;
    int FRowCount = 4;
    TGridOrdering FGridOrdering = go4x4;
    bool FHasFocus = false;
    TMouseButton FPressedButton = mbLeft;
    bool FTracking = false;
};

namespace Cgrid {
void Register();
}
