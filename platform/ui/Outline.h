#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/Controls.h"
#include "platform/ui/Grids.h"

AGENDIX_EXCEPTION(EOutlineError, Exception)

enum TOutlineStyle : uint8_t {
    osOwnerDraw,
    osPictureText,
    osPlusPictureText,
    osPlusText,
    osText,
    osTreePictureText,
    osTreeText
};
enum TOutlineOption : uint32_t { ooDrawTreeRoot = 1, ooDrawFocusRect = 2, ooStretchBitmaps = 4 };
using TOutlineOptions = uint32_t;
enum TOutlineItemStateBit : uint32_t { oisSelected = 1, oisFocused = 2 };
using TOutlineItemState = uint32_t;

using TOutlineEvent = std::function<void(TObject* Sender, int Index)>;
// Rect is the item's whole row; the handler draws on the outline's Canvas.
using TOutlineDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, const TRect& Rect, TOutlineItemState State)>;

class TCustomOutline;

// State that a descendant keeps for an item of its own; it lives and dies with the item.
struct TOutlineItemExtra {
    virtual ~TOutlineItemExtra() = default;
};

// One item of an outline. Items are addressed by index: the hidden root is 0, and every other item
// follows its parent in depth-first order, so adding an item renumbers the items after it.
class TOutlineNode {
  public:
    TCustomOutline* Outline() const { return FOutline; }
    const AnsiString& Text() const { return FText; }
    void SetText(const AnsiString& V);
    void* Data() const { return FData; }
    void SetData(void* V) { FData = V; }
    TOutlineItemExtra* Extra() const { return FExtra.get(); }
    void SetExtra(std::unique_ptr<TOutlineItemExtra> V) { FExtra = std::move(V); }
    // Texts from the top-level ancestor down to this item, joined by the outline's separator.
    AnsiString FullPath() const;
    bool HasItems() const { return !FChildren.empty(); }
    int ItemCount() const { return static_cast<int>(FChildren.size()); }
    // Indexes of children; -1 when there is none.
    int GetFirstChild() const;
    int GetLastChild() const;
    int GetNextChild(int Value) const;
    int GetPrevChild(int Value) const;
    bool Expanded() const { return FExpanded; }
    // Opening an item calls the outline's Expand for it first, so the item may fill itself.
    void SetExpanded(bool V);
    void FullExpand();
    void FullCollapse();
    int Level() const;  // 1 for top-level items, 0 for the root
    int Index() const;
    TOutlineNode* Parent() const { return FParent; }
    bool IsVisible() const;  // all ancestors are open

  private:
    friend class TCustomOutline;
    TOutlineNode(TCustomOutline* Outline, TOutlineNode* Parent, const AnsiString& Text, void* Data)
        : FOutline(Outline), FParent(Parent), FText(Text), FData(Data) {}
    TCustomOutline* FOutline;
    TOutlineNode* FParent;
    std::vector<std::unique_ptr<TOutlineNode>> FChildren;
    AnsiString FText;
    void* FData = nullptr;
    std::unique_ptr<TOutlineItemExtra> FExtra;
    bool FExpanded = false;
    int FPos = 0;    // position among the parent's children
    int FIndex = 0;  // valid while the outline's index is
};

// A tree of text items drawn one per row with tree lines, plus boxes and folder pictures; a click
// selects, a double click opens or closes, the arrow keys move, and the rows scroll vertically.
class TCustomOutline : public TCustomControl {
    AGENDIX_CLASS(TCustomOutline)
    explicit TCustomOutline(TComponent* AOwner);
    ~TCustomOutline() override;

    void Clear();
    // Each returns the index of the new item.
    int AddChild(int Index, const AnsiString& Text);
    int AddChildObject(int Index, const AnsiString& Text, void* Data);
    // As the last sibling of Index; Index 0 adds a last top-level item.
    int Add(int Index, const AnsiString& Text);
    int AddObject(int Index, const AnsiString& Text, void* Data);
    // Before Index, under the same parent; Index 0 adds a last top-level item.
    int Insert(int Index, const AnsiString& Text);
    int InsertObject(int Index, const AnsiString& Text, void* Data);
    // Many children of Index at once, with one renumbering: each text goes before the child that
    // stood at the given position (the child count: after the last); equal positions keep the order
    // given, and positions must not decrease. Returns the new items in that order.
    std::vector<TOutlineNode*> InsertChildren(int Index,
                                              const std::vector<std::pair<int, AnsiString>>& Texts);
    TOutlineNode* Items(int Index) const;  // EOutlineError for an index out of range
    int ItemCount() const;                 // without the root
    void FullExpand();
    void FullCollapse();
    // 0 when nothing is selected.
    int SelectedItem() const;
    void SetSelectedItem(int Index);
    // The item at a client point, -1 when none.
    int GetItem(int X, int Y) const;
    const AnsiString& ItemSeparator() const { return FItemSeparator; }
    void SetItemSeparator(const AnsiString& V);

