#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/ui/Messages.h"

class TWinControl;
class TPopupMenu;
struct TQtPeer;  // the Qt side of a control, private to platform/ui/qt

enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind : uint32_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = uint32_t;
enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };
enum TShiftStateBit : uint32_t {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TShiftState = uint32_t;
enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TDragMode : uint8_t { dmManual, dmAutomatic };
enum TDragKind : uint8_t { dkDrag, dkDock };
enum TFormBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TControlStyleBit : uint32_t {
    csAcceptsControls = 1,
    csCaptureMouse = 2,
    csClickEvents = 4,
    csFramed = 8,
    csSetCaption = 16,
    csOpaque = 32,
    csDoubleClicks = 64
};
using TControlStyle = uint32_t;
using TCursor = int16_t;
constexpr TCursor crDefault = 0, crArrow = -2, crIBeam = -4, crDrag = -12, crHandPoint = -21;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
// Drag and dock events are published for form designers; nothing in this system raises them.
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TDragOverEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y, bool& Accept)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TStartDragEvent = std::function<void(TObject* Sender)>;

class TSizeConstraints : public TPersistent {
    AGENDIX_CLASS(TSizeConstraints)
    int MaxHeight = 0, MaxWidth = 0, MinHeight = 0, MinWidth = 0;
};

// Every control owns a Qt widget, created on demand, and every control that paints has a backing
// surface of its client size: Paint and immediate drawing go to the surface, the widget shows it.
class TControl : public TComponent {
    AGENDIX_CLASS(TControl)
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int V) { SetBounds(V, FTop, FWidth, FHeight); }
    void SetTop(int V) { SetBounds(FLeft, V, FWidth, FHeight); }
    void SetWidth(int V) { SetBounds(FLeft, FTop, V, FHeight); }
    void SetHeight(int V) { SetBounds(FLeft, FTop, FWidth, V); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top); }
    TRect BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Right; }
    int ClientHeight() const { return ClientRect().Bottom; }
    void SetClientWidth(int V);
    void SetClientHeight(int V);

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);
    void SetParentComponent(TComponent* P) override;
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool V);
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool V);
    TColor Color() const { return FColor; }
    void SetColor(TColor V);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool V);
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont& F) { FFont->Assign(F); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool V);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor V);
    const AnsiString& Caption() const { return FText; }
    void SetCaption(const AnsiString& V) { SetText(V); }
    virtual AnsiString Text() const { return FText; }
    virtual void SetText(const AnsiString& V);
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& V) { FHint = V; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool V) {
        FShowHint = V;
        FParentShowHint = false;
    }
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool V) { FParentShowHint = V; }
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign V);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors V) { FAnchors = V; }
    TSizeConstraints* Constraints() const { return FConstraints.get(); }
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* V) { FPopupMenu = V; }
    TCursor DragCursor() const { return FDragCursor; }
    void SetDragCursor(TCursor V) { FDragCursor = V; }
    TDragKind DragKind() const { return FDragKind; }
    void SetDragKind(TDragKind V) { FDragKind = V; }
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode V) { FDragMode = V; }
    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle V) { FControlStyle = V; }

    // Invalidate schedules a paint (many become one); Refresh and Repaint paint now.
    virtual void Invalidate();
    void Refresh() { Repaint(); }
    virtual void Repaint();
    virtual void Update();
    virtual void Click();
    virtual void DblClick();
    virtual void Dispatch(TMessage& Message);
    TMessage Perform(uint32_t Msg, int64_t WParam = 0, int64_t LParam = 0);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void KeyDown(uint16_t& Key, TShiftState Shift);
    virtual void KeyPress(char& Key);
    virtual void KeyUp(uint16_t& Key, TShiftState Shift);
    // The wheel turned over the control by WheelDelta (120 a notch, positive away from the user);
    // true when the control used it.
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta) { return false; }
    // Shows or hides the control's window; called when the owner form is shown.
    void BringToFront();

    TNotifyEvent OnClick, OnDblClick, OnEnter, OnExit;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TEndDragEvent OnEndDrag, OnEndDock;
    TStartDragEvent OnStartDrag, OnStartDock;

    // What screen readers are told the control is called and holds, over what its class tells.
    const AnsiString& AccessibleName() const { return FAccessibleName; }
    void SetAccessibleName(const AnsiString& V);
    const AnsiString& AccessibleValue() const { return FAccessibleValue; }
    void SetAccessibleValue(const AnsiString& V);

    // The backing surface of controls that paint (client size), and the paint that fills it.
    virtual TBitmap* BackingSurface() const { return nullptr; }
    virtual void PaintBacking() {}
    // Width of the frame drawn around the client area (grids, outlines); 0 for most controls.
    virtual int NonClientWidth() const { return 0; }
    // Sends WM_SIZE through Dispatch when the client size differs from the one last sent.
    void CheckClientSize();
    // Runs the paint cycle of the backing surface now: background, then PaintBacking.
    void PaintSurfaceNow();
    bool PaintPending() const { return FPaintPending; }
    // Whether the backing surface covers what lies under the control: windows and csOpaque do.
    bool PaintsOpaque() const;
    // Immediate drawing on the backing surface: shows it without a paint cycle.
    void SurfaceChanged();
    // The Qt side; created by HandleNeeded.
    TQtPeer* Peer() const { return FPeer.get(); }
    virtual void HandleNeeded();
    bool HandleAllocated() const { return FPeer != nullptr; }

  protected:
    virtual void CreateWnd();
    virtual void DestroyWnd();
    // Hooks for the font and colour following the parent.
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void TextChanged() {}
    virtual void BoundsChanged();
    void ParentFontChanged();
    void ParentColorChanged();
    // The window system moved the window: the position follows without a new placement.
    void MoveQuietly(int ALeft, int ATop) {
        FLeft = ALeft;
        FTop = ATop;
    }
    bool IsFontStored() const { return !FParentFont; }
    bool IsColorStored() const { return !FParentColor; }
    bool IsShowHintStored() const { return !FParentShowHint; }
    // A colour of the control's own is stored whatever it is: read back without it, the control
    // would keep its parent's colour.
    bool IsColorDefaultStored() const { return !FParentColor; }
    friend class TWinControl;
    friend struct TQtPeer;
    std::unique_ptr<TQtPeer> FPeer;

  private:
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TWinControl* FParent = nullptr;
    bool FVisible = true, FEnabled = true, FParentColor = true, FParentFont = true, FShowHint = false,
         FParentShowHint = true;
    TColor FColor = clWindow;
    std::unique_ptr<TFont> FFont;
    TCursor FCursor = crDefault, FDragCursor = crDrag;
    AnsiString FText, FHint, FAccessibleName, FAccessibleValue;
    TAlign FAlign = alNone;
    TAnchors FAnchors = akLeft | akTop;
    std::unique_ptr<TSizeConstraints> FConstraints;
    TPopupMenu* FPopupMenu = nullptr;
    TDragKind FDragKind = dkDrag;
    TDragMode FDragMode = dmManual;
    TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    bool FUpdatingFont = false;
    bool FPaintPending = true, FInPaint = false;
    int FSentClientW = -1, FSentClientH = -1;
};

