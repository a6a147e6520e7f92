#include "platform/ui/Controls.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>

#include "platform/ui/qt/Accessible.h"
#include "platform/ui/qt/QtPeer.h"

const TClassInfo& TSizeConstraints::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TSizeConstraints>("TSizeConstraints", &TPersistent::StaticClassInfo())
            .Int("MaxHeight", &TSizeConstraints::MaxHeight, &TSizeConstraints::MaxHeight, 0)
            .Int("MaxWidth", &TSizeConstraints::MaxWidth, &TSizeConstraints::MaxWidth, 0)
            .Int("MinHeight", &TSizeConstraints::MinHeight, &TSizeConstraints::MinHeight, 0)
            .Int("MinWidth", &TSizeConstraints::MinWidth, &TSizeConstraints::MinWidth, 0)
            .Build();
    return Info;
}

// ---------------------------------------------------------------------------------------------
// TControl

const TClassInfo& TControl::StaticClassInfo() {
    static const TClassInfo Info = [] {
        RegisterIntegerIdents("TCursor",
                              {{"crDefault", crDefault}, {"crNone", -1},       {"crArrow", crArrow},
                               {"crCross", -3},          {"crIBeam", crIBeam}, {"crSizeNESW", -6},
                               {"crSizeNS", -7},         {"crSizeNWSE", -8},   {"crSizeWE", -9},
                               {"crUpArrow", -10},       {"crHourGlass", -11}, {"crDrag", crDrag},
                               {"crNoDrop", -13},        {"crHSplit", -14},    {"crVSplit", -15},
                               {"crMultiDrag", -16},     {"crSQLWait", -17},   {"crNo", -18},
                               {"crAppStart", -19},      {"crHelp", -20},      {"crHandPoint", crHandPoint}});
        using C = TControl;
        return TClassBuilder<C>("TControl", &TComponent::StaticClassInfo())
            .AlwaysPublished()
            .Int("Tag", &C::Tag, &C::SetTag, 0)
            .Int("Left", &C::Left, &C::SetLeft, 0)
            .Int("Top", &C::Top, &C::SetTop, 0)
            .Int("Width", &C::Width, &C::SetWidth, 0)
            .Int("Height", &C::Height, &C::SetHeight, 0)
            .Int("Cursor", &C::Cursor, &C::SetCursor, crDefault, "TCursor")
            .Str("Hint", &C::Hint, &C::SetHint)
            .OfferOnly()
            .Enum("Align", &C::Align, &C::SetAlign, alNone,
                  {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"})
            .Set("Anchors", &C::Anchors, &C::SetAnchors, akLeft | akTop,
                 {"akLeft", "akTop", "akRight", "akBottom"})
            .Str("Caption", &C::Caption, &C::SetCaption)
            .Int("Color", &C::Color, &C::SetColor, clWindow, "TColor", &C::IsColorDefaultStored)
            .Object("Constraints", &C::Constraints)
            .Int("DragCursor", &C::DragCursor, &C::SetDragCursor, crDrag, "TCursor")
            .Enum("DragKind", &C::DragKind, &C::SetDragKind, dkDrag, {"dkDrag", "dkDock"})
            .Enum("DragMode", &C::DragMode, &C::SetDragMode, dmManual, {"dmManual", "dmAutomatic"})
            .Bool("Enabled", &C::Enabled, &C::SetEnabled, true)
            .Object("Font", &C::Font, &C::IsFontStored)
            .Bool("ParentColor", &C::ParentColor, &C::SetParentColor, true)
            .Bool("ParentFont", &C::ParentFont, &C::SetParentFont, true)
            .Bool("ParentShowHint", &C::ParentShowHint, &C::SetParentShowHint, true)
            .Ref<TPopupMenu>("PopupMenu", &C::PopupMenu, &C::SetPopupMenu)
            .Bool("ShowHint", &C::ShowHint, &C::SetShowHint, false, &C::IsShowHintStored)
            .Str("Text", &C::Text, &C::SetText)
            .Bool("Visible", &C::Visible, &C::SetVisible, true)
            .Event("OnClick", &C::OnClick)
            .Event("OnDblClick", &C::OnDblClick)
            .Event("OnDragDrop", &C::OnDragDrop)
            .Event("OnDragOver", &C::OnDragOver)
            .Event("OnEndDock", &C::OnEndDock)
            .Event("OnEndDrag", &C::OnEndDrag)
            .Event("OnEnter", &C::OnEnter)
            .Event("OnExit", &C::OnExit)
            .Event("OnKeyDown", &C::OnKeyDown)
            .Event("OnKeyPress", &C::OnKeyPress)
            .Event("OnKeyUp", &C::OnKeyUp)
            .Event("OnMouseDown", &C::OnMouseDown)
            .Event("OnMouseMove", &C::OnMouseMove)
            .Event("OnMouseUp", &C::OnMouseUp)
            .Event("OnStartDock", &C::OnStartDock)
            .Event("OnStartDrag", &C::OnStartDrag)
            .Build();
    }();
    return Info;
}

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner),
      FFont(std::make_unique<TFont>()),
      FConstraints(std::make_unique<TSizeConstraints>()) {
    FFont->OnChange = [this] {
        if (!FUpdatingFont) FParentFont = false;
        FontChanged();
    };
}

TControl::~TControl() {
    Include(csDestroying);
    if (FParent) FParent->RemoveControl(this);
    FPeer.reset();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    if (FConstraints->MinWidth > 0) AWidth = std::max(AWidth, FConstraints->MinWidth);
    if (FConstraints->MaxWidth > 0) AWidth = std::min(AWidth, FConstraints->MaxWidth);
    if (FConstraints->MinHeight > 0) AHeight = std::max(AHeight, FConstraints->MinHeight);
    if (FConstraints->MaxHeight > 0) AHeight = std::min(AHeight, FConstraints->MaxHeight);
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    BoundsChanged();
}

void TControl::BoundsChanged() {
    if (FPeer) FPeer->SyncGeometry();
    CheckClientSize();
    if (FParent && FAlign != alNone) FParent->Realign();
    Invalidate();
}

TRect TControl::ClientRect() const {
    int N = NonClientWidth();
    return {0, 0, std::max(0, FWidth - 2 * N), std::max(0, FHeight - 2 * N)};
}

void TControl::SetClientWidth(int V) {
    SetWidth(V + FWidth - ClientWidth());
}
void TControl::SetClientHeight(int V) {
    SetHeight(V + FHeight - ClientHeight());
}

namespace {
// An empty client area gives an empty surface in both directions.
void SizeSurface(TBitmap* S, const TRect& R) {
    int W = R.Right, H = R.Bottom;
    if (W <= 0 || H <= 0) W = H = 0;
    if (S->Width() != W || S->Height() != H) S->SetSize(W, H);
}
}  // namespace

void TControl::CheckClientSize() {
    TRect R = ClientRect();
    // A surface gets its pixels at its first paint: a window still hidden (a dialog made at
    // start-up) or still being laid out allocates and clears none.
    if (TBitmap* S = BackingSurface(); S && S->Width() > 0) {
        int W = S->Width(), H = S->Height();
        SizeSurface(S, R);
        if (W != S->Width() || H != S->Height()) FPaintPending = true;
    }
    if (R.Right == FSentClientW && R.Bottom == FSentClientH) return;
    FSentClientW = R.Right;
    FSentClientH = R.Bottom;
    TMessage M = SizeMessage(R.Right, R.Bottom);
    Dispatch(M);
}

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == FParent) return;
    if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent) FParent->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
}