    TOutlineStyle Style() const { return FStyle; }
    void SetStyle(TOutlineStyle V);
    TOutlineOptions Options() const { return FOptions; }
    void SetOptions(TOutlineOptions V);
    TBitmap* PictureOpen() const { return FPictureOpen.get(); }
    void SetPictureOpen(TBitmap* V);
    TBitmap* PictureClosed() const { return FPictureClosed.get(); }
    void SetPictureClosed(TBitmap* V);
    TBitmap* PictureLeaf() const { return FPictureLeaf.get(); }
    void SetPictureLeaf(TBitmap* V);
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int V);  // values below 1 are ignored
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle V);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }  // bsNone or bsSingle
    void SetBorderStyle(TFormBorderStyle V);
    // The first visible row shown at the top.
    int TopRow() const { return FTopRow; }
    void SetTopRow(int V);
    int VisibleRowCount() const;  // open rows in the tree
    int PageRowCount() const;     // rows that fit in the window
    // Pixels by which the rows are scrolled to the left, and the most they can be.
    int LeftOffset() const;
    void SetLeftOffset(int V);
    int MaxLeftOffset() const;

    void Click() override;
    void DblClick() override;
    void Dispatch(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char& Key) override;

    TOutlineEvent OnExpand, OnCollapse;
    TOutlineDrawItemEvent OnDrawItem;

    // Raise OnExpand and OnCollapse; Expand runs before an item opens, Collapse after it closes.
    virtual void Expand(int Index);
    virtual void Collapse(int Index);

  protected:
    void Paint() override;
    void BoundsChanged() override;
    void FontChanged() override;
    void ColorChanged() override;
    // The frame that the window draws around the client area.
    int NonClientWidth() const override { return FBorderStyle == bsSingle ? (Ctl3D() ? 2 : 1) : 0; }
    bool IsPictureStored() const { return false; }
    // An outline starts with a colour of its own, the window colour: read back without it, it has that.
    bool IsOutlineColorStored() const { return !ParentColor() && Color() != clWindow; }

  private:
    friend class TOutlineNode;
    TOutlineNode* Node(int Index) const;
    int NewItem(TOutlineNode* Parent, int Pos, const AnsiString& Text, void* Data);
    void Changed();
    void Reindex() const;
    const std::vector<TOutlineNode*>& Rows() const;
    int RowOf(const TOutlineNode* N) const;  // -1 when hidden
    struct TBar;
    TRect ContentRect() const;
    void ShownBars(bool& Vert, bool& Horz) const;
    int RowsWidth() const;  // of the widest open row
    TBar Bar(bool Vertical) const;
    void SetBarPos(bool Vertical, int V);
    int MaxTopRow() const;
    int Top() const;  // TopRow held within the present rows
    void ScrollInView(const TOutlineNode* N);
    int ButtonColumns(const TOutlineNode* N) const;
    int Indent() const;
    int TextLeft(const TOutlineNode* N) const;  // from the left of an unscrolled row
    TRect ButtonRect(const TOutlineNode* N, int Row) const;
    void SelectRow(int Row);
    void NodeExpanding(TOutlineNode* N);
    void NodeCollapsed(TOutlineNode* N);
    void DrawRow(TCanvas* C, TOutlineNode* N, int Row, const TRect& Content);
    void DrawPicture(TBitmap* Pic, const TRect& Dest, const TRect& Clip);
    void DrawDottedV(int X, int Y1, int Y2, const TRect& Clip);
    void DrawDottedH(int X1, int X2, int Y, const TRect& Clip);
    void DrawScrollBar(TCanvas* C, const TBar& B);
    void MakePictures();

    std::unique_ptr<TOutlineNode> FRoot;
    mutable std::vector<TOutlineNode*> FFlat;  // index order
    mutable std::vector<TOutlineNode*> FRows;  // open rows, top to bottom
    mutable bool FIndexValid = false, FRowsValid = false;
    mutable int FRowsWidth = -1;  // -1 until measured
    TOutlineNode* FSelected = nullptr;
    AnsiString FItemSeparator = "\\";
    TOutlineStyle FStyle = osTreePictureText;
    TOutlineOptions FOptions = ooDrawTreeRoot | ooDrawFocusRect;
    std::unique_ptr<TBitmap> FPictureOpen, FPictureClosed, FPictureLeaf;
    int FItemHeight = 16;
    TScrollStyle FScrollBars = ssBoth;
    TFormBorderStyle FBorderStyle = bsSingle;
    int FTopRow = 0;
    int FLeftOffset = 0;
    int FThumbGrab = -1;  // offset of the mouse in the dragged thumb, -1 when not dragging
    bool FThumbVertical = true;
    bool FDownOnItem = false;
};
