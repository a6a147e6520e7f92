#include "platform/ui/ExtCtrls.h"

#include <algorithm>

#include "platform/graphics/Windows.h"
#include "platform/ui/qt/Accessible.h"

// ---------------------------------------------------------------------------------------------
// TPanel

const TClassInfo& TPanel::StaticClassInfo() {
    using C = TPanel;
    static const std::vector<AnsiString> Bevels = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
    static const TClassInfo Info =
        TClassBuilder<C>("TPanel", &TCustomControl::StaticClassInfo())
            .Creatable()
            .Inherit({"Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint"})
            .Inherit({"Align"})
            .Enum("Alignment", &C::Alignment, &C::SetAlignment, taCenter,
                  {"taLeftJustify", "taRightJustify", "taCenter"})
            .Inherit({"Anchors"})
            .Enum("BevelInner", &C::BevelInner, &C::SetBevelInner, bvNone, Bevels)
            .Enum("BevelOuter", &C::BevelOuter, &C::SetBevelOuter, bvRaised, Bevels)
            .Int("BevelWidth", &C::BevelWidth, &C::SetBevelWidth, 1)
            .Int("BorderWidth", &C::BorderWidth, &C::SetBorderWidth, 0)
            .Enum("BorderStyle", &C::BorderStyle, &C::SetBorderStyle, bsNone,
                  {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"})
            .Inherit(
                {"Caption", "Color", "Constraints", "Ctl3D", "DragCursor", "DragKind", "DragMode", "Enabled"})
            .Bool("FullRepaint", &C::FullRepaint, &C::SetFullRepaint, true)
            .Inherit({"Font",      "ParentColor", "ParentCtl3D", "ParentFont",  "ParentShowHint",
                      "PopupMenu", "ShowHint",    "TabOrder",    "TabStop",     "Visible",
                      "OnClick",   "OnDblClick",  "OnDragDrop",  "OnDragOver",  "OnEndDock",
                      "OnEndDrag", "OnEnter",     "OnExit",      "OnMouseDown", "OnMouseMove",
                      "OnMouseUp"})
            .Event("OnResize", &C::OnResize)
            .Inherit({"OnStartDock", "OnStartDrag"})
            .Build();
    return Info;
}

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle(ControlStyle() | csAcceptsControls | csOpaque);
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TPanel::SetAlignment(TAlignment V) {
    if (V == FAlignment) return;
    FAlignment = V;
    Invalidate();
}

void TPanel::SetBevelInner(TPanelBevel V) {
    if (V == FBevelInner) return;
    FBevelInner = V;
    Invalidate();
}

void TPanel::SetBevelOuter(TPanelBevel V) {
    if (V == FBevelOuter) return;
    FBevelOuter = V;
    Invalidate();
}

void TPanel::SetBevelWidth(int V) {
    if (V < 1) V = 1;
    if (V == FBevelWidth) return;
    FBevelWidth = V;
    Invalidate();
}

void TPanel::SetBorderWidth(int V) {
    if (V < 0) V = 0;
    if (V == FBorderWidth) return;
    FBorderWidth = V;
    Invalidate();
}

void TPanel::SetBorderStyle(TFormBorderStyle V) {
    if (V == FBorderStyle) return;
    FBorderStyle = V;
    BoundsChanged();
}

void TPanel::BoundsChanged() {
    TCustomControl::BoundsChanged();
    if (OnResize && !Loading()) OnResize(this);
}

void TPanel::SetKeyRows(const std::vector<TControl*>& Rows, const std::vector<TControl*>& Headings,
                        const AnsiString& BlankName) {
    FKeyRows = Rows;
    FKeyRowHeadings = Headings;
    FKeyRowBlankName = BlankName;
    FKeyRow = 0;
    SetTabStop(!Rows.empty());
    Invalidate();
}

void TPanel::SetKeyRow(int V) {
    if (FKeyRows.empty()) return;
    V = std::clamp(V, 0, static_cast<int>(FKeyRows.size()) - 1);
    if (V == FKeyRow) return;
    FKeyRow = V;
    Invalidate();
    if (Focused()) AccessibleFocusMoved(this, FKeyRows[FKeyRow]);
}

void TPanel::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_GETDLGCODE:
            if (!FKeyRows.empty()) Message.Result = DLGC_WANTARROWS;
            return;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (!FKeyRows.empty()) {
                Invalidate();
                if (Message.Msg == WM_SETFOCUS) AccessibleFocusMoved(this, FKeyRows[FKeyRow]);
            }
            break;
        default:
            break;
    }
    TCustomControl::Dispatch(Message);
}

