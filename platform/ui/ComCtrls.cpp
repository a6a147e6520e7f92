#include "platform/ui/ComCtrls.h"

#include <algorithm>

#include "platform/ui/Timer.h"

const TClassInfo& TUpDown::StaticClassInfo() {
    using C = TUpDown;
    static const TClassInfo Info =
        TClassBuilder<C>("TUpDown", &TCustomControl::StaticClassInfo())
            .Creatable()
            .Inherit({"Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint"})
            .Enum("AlignButton", &C::AlignButton, &C::SetAlignButton, udRight, {"udLeft", "udRight"})
            .Inherit({"Anchors"})
            .Bool("ArrowKeys", &C::ArrowKeys, &C::SetArrowKeys, true)
            .Inherit({"Enabled"})
            .Int("Min", &C::Min, &C::SetMin, 0)
            .Int("Max", &C::Max, &C::SetMax, 100)
            .Int("Increment", &C::Increment, &C::SetIncrement, 1)
            .Inherit({"Constraints"})
            .Enum("Orientation", &C::Orientation, &C::SetOrientation, udVertical,
                  {"udHorizontal", "udVertical"})
            .Inherit({"ParentShowHint", "PopupMenu"})
            .Int("Position", &C::Position, &C::SetPosition, 0)
            .Inherit({"ShowHint", "TabOrder", "TabStop"})
            .Bool("Thousands", &C::Thousands, &C::SetThousands, true)
            .Inherit({"Visible"})
            .Bool("Wrap", &C::Wrap, &C::SetWrap, false)
            .Event("OnChanging", &C::OnChanging)
            .Event("OnClick", &C::OnClick)
            .Inherit({"OnEnter", "OnExit", "OnMouseDown", "OnMouseMove", "OnMouseUp"})
            .Build();
    return Info;
}

TUpDown::TUpDown(TComponent* AOwner) : TCustomControl(AOwner) {
    SetControlStyle((ControlStyle() | csOpaque) & ~static_cast<uint32_t>(csClickEvents | csDoubleClicks));
    SetBounds(0, 0, 16, 24);
    SetColor(clBtnFace);
}

TUpDown::~TUpDown() = default;

void TUpDown::SetMin(int V) {
    if (V == FMin) return;
    FMin = V;
    if (!Loading()) FPosition = std::clamp(FPosition, std::min(FMin, FMax), std::max(FMin, FMax));
    Invalidate();
}

void TUpDown::SetMax(int V) {
    if (V == FMax) return;
    FMax = V;
    if (!Loading()) FPosition = std::clamp(FPosition, std::min(FMin, FMax), std::max(FMin, FMax));
    Invalidate();
}

void TUpDown::SetPosition(int V) {
    if (!Loading()) V = std::clamp(V, std::min(FMin, FMax), std::max(FMin, FMax));
    if (V == FPosition) return;
    FPosition = V;
}

void TUpDown::SetOrientation(TUDOrientation V) {
    if (V == FOrientation) return;
    FOrientation = V;
    Invalidate();
}

void TUpDown::Click(TUDBtnType Button) {
    int Step = Button == btNext ? FIncrement : -FIncrement;
    int Lo = std::min(FMin, FMax), Hi = std::max(FMin, FMax);
    int NewPos = FPosition + Step;
    if (NewPos > Hi || NewPos < Lo) {
        if (FWrap)
            NewPos = NewPos > Hi ? Lo : Hi;
        else
            NewPos = std::clamp(NewPos, Lo, Hi);
    }
    if (NewPos == FPosition) return;
    bool Allow = true;
    if (OnChanging) OnChanging(this, Allow);
    if (!Allow) return;
    FPosition = NewPos;
    if (OnClick) OnClick(this, Button);
}

void TUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled()) return;
    TUDBtnType B = FOrientation == udVertical ? (Y < Height() / 2 ? btNext : btPrev)
                                              : (X >= Width() / 2 ? btNext : btPrev);
    FPressed = B;
    Repaint();
    if (!FRepeat) {
        FRepeat = std::make_unique<TTimer>(nullptr);
        FRepeat->OnTimer = [this](TObject*) { Repeat(); };
    }
    FRepeat->SetEnabled(false);
    FRepeat->SetInterval(400);
    Click(B);
    if (FPressed == B) FRepeat->SetEnabled(true);
}