void TControl::SetParentComponent(TComponent* P) {
    if (auto* W = dynamic_cast<TWinControl*>(P)) SetParent(W);
}

void TControl::SetVisible(bool V) {
    if (V == FVisible) return;
    FVisible = V;
    if (FPeer) FPeer->SyncVisible();
    if (FParent && FAlign != alNone) FParent->Realign();
}

void TControl::SetEnabled(bool V) {
    if (V == FEnabled) return;
    FEnabled = V;
    if (FPeer) FPeer->SyncEnabled();
    Invalidate();
}

void TControl::SetColor(TColor V) {
    // Choosing a colour, even the current one, ends following the parent's.
    FParentColor = false;
    if (V == FColor) return;
    FColor = V;
    ColorChanged();
}

void TControl::SetParentColor(bool V) {
    if (V == FParentColor) return;
    FParentColor = V;
    if (V) ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (!FParentColor || !FParent || FParent->Color() == FColor) return;
    FColor = FParent->Color();
    ColorChanged();
}

void TControl::ColorChanged() {
    if (FPeer) FPeer->SyncColor();
    Invalidate();
}

void TControl::SetParentFont(bool V) {
    if (V == FParentFont) return;
    FParentFont = V;
    if (V) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!FParentFont || !FParent || *FParent->Font() == *FFont) return;
    FUpdatingFont = true;
    try {
        FFont->Assign(*FParent->Font());
    } catch (...) {
        FUpdatingFont = false;
        throw;
    }
    FUpdatingFont = false;
}