void TPanel::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (FKeyRows.empty() || Shift & (ssCtrl | ssAlt)) return;
    switch (Key) {
        case VK_UP:
            SetKeyRow(FKeyRow - 1);
            break;
        case VK_DOWN:
            SetKeyRow(FKeyRow + 1);
            break;
        case VK_HOME:
            SetKeyRow(0);
            break;
        case VK_END:
            SetKeyRow(static_cast<int>(FKeyRows.size()) - 1);
            break;
        case VK_RETURN:
        case VK_SPACE:
            Key = 0;
            FKeyRows[FKeyRow]->Click();
            return;
        default:
            return;
    }
    Key = 0;
}

void TPanel::Paint() {
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    auto Colors = [](TPanelBevel B, TColor& Top, TColor& Bottom) {
        Top = B == bvLowered ? clBtnShadow : clBtnHighlight;
        Bottom = B == bvLowered ? clBtnHighlight : clBtnShadow;
    };
    TColor Top, Bottom;
    if (FBevelOuter != bvNone) {
        Colors(FBevelOuter, Top, Bottom);
        Frame3D(C, R, Top, Bottom, FBevelWidth);
    }
    if (FBorderWidth > 0) Frame3D(C, R, Color(), Color(), FBorderWidth);
    if (FBevelInner != bvNone) {
        Colors(FBevelInner, Top, Bottom);
        Frame3D(C, R, Top, Bottom, FBevelWidth);
    }
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(R);
    if (!FKeyRows.empty() && Focused()) {
        TRect Mark = FKeyRows[FKeyRow]->BoundsRect();
        C->DrawFocusRect(Rect(Mark.Left - 3, Mark.Top - 2, Mark.Right + 3, Mark.Bottom + 2));
    }
    if (Caption().empty()) return;
    C->SetFont(*Font());
    C->Brush()->SetStyle(bsClear);
    uint32_t Flags = DT_SINGLELINE | DT_VCENTER;
    if (FAlignment == taCenter) Flags |= DT_CENTER;
    if (FAlignment == taRightJustify) Flags |= DT_RIGHT;
    C->DrawText(Caption(), R, Flags);
}

// ---------------------------------------------------------------------------------------------
// TBevel

const TClassInfo& TBevel::StaticClassInfo() {
    using C = TBevel;
    static const TClassInfo Info =
        TClassBuilder<C>("TBevel", &TGraphicControl::StaticClassInfo())
            .Creatable()
            .Inherit({"Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint"})
            .Inherit({"Align", "Anchors", "Constraints", "ParentShowHint"})
            .Enum("Shape", &C::Shape, &C::SetShape, bsBox,
                  {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"})
            .Inherit({"ShowHint"})
            .Enum("Style", &C::Style, &C::SetStyle, bsLowered, {"bsLowered", "bsRaised"})
            .Inherit({"Visible"})
            .Build();
    return Info;
}

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape V) {
    if (V == FShape) return;
    FShape = V;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle V) {
    if (V == FStyle) return;
    FStyle = V;
    Invalidate();
}

void TBevel::Paint() {
    TCanvas* C = Canvas();
    TColor C1 = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor C2 = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    int W = Width(), H = Height();
    auto Line = [C](TColor Col, int X1, int Y1, int X2, int Y2) {
        C->Pen()->SetColor(Col);
        C->Pen()->SetWidth(1);
        C->Pen()->SetMode(pmCopy);
        C->MoveTo(X1, Y1);
        C->LineTo(X2, Y2);
    };
    TRect R = ClientRect();
    switch (FShape) {
        case bsBox:
            Frame3D(C, R, C1, C2, 1);
            break;
        case bsFrame: {
            TRect Outer{0, 0, W - 1, H - 1};
            Frame3D(C, Outer, C1, C1, 1);
            TRect Inner{1, 1, W, H};
            Frame3D(C, Inner, C2, C2, 1);
            break;
        }
        case bsTopLine:
            Line(C1, 0, 0, W, 0);
            Line(C2, 0, 1, W, 1);
            break;
        case bsBottomLine:
            Line(C1, 0, H - 2, W, H - 2);
            Line(C2, 0, H - 1, W, H - 1);
            break;
        case bsLeftLine:
            Line(C1, 0, 0, 0, H);
            Line(C2, 1, 0, 1, H);
            break;
        case bsRightLine:
            Line(C1, W - 2, 0, W - 2, H);
            Line(C2, W - 1, 0, W - 1, H);
            break;
        case bsSpacer:
            break;
    }
}