// A control with a window of its own: child controls, focus, tab order, window style bits.
class TWinControl : public TControl {
    AGENDIX_CLASS(TWinControl)
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int Index) const { return FControls.at(Index); }
    void InsertControl(TControl* C);
    void RemoveControl(TControl* C);
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

    int16_t TabOrder() const { return FTabOrder; }
    void SetTabOrder(int16_t V);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool V);
    virtual void SetFocus();
    bool Focused() const;
    bool CanFocus() const;
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool V);
    bool ParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool V);
    // Routes the mouse to this control until released.
    void SetMouseCapture(bool Capture);
    bool MouseCapture() const;
    // Window style bits, read and written through GetWindowLongA/SetWindowLongA.
    uint32_t WindowStyle() const { return FStyle; }
    void SetWindowStyle(uint32_t S) { FStyle = S; }
    // Realigns children by their Align and Anchors after a size change.
    void Realign();

  protected:
    void CreateWnd() override;
    void DestroyWnd() override;
    void BoundsChanged() override;
    void FontChanged() override;
    void ColorChanged() override;
    void Loaded() override;
    bool IsCtl3DStored() const { return !FParentCtl3D; }
    // Applies the Qt tab chain of the children by TabOrder.
    void UpdateTabChain();

  private:
    friend class TControl;
    void AlignChildren();
    bool FAligning = false;
    std::vector<TControl*> FControls;
    int16_t FTabOrder = -1;
    bool FTabStop = false, FCtl3D = true, FParentCtl3D = true;
    uint32_t FStyle = 0;
    int FOldWidth = -1, FOldHeight = -1;
};

// A control that paints itself on its backing surface through Canvas.
class TGraphicControl : public TControl {
    AGENDIX_CLASS(TGraphicControl)
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const;
    TBitmap* Surface() const { return FSurface.get(); }
    void Repaint() override;

  protected:
    virtual void Paint() {}
    TBitmap* BackingSurface() const override { return FSurface.get(); }
    void PaintBacking() override { Paint(); }
    friend struct TQtPeer;

  private:
    std::unique_ptr<TBitmap> FSurface;
};

class TCustomControl : public TWinControl {
    AGENDIX_CLASS(TCustomControl)
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const;
    TBitmap* Surface() const { return FSurface.get(); }
    void Repaint() override;

  protected:
    virtual void Paint() {}
    TBitmap* BackingSurface() const override { return FSurface.get(); }
    void PaintBacking() override { Paint(); }
    friend struct TQtPeer;

  private:
    std::unique_ptr<TBitmap> FSurface;
};

constexpr int GWL_STYLE = -16;
constexpr uint32_t WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000, WS_CLIPSIBLINGS = 0x04000000,
                   WS_CLIPCHILDREN = 0x02000000, WS_TABSTOP = 0x00010000;
using HWND = TWinControl*;
int32_t GetWindowLongA(HWND Wnd, int Index);
int32_t SetWindowLongA(HWND Wnd, int Index, int32_t Value);

// One command of a popup menu.
class TMenuItem {
  public:
    AnsiString Caption;
    bool Enabled = true;
    TNotifyEvent OnClick;
};

// A menu shown at the pointer. A control shows its PopupMenu, or the nearest parent's, on the
// right button and on the Menu key (or Shift+F10).
class TPopupMenu : public TComponent {
    AGENDIX_CLASS(TPopupMenu)
    using TComponent::TComponent;
    ~TPopupMenu() override;

    TMenuItem* Add(const AnsiString& Caption, TNotifyEvent OnClick);
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int Index) const { return FItems.at(Index).get(); }
    // The control the menu was last shown for.
    TControl* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TControl* C) { FPopupComponent = C; }
    // Shows the menu at a screen point; the chosen item's OnClick runs before it returns.
    void Popup(int X, int Y);
    TNotifyEvent OnPopup;

    // Test driver: chooses instead of the user, returning an item index or -1 for none.
    static std::function<int(TPopupMenu* Menu)> PopupHook;

  private:
    std::vector<std::unique_ptr<TMenuItem>> FItems;
    TControl* FPopupComponent = nullptr;
};