void TControl::FontChanged() {
    if (FPeer) FPeer->SyncFont();
    Invalidate();
}

void TControl::SetCursor(TCursor V) {
    if (V == FCursor) return;
    FCursor = V;
    if (FPeer) FPeer->SyncCursor();
}

void TControl::SetText(const AnsiString& V) {
    if (V == FText) return;
    FText = V;
    TextChanged();
    Invalidate();
    AccessibleTextChanged(this);
}

void TControl::SetAccessibleName(const AnsiString& V) {
    FAccessibleName = V;
    if (FPeer) FPeer->SyncAccessibleName();
    AccessibleTextChanged(this);
}

void TControl::SetAccessibleValue(const AnsiString& V) {
    if (V == FAccessibleValue) return;
    FAccessibleValue = V;
    AccessibleTextChanged(this);
}

void TControl::SetAlign(TAlign V) {
    if (V == FAlign) return;
    FAlign = V;
    if (FParent) FParent->Realign();
}

void TControl::Invalidate() {
    FPaintPending = true;
    if (FPeer) FPeer->ScheduleShow();
}

void TControl::PaintSurfaceNow() {
    TBitmap* S = BackingSurface();
    if (!S || FInPaint) return;
    SizeSurface(S, ClientRect());
    FPaintPending = false;
    if (!(FControlStyle & csOpaque)) {
        // A window erases itself to its colour; a graphic control starts transparent, so what lies
        // under it shows wherever it does not paint.
        uint32_t Px = 0;
        if (dynamic_cast<const TWinControl*>(this)) {
            TColor C = ColorToRGB(FColor);
            Px = 0xFF000000u | (GetRValue(C) << 16) | (GetGValue(C) << 8) | GetBValue(C);
        }
        if (S->Width() > 0 && S->Height() > 0) std::fill(S->Bits(), S->Bits() + S->Width() * S->Height(), Px);
        S->SyncDevice(ClientRect());
    }
    FInPaint = true;
    try {
        PaintBacking();
    } catch (...) {
        FInPaint = false;
        throw;
    }
    FInPaint = false;
}

bool TControl::PaintsOpaque() const {
    return (FControlStyle & csOpaque) || dynamic_cast<const TWinControl*>(this);
}

void TControl::SurfaceChanged() {
    if (!FInPaint && FPeer) FPeer->ScheduleShow();
}

void TControl::Repaint() {
    if (BackingSurface()) PaintSurfaceNow();
    if (FPeer) FPeer->ShowNow();
}

