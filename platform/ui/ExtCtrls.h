#pragma once
#include <cstdint>

#include "platform/ui/Controls.h"
#include "platform/ui/StdCtrls.h"

enum TPanelBevel : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
using TBevelWidth = int;

// A container with raised or lowered bevels and a caption centred in it.
class TPanel : public TCustomControl {
    AGENDIX_CLASS(TPanel)
    explicit TPanel(TComponent* AOwner);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment V);
    TPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel V);
    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel V);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int V);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int V);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle V);
    bool FullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool V) { FFullRepaint = V; }
    TNotifyEvent OnResize;

    // Makes the panel one tab stop over Rows (controls on it): Up and Down move between them,
    // Enter and Space click the current one, and a focus rectangle marks it while the panel has
    // the focus. The rows draw as before. Screen readers hear each row as its heading and its
    // text, or BlankName when the text is blank.
    void SetKeyRows(const std::vector<TControl*>& Rows, const std::vector<TControl*>& Headings = {},
                    const AnsiString& BlankName = "");
    const std::vector<TControl*>& KeyRows() const { return FKeyRows; }
    const std::vector<TControl*>& KeyRowHeadings() const { return FKeyRowHeadings; }
    const AnsiString& KeyRowBlankName() const { return FKeyRowBlankName; }
    int KeyRow() const { return FKeyRow; }
    void SetKeyRow(int V);
    void Dispatch(TMessage& Message) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;

  protected:
    void Paint() override;
    void TextChanged() override { Invalidate(); }
    void BoundsChanged() override;
    int NonClientWidth() const override { return FBorderStyle == bsSingle ? (Ctl3D() ? 2 : 1) : 0; }

  private:
    TAlignment FAlignment = taCenter;
    TPanelBevel FBevelInner = bvNone, FBevelOuter = bvRaised;
    int FBevelWidth = 1, FBorderWidth = 0;
    TFormBorderStyle FBorderStyle = bsNone;
    bool FFullRepaint = true;
    std::vector<TControl*> FKeyRows, FKeyRowHeadings;
    AnsiString FKeyRowBlankName;
    int FKeyRow = 0;
};

enum TBevelShape : uint8_t { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle : uint8_t { bsLowered, bsRaised };

// Etched lines and boxes in the button shadow and highlight colours.
class TBevel : public TGraphicControl {
    AGENDIX_CLASS(TBevel)
    explicit TBevel(TComponent* AOwner);
    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape V);
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle V);

  protected:
    void Paint() override;

  private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};