void TUpDown::Repeat() {
    // Stopped first: a step that fails must not repeat its failure while the arrow is held.
    FRepeat->SetEnabled(false);
    if (FPressed < 0) return;
    int B = FPressed;
    Click(static_cast<TUDBtnType>(B));
    if (FPressed != B) return;
    FRepeat->SetInterval(80);
    FRepeat->SetEnabled(true);
}

void TUpDown::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (!FArrowKeys || !Enabled()) return;
    switch (Key) {
        case VK_UP:
        case VK_RIGHT:
        case VK_PRIOR:
            Key = 0;
            Click(btNext);
            break;
        case VK_DOWN:
        case VK_LEFT:
        case VK_NEXT:
            Key = 0;
            Click(btPrev);
            break;
        default:
            break;
    }
}

bool TUpDown::DoMouseWheel(TShiftState Shift, int WheelDelta) {
    if (!Enabled()) return false;
    FWheel += WheelDelta;
    while (FWheel >= 120 || FWheel <= -120) {
        TUDBtnType B = FWheel > 0 ? btNext : btPrev;
        FWheel += FWheel > 0 ? -120 : 120;
        Click(B);
    }
    return true;
}

void TUpDown::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case WM_GETDLGCODE:
            if (FArrowKeys) Message.Result = DLGC_WANTARROWS;
            return;
        case WM_KILLFOCUS:
            if (FPressed >= 0) {
                FPressed = -1;
                if (FRepeat) FRepeat->SetEnabled(false);
            }
            Invalidate();
            break;
        case WM_SETFOCUS:
            Invalidate();
            break;
        default:
            break;
    }
    TCustomControl::Dispatch(Message);
}

void TUpDown::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (FRepeat) FRepeat->SetEnabled(false);
    if (FPressed >= 0) {
        FPressed = -1;
        Invalidate();
    }
}

void TUpDown::Paint() {
    TCanvas* C = Canvas();
    TRect All = ClientRect();
    bool Vert = FOrientation == udVertical;
    int Half = Vert ? All.Bottom / 2 : All.Right / 2;
    TRect Parts[2] = {Vert ? TRect{0, 0, All.Right, Half} : TRect{Half, 0, All.Right, All.Bottom},
                      Vert ? TRect{0, Half, All.Right, All.Bottom} : TRect{0, 0, Half, All.Bottom}};
    for (int I = 0; I < 2; ++I) {
        TRect R = Parts[I];
        bool Down = FPressed == I;
        Frame3D(C, R, Down ? clBtnShadow : clBtnHighlight, Down ? clBtnHighlight : cl3DDkShadow, 1);
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(clBtnFace);
        C->FillRect(R);
        // A small filled triangle pointing up, down, right or left.
        C->Pen()->SetColor(Enabled() ? clBtnText : clGrayText);
        C->Pen()->SetWidth(1);
        C->Pen()->SetMode(pmCopy);
        int CX = (R.Left + R.Right) / 2 + (Down ? 1 : 0), CY = (R.Top + R.Bottom) / 2 + (Down ? 1 : 0);
        int Size = std::max(1, std::min(R.Right - R.Left, R.Bottom - R.Top) / 4);
        for (int K = 0; K < Size; ++K) {
            if (Vert) {
                int Y = I == btNext ? CY - Size / 2 + K : CY + Size / 2 - K;
                C->MoveTo(CX - K, Y);
                C->LineTo(CX + K + 1, Y);
            } else {
                int X = I == btNext ? CX + Size / 2 - K : CX - Size / 2 + K;
                C->MoveTo(X, CY - K);
                C->LineTo(X, CY + K + 1);
            }
        }
    }
    if (Focused()) C->DrawFocusRect(Rect(2, 2, All.Right - 2, All.Bottom - 2));
}