void TControl::Update() {
    if (FPaintPending && BackingSurface()) PaintSurfaceNow();
    if (FPeer) FPeer->ShowNow();
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
        case CM_CTL3DCHANGED:
            Invalidate();
            break;
        default:
            break;
    }
}

TMessage TControl::Perform(uint32_t Msg, int64_t WParam, int64_t LParam) {
    TMessage M{Msg, WParam, LParam, 0};
    Dispatch(M);
    return M;
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::KeyDown(uint16_t& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TControl::KeyPress(char& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

void TControl::KeyUp(uint16_t& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TControl::BringToFront() {
    if (FParent) {
        auto& L = FParent->FControls;
        L.erase(std::remove(L.begin(), L.end(), this), L.end());
        L.push_back(this);
    }
    if (FPeer && FPeer->Widget) FPeer->Widget->raise();
}

void TControl::HandleNeeded() {
    if (FPeer) return;
    if (FParent && !FParent->HandleAllocated()) {
        FParent->HandleNeeded();
        if (FPeer) return;
    }
    CreateWnd();
}

void TControl::CreateWnd() {
    if (!FPeer) FPeer = TQtPeer::CreateSurface(this);
    // A new window hears its size once, as windows do when they are created.
    FSentClientW = FSentClientH = -1;
    CheckClientSize();
}

void TControl::DestroyWnd() {
    FPeer.reset();
}

// ---------------------------------------------------------------------------------------------
// TWinControl

const TClassInfo& TWinControl::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TWinControl>("TWinControl", &TControl::StaticClassInfo())
            .OfferOnly()
            .Bool("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D, true, &TWinControl::IsCtl3DStored)
            .Bool("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D, true)
            .Int("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, -1)
            .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false)
            .Build();
    return Info;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
    FStyle = WS_CHILD;
}

TWinControl::~TWinControl() {
    Include(csDestroying);
    // Children owned elsewhere outlive this window: let go of them and of their widgets.
    for (TControl* C : FControls) {
        C->DestroyWnd();
        C->FParent = nullptr;
    }
    FControls.clear();
    FPeer.reset();
}

void TWinControl::InsertControl(TControl* C) {
    if (!C || C->FParent == this) return;
    if (C->FParent) C->FParent->RemoveControl(C);
    FControls.push_back(C);
    C->FParent = this;
    C->ParentFontChanged();
    C->ParentColorChanged();
    if (auto* W = dynamic_cast<TWinControl*>(C); W && W->FParentCtl3D && W->FCtl3D != FCtl3D) {
        W->FCtl3D = FCtl3D;
        W->Perform(CM_CTL3DCHANGED);
    }
    if (HandleAllocated()) {
        C->HandleNeeded();
        UpdateTabChain();
    }
    if (C->Align() != alNone) Realign();
}

void TWinControl::RemoveControl(TControl* C) {
    auto It = std::find(FControls.begin(), FControls.end(), C);
    if (It == FControls.end()) return;
    FControls.erase(It);
    C->DestroyWnd();
    C->FParent = nullptr;
    if (C->Align() != alNone && !(ComponentState() & csDestroying)) Realign();
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    for (TControl* C : FControls)
        if (C->Owner() == Root) Proc(C);
}

void TWinControl::SetTabOrder(int16_t V) {
    if (V == FTabOrder) return;
    FTabOrder = V;
    if (Parent() && Parent()->HandleAllocated()) Parent()->UpdateTabChain();
}

void TWinControl::SetTabStop(bool V) {
    if (V == FTabStop) return;
    FTabStop = V;
    if (FPeer && FPeer->Widget) FPeer->Widget->setFocusPolicy(V ? Qt::StrongFocus : Qt::ClickFocus);
    if (Parent() && Parent()->HandleAllocated()) Parent()->UpdateTabChain();
}

void TWinControl::UpdateTabChain() {
    std::vector<TWinControl*> Chain;
    for (TControl* C : FControls)
        if (auto* W = dynamic_cast<TWinControl*>(C); W && W->HandleAllocated() && W->TabStop())
            Chain.push_back(W);
    std::stable_sort(Chain.begin(), Chain.end(), [](TWinControl* A, TWinControl* B) {
        auto Key = [](TWinControl* W) { return W->TabOrder() < 0 ? INT32_MAX : int(W->TabOrder()); };
        return Key(A) < Key(B);
    });
    for (size_t I = 1; I < Chain.size(); ++I)
        if (Chain[I - 1]->Peer()->Widget && Chain[I]->Peer()->Widget)
            QWidget::setTabOrder(Chain[I - 1]->Peer()->Widget, Chain[I]->Peer()->Widget);
}

bool TWinControl::CanFocus() const {
    for (const TControl* C = this; C; C = C->Parent())
        if (!C->Visible() || !C->Enabled()) return false;
    return true;
}

void TWinControl::SetFocus() {
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    HandleNeeded();
    QWidget* W = FPeer->Widget;
    if (!W) return;
    if (QWidget* Top = W->window(); Top->isVisible() && !Top->isActiveWindow()) {
        Top->activateWindow();
        QApplication::setActiveWindow(Top);
    }
    W->setFocus(Qt::OtherFocusReason);
}

bool TWinControl::Focused() const {
    return FPeer && FPeer->Widget && FPeer->Widget->hasFocus();
}

void TWinControl::SetCtl3D(bool V) {
    FParentCtl3D = false;
    if (V == FCtl3D) return;
    FCtl3D = V;
    Perform(CM_CTL3DCHANGED);
    if (NonClientWidth() > 0) BoundsChanged();
    for (TControl* C : FControls)
        if (auto* W = dynamic_cast<TWinControl*>(C); W && W->FParentCtl3D && W->FCtl3D != V) {
            W->SetCtl3D(V);
            W->FParentCtl3D = true;
        }
}

void TWinControl::SetParentCtl3D(bool V) {
    if (V == FParentCtl3D) return;
    FParentCtl3D = V;
    if (V && Parent() && Parent()->Ctl3D() != FCtl3D) {
        SetCtl3D(Parent()->Ctl3D());
        FParentCtl3D = true;
    }
}

void TWinControl::SetMouseCapture(bool Capture) {
    if (!FPeer || !FPeer->Widget || !FPeer->Widget->isVisible()) return;
    if (Capture)
        FPeer->Widget->grabMouse();
    else if (QWidget::mouseGrabber() == FPeer->Widget)
        FPeer->Widget->releaseMouse();
}

bool TWinControl::MouseCapture() const {
    return FPeer && FPeer->Widget && QWidget::mouseGrabber() == FPeer->Widget;
}

void TWinControl::CreateWnd() {
    TControl::CreateWnd();
    for (TControl* C : FControls) C->HandleNeeded();
    UpdateTabChain();
}

void TWinControl::DestroyWnd() {
    for (TControl* C : FControls) C->DestroyWnd();
    TControl::DestroyWnd();
}

void TWinControl::BoundsChanged() {
    TControl::BoundsChanged();
    Realign();
}

void TWinControl::Loaded() {
    TControl::Loaded();
    FOldWidth = FOldHeight = -1;
    Realign();
}

void TWinControl::Realign() {
    if (FAligning || Loading() || (ComponentState() & csDestroying)) return;
    FAligning = true;
    try {
        TRect R = ClientRect();
        // Anchored children keep their distance to the edges they are anchored to.
        if (FOldWidth >= 0 && (R.Right != FOldWidth || R.Bottom != FOldHeight)) {
            int DX = R.Right - FOldWidth, DY = R.Bottom - FOldHeight;
            for (TControl* C : FControls) {
                if (C->Align() != alNone) continue;
                TAnchors A = C->Anchors();
                int L = C->Left(), T = C->Top(), W = C->Width(), H = C->Height();
                if (A & akRight) {
                    if (A & akLeft)
                        W += DX;
                    else
                        L += DX;
                }
                if (A & akBottom) {
                    if (A & akTop)
                        H += DY;
                    else
                        T += DY;
                }
                C->SetBounds(L, T, W, H);
            }
        }
        FOldWidth = R.Right;
        FOldHeight = R.Bottom;
        AlignChildren();
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

void TWinControl::AlignChildren() {
    TRect R = ClientRect();
    auto Pass = [&](TAlign A) {
        std::vector<TControl*> L;
        for (TControl* C : FControls)
            if (C->Align() == A && C->Visible()) L.push_back(C);
        std::stable_sort(L.begin(), L.end(), [A](TControl* X, TControl* Y) {
            switch (A) {
                case alTop:
                    return X->Top() < Y->Top();
                case alBottom:
                    return X->Top() + X->Height() > Y->Top() + Y->Height();
                case alLeft:
                    return X->Left() < Y->Left();
                case alRight:
                    return X->Left() + X->Width() > Y->Left() + Y->Width();
                default:
                    return false;
            }
        });
        for (TControl* C : L) {
            switch (A) {
                case alTop:
                    C->SetBounds(R.Left, R.Top, R.Right - R.Left, C->Height());
                    R.Top += C->Height();
                    break;
                case alBottom:
                    C->SetBounds(R.Left, R.Bottom - C->Height(), R.Right - R.Left, C->Height());
                    R.Bottom -= C->Height();
                    break;
                case alLeft:
                    C->SetBounds(R.Left, R.Top, C->Width(), R.Bottom - R.Top);
                    R.Left += C->Width();
                    break;
                case alRight:
                    C->SetBounds(R.Right - C->Width(), R.Top, C->Width(), R.Bottom - R.Top);
                    R.Right -= C->Width();
                    break;
                case alClient:
                    C->SetBounds(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top);
                    break;
                default:
                    break;
            }
        }
    };
    for (TAlign A : {alTop, alBottom, alLeft, alRight, alClient}) Pass(A);
}

void TWinControl::FontChanged() {
    TControl::FontChanged();
    for (TControl* C : FControls) C->ParentFontChanged();
}

void TWinControl::ColorChanged() {
    TControl::ColorChanged();
    for (TControl* C : FControls) C->ParentColorChanged();
}

int32_t GetWindowLongA(HWND Wnd, int Index) {
    if (!Wnd || Index != GWL_STYLE) return 0;
    return static_cast<int32_t>(Wnd->WindowStyle());
}

int32_t SetWindowLongA(HWND Wnd, int Index, int32_t Value) {
    if (!Wnd || Index != GWL_STYLE) return 0;
    int32_t Old = static_cast<int32_t>(Wnd->WindowStyle());
    Wnd->SetWindowStyle(static_cast<uint32_t>(Value));
    return Old;
}

// ---------------------------------------------------------------------------------------------
// TGraphicControl, TCustomControl

const TClassInfo& TGraphicControl::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TGraphicControl>("TGraphicControl", &TControl::StaticClassInfo()).Build();
    return Info;
}

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FSurface(std::make_unique<TBitmap>()) {
    FSurface->Canvas()->OnChange = [this] { SurfaceChanged(); };
}

TGraphicControl::~TGraphicControl() = default;
TCanvas* TGraphicControl::Canvas() const {
    return FSurface->Canvas();
}
void TGraphicControl::Repaint() {
    TControl::Repaint();
}

const TClassInfo& TCustomControl::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TCustomControl>("TCustomControl", &TWinControl::StaticClassInfo()).Build();
    return Info;
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FSurface(std::make_unique<TBitmap>()) {
    FSurface->Canvas()->OnChange = [this] { SurfaceChanged(); };
}

TCustomControl::~TCustomControl() = default;
TCanvas* TCustomControl::Canvas() const {
    return FSurface->Canvas();
}
void TCustomControl::Repaint() {
    TControl::Repaint();
}
