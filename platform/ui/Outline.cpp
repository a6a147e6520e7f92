#include "platform/ui/Outline.h"

#include <algorithm>

namespace {
constexpr int kScrollBarWidth = 16;
constexpr int kMinThumb = 8;
constexpr TColor kLineColor = clGray;

bool IsTreeStyle(TOutlineStyle S) {
    return S == osTreeText || S == osTreePictureText;
}
bool IsPlusStyle(TOutlineStyle S) {
    return S == osPlusText || S == osPlusPictureText;
}
bool HasPictures(TOutlineStyle S) {
    return S == osPictureText || S == osPlusPictureText || S == osTreePictureText;
}
bool Contains(const TRect& R, int X, int Y) {
    return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}
}  // namespace

// ---- items -----------------------------------------------------------------------------------

void TOutlineNode::SetText(const AnsiString& V) {
    if (V == FText) return;
    FText = V;
    FOutline->FRowsWidth = -1;
    FOutline->Invalidate();
}

AnsiString TOutlineNode::FullPath() const {
    std::vector<const TOutlineNode*> Chain;
    for (const TOutlineNode* N = this; N->FParent; N = N->FParent) Chain.push_back(N);
    AnsiString Path;
    for (auto It = Chain.rbegin(); It != Chain.rend(); ++It) {
        if (It != Chain.rbegin()) Path += FOutline->ItemSeparator();
        Path += (*It)->FText;
    }
    return Path;
}

int TOutlineNode::GetFirstChild() const {
    return FChildren.empty() ? -1 : FChildren.front()->Index();
}
int TOutlineNode::GetLastChild() const {
    return FChildren.empty() ? -1 : FChildren.back()->Index();
}

int TOutlineNode::GetNextChild(int Value) const {
    const TOutlineNode* C = FOutline->Node(Value);
    if (C->FParent != this || C->FPos + 1 >= static_cast<int>(FChildren.size())) return -1;
    return FChildren[C->FPos + 1]->Index();
}

int TOutlineNode::GetPrevChild(int Value) const {
    const TOutlineNode* C = FOutline->Node(Value);
    if (C->FParent != this || C->FPos == 0) return -1;
    return FChildren[C->FPos - 1]->Index();
}

void TOutlineNode::SetExpanded(bool V) {
    if (V == FExpanded || !FParent) return;
    if (V)
        FOutline->NodeExpanding(this);
    else
        FOutline->NodeCollapsed(this);
}

void TOutlineNode::FullExpand() {
    SetExpanded(true);
    // Expanding may add children, so the count is read afresh.
    for (size_t I = 0; I < FChildren.size(); ++I) FChildren[I]->FullExpand();
}

void TOutlineNode::FullCollapse() {
    for (auto& C : FChildren) C->FullCollapse();
    SetExpanded(false);
}

int TOutlineNode::Level() const {
    int L = 0;
    for (const TOutlineNode* N = FParent; N; N = N->FParent) ++L;
    return L;
}

int TOutlineNode::Index() const {
    FOutline->Reindex();
    return FIndex;
}

bool TOutlineNode::IsVisible() const {
    for (const TOutlineNode* N = FParent; N; N = N->FParent)
        if (!N->FExpanded) return false;
    return true;
}

// ---- the outline -----------------------------------------------------------------------------

const TClassInfo& TCustomOutline::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TCustomOutline>("TCustomOutline", &TCustomControl::StaticClassInfo())
            .OfferOnly()
            .Enum("BorderStyle", &TCustomOutline::BorderStyle, &TCustomOutline::SetBorderStyle, bsSingle,
                  {"bsNone", "bsSingle"})
            .Int("Color", &TCustomOutline::Color, &TCustomOutline::SetColor, clWindow, "TColor",
                 &TCustomOutline::IsOutlineColorStored)
            .Int("ItemHeight", &TCustomOutline::ItemHeight, &TCustomOutline::SetItemHeight, 16)
            .Event("OnCollapse", &TCustomOutline::OnCollapse)
            .Event("OnDrawItem", &TCustomOutline::OnDrawItem)
            .Event("OnExpand", &TCustomOutline::OnExpand)
            .Set("Options", &TCustomOutline::Options, &TCustomOutline::SetOptions,
                 ooDrawTreeRoot | ooDrawFocusRect, {"ooDrawTreeRoot", "ooDrawFocusRect", "ooStretchBitmaps"})
            .Object("PictureClosed", &TCustomOutline::PictureClosed, &TCustomOutline::IsPictureStored)
            .Object("PictureLeaf", &TCustomOutline::PictureLeaf, &TCustomOutline::IsPictureStored)
            .Object("PictureOpen", &TCustomOutline::PictureOpen, &TCustomOutline::IsPictureStored)
            .Enum("ScrollBars", &TCustomOutline::ScrollBars, &TCustomOutline::SetScrollBars, ssBoth,
                  {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"})
            .Enum("Style", &TCustomOutline::Style, &TCustomOutline::SetStyle, osTreePictureText,
                  {"osOwnerDraw", "osPictureText", "osPlusPictureText", "osPlusText", "osText",
                   "osTreePictureText", "osTreeText"})
            .Build();
    return Info;
}

TCustomOutline::TCustomOutline(TComponent* AOwner)
    : TCustomControl(AOwner),
      FRoot(new TOutlineNode(this, nullptr, "", nullptr)),
      FPictureOpen(std::make_unique<TBitmap>()),
      FPictureClosed(std::make_unique<TBitmap>()),
      FPictureLeaf(std::make_unique<TBitmap>()) {
    FRoot->FExpanded = true;
    SetWidth(121);
    SetHeight(97);
    SetColor(clWindow);
    SetParentColor(false);
    SetTabStop(true);
    MakePictures();
}

TCustomOutline::~TCustomOutline() = default;

// Folder pictures in the system's own look; the bottom-left pixel is the transparent colour.
void TCustomOutline::MakePictures() {
    constexpr TColor Key = clFuchsia;
    auto Start = [&](TBitmap* B) {
        B->SetSize(16, 16);
        for (int Y = 0; Y < 16; ++Y)
            for (int X = 0; X < 16; ++X) B->SetPixel(X, Y, Key);
    };
    auto Fill = [](TBitmap* B, int L, int T, int R, int Bt, TColor C) {
        for (int Y = T; Y < Bt; ++Y)
            for (int X = L; X < R; ++X) B->SetPixel(X, Y, C);
    };
    auto Frame = [&](TBitmap* B, int L, int T, int R, int Bt, TColor C) {
        Fill(B, L, T, R, T + 1, C);
        Fill(B, L, Bt - 1, R, Bt, C);
        Fill(B, L, T, L + 1, Bt, C);
        Fill(B, R - 1, T, R, Bt, C);
    };

    TBitmap* Closed = FPictureClosed.get();
    Start(Closed);
    Fill(Closed, 2, 3, 7, 5, clYellow);  // tab
    Frame(Closed, 1, 2, 8, 5, clOlive);
    Fill(Closed, 2, 5, 14, 13, clYellow);
    Fill(Closed, 2, 5, 14, 6, clWhite);
    Frame(Closed, 1, 4, 15, 14, clOlive);

    TBitmap* Open = FPictureOpen.get();
    Start(Open);
    Fill(Open, 2, 3, 7, 5, clYellow);
    Frame(Open, 1, 2, 8, 5, clOlive);
    Fill(Open, 2, 5, 13, 13, clOlive);  // back of the folder, in shadow
    Frame(Open, 1, 4, 14, 14, clOlive);
    // The front flap leans to the right: a parallelogram from row 7 to row 13.
    for (int Y = 7; Y < 14; ++Y) {
        int Shift = (13 - Y) / 2;
        int L = 1 + Shift, R = 13 + Shift;
        Fill(Open, L, Y, std::min(R, 16), Y + 1, Y == 7 || Y == 13 ? clOlive : clYellow);
        Open->SetPixel(L, Y, clOlive);
        if (R - 1 < 16) Open->SetPixel(R - 1, Y, clOlive);
    }

    TBitmap* Leaf = FPictureLeaf.get();
    Start(Leaf);
    Fill(Leaf, 3, 1, 13, 15, clWhite);
    Frame(Leaf, 3, 1, 13, 15, clBlack);
    Fill(Leaf, 10, 1, 13, 4, Key);  // folded corner
    Fill(Leaf, 9, 1, 10, 5, clBlack);
    Fill(Leaf, 9, 4, 13, 5, clBlack);
    for (int I = 0; I < 4; ++I) Leaf->SetPixel(10 + I, 1 + I, clBlack);
    for (int Y = 7; Y <= 12; Y += 2) Fill(Leaf, 5, Y, 11, Y + 1, clGray);
}

TOutlineNode* TCustomOutline::Node(int Index) const {
    Reindex();
    if (Index < 0 || Index >= static_cast<int>(FFlat.size()))
        throw EOutlineError("Invalid outline index " + IntToStr(Index));
    return FFlat[Index];
}

TOutlineNode* TCustomOutline::Items(int Index) const {
    return Node(Index);
}

int TCustomOutline::ItemCount() const {
    Reindex();
    return static_cast<int>(FFlat.size()) - 1;
}

void TCustomOutline::Reindex() const {
    if (FIndexValid) return;
    FFlat.clear();
    std::vector<TOutlineNode*> Stack{FRoot.get()};
    while (!Stack.empty()) {
        TOutlineNode* N = Stack.back();
        Stack.pop_back();
        N->FIndex = static_cast<int>(FFlat.size());
        FFlat.push_back(N);
        for (auto It = N->FChildren.rbegin(); It != N->FChildren.rend(); ++It) Stack.push_back(It->get());
    }
    FIndexValid = true;
}

const std::vector<TOutlineNode*>& TCustomOutline::Rows() const {
    if (FRowsValid) return FRows;
    FRows.clear();
    std::vector<TOutlineNode*> Stack;
    for (auto It = FRoot->FChildren.rbegin(); It != FRoot->FChildren.rend(); ++It) Stack.push_back(It->get());
    while (!Stack.empty()) {
        TOutlineNode* N = Stack.back();
        Stack.pop_back();
        FRows.push_back(N);
        if (N->FExpanded)
            for (auto It = N->FChildren.rbegin(); It != N->FChildren.rend(); ++It) Stack.push_back(It->get());
    }
    FRowsValid = true;
    return FRows;
}

int TCustomOutline::RowOf(const TOutlineNode* N) const {
    const auto& R = Rows();
    auto It = std::find(R.begin(), R.end(), N);
    return It == R.end() ? -1 : static_cast<int>(It - R.begin());
}

void TCustomOutline::Changed() {
    FIndexValid = false;
    FRowsValid = false;
    FRowsWidth = -1;
    Invalidate();
}

int TCustomOutline::NewItem(TOutlineNode* Parent, int Pos, const AnsiString& Text, void* Data) {
    auto& Kids = Parent->FChildren;
    Kids.insert(Kids.begin() + Pos,
                std::unique_ptr<TOutlineNode>(new TOutlineNode(this, Parent, Text, Data)));
    for (size_t I = Pos; I < Kids.size(); ++I) Kids[I]->FPos = static_cast<int>(I);
    TOutlineNode* N = Kids[Pos].get();
    Changed();
    return N->Index();
}

std::vector<TOutlineNode*> TCustomOutline::InsertChildren(
    int Index, const std::vector<std::pair<int, AnsiString>>& Texts) {
    TOutlineNode* P = Node(Index);
    auto& Kids = P->FChildren;
    std::vector<std::unique_ptr<TOutlineNode>> Merged;
    Merged.reserve(Kids.size() + Texts.size());
    std::vector<TOutlineNode*> Added;
    Added.reserve(Texts.size());
    size_t K = 0;
    for (const auto& [Pos, Text] : Texts) {
        const size_t At = static_cast<size_t>(
            std::clamp<int64_t>(Pos, static_cast<int64_t>(K), static_cast<int64_t>(Kids.size())));
        while (K < At) Merged.push_back(std::move(Kids[K++]));
        Merged.emplace_back(new TOutlineNode(this, P, Text, nullptr));
        Added.push_back(Merged.back().get());
    }
    while (K < Kids.size()) Merged.push_back(std::move(Kids[K++]));
    Kids = std::move(Merged);
    for (size_t I = 0; I < Kids.size(); ++I) Kids[I]->FPos = static_cast<int>(I);
    Changed();
    return Added;
}

void TCustomOutline::Clear() {
    FSelected = nullptr;
    FRoot->FChildren.clear();
    FTopRow = 0;
    FLeftOffset = 0;
    Changed();
}

int TCustomOutline::AddChild(int Index, const AnsiString& Text) {
    return AddChildObject(Index, Text, nullptr);
}

int TCustomOutline::AddChildObject(int Index, const AnsiString& Text, void* Data) {
    TOutlineNode* P = Node(Index);
    return NewItem(P, static_cast<int>(P->FChildren.size()), Text, Data);
}

int TCustomOutline::Add(int Index, const AnsiString& Text) {
    return AddObject(Index, Text, nullptr);
}

int TCustomOutline::AddObject(int Index, const AnsiString& Text, void* Data) {
    TOutlineNode* N = Node(Index);
    TOutlineNode* P = N->FParent ? N->FParent : N;
    return NewItem(P, static_cast<int>(P->FChildren.size()), Text, Data);
}

int TCustomOutline::Insert(int Index, const AnsiString& Text) {
    return InsertObject(Index, Text, nullptr);
}

int TCustomOutline::InsertObject(int Index, const AnsiString& Text, void* Data) {
    TOutlineNode* N = Node(Index);
    if (!N->FParent) return NewItem(N, static_cast<int>(N->FChildren.size()), Text, Data);
    return NewItem(N->FParent, N->FPos, Text, Data);
}

void TCustomOutline::FullExpand() {
    FRoot->FullExpand();
}
void TCustomOutline::FullCollapse() {
    FRoot->FullCollapse();
}

void TCustomOutline::NodeExpanding(TOutlineNode* N) {
    Expand(N->Index());
    N->FExpanded = true;
    Changed();
}

void TCustomOutline::NodeCollapsed(TOutlineNode* N) {
    N->FExpanded = false;
    for (TOutlineNode* S = FSelected; S; S = S->FParent)
        if (S->FParent == N) {
            FSelected = N;
            break;
        }
    Changed();
    Collapse(N->Index());
}

void TCustomOutline::Expand(int Index) {
    if (OnExpand) OnExpand(this, Index);
}

void TCustomOutline::Collapse(int Index) {
    if (OnCollapse) OnCollapse(this, Index);
}

int TCustomOutline::SelectedItem() const {
    return FSelected ? FSelected->Index() : 0;
}

void TCustomOutline::SetSelectedItem(int Index) {
    TOutlineNode* N = Index == 0 ? nullptr : Node(Index);
    if (N == FSelected) return;
    if (N) {
        std::vector<TOutlineNode*> Closed;
        for (TOutlineNode* A = N->FParent; A && A->FParent; A = A->FParent) Closed.push_back(A);
        for (auto It = Closed.rbegin(); It != Closed.rend(); ++It) (*It)->SetExpanded(true);
    }
    FSelected = N;
    ScrollInView(N);
    Invalidate();
}

void TCustomOutline::SetItemSeparator(const AnsiString& V) {
    FItemSeparator = V;
}

void TCustomOutline::SetStyle(TOutlineStyle V) {
    if (V == FStyle) return;
    FStyle = V;
    FRowsWidth = -1;
    Invalidate();
}

void TCustomOutline::SetOptions(TOutlineOptions V) {
    if (V == FOptions) return;
    FOptions = V;
    FRowsWidth = -1;
    Invalidate();
}

void TCustomOutline::SetPictureOpen(TBitmap* V) {
    if (V == FPictureOpen.get()) return;
    if (V)
        FPictureOpen->Assign(*V);
    else
        FPictureOpen->SetSize(0, 0);
    FRowsWidth = -1;
    Invalidate();
}

void TCustomOutline::SetPictureClosed(TBitmap* V) {
    if (V == FPictureClosed.get()) return;
    if (V)
        FPictureClosed->Assign(*V);
    else
        FPictureClosed->SetSize(0, 0);
    FRowsWidth = -1;
    Invalidate();
}

void TCustomOutline::SetPictureLeaf(TBitmap* V) {
    if (V == FPictureLeaf.get()) return;
    if (V)
        FPictureLeaf->Assign(*V);
    else
        FPictureLeaf->SetSize(0, 0);
    FRowsWidth = -1;
    Invalidate();
}

void TCustomOutline::SetItemHeight(int V) {
    if (V == FItemHeight || V < 1) return;
    FItemHeight = V;
    FRowsWidth = -1;
    Invalidate();
}

void TCustomOutline::SetScrollBars(TScrollStyle V) {
    if (V == FScrollBars) return;
    FScrollBars = V;
    Invalidate();
}

void TCustomOutline::SetBorderStyle(TFormBorderStyle V) {
    if (V == FBorderStyle || (V != bsNone && V != bsSingle)) return;
    FBorderStyle = V;
    BoundsChanged();  // the frame's width changes the client area
}

// ---- geometry --------------------------------------------------------------------------------

struct TCustomOutline::TBar {
    bool Shown = false, Vertical = true;
    TRect R;
    int Arrow = 0, ThumbStart = 0, ThumbLength = 0;
    int Pos = 0, Max = 0, Page = 1, Step = 1;
};

void TCustomOutline::ShownBars(bool& Vert, bool& Horz) const {
    const bool VAllowed = FScrollBars == ssVertical || FScrollBars == ssBoth;
    const bool HAllowed = FScrollBars == ssHorizontal || FScrollBars == ssBoth;
    const int W = std::max(0, ClientWidth()), H = std::max(0, ClientHeight());
    const int64_t Tall = static_cast<int64_t>(Rows().size()) * FItemHeight;
    Vert = VAllowed && Tall > H;
    Horz = HAllowed && RowsWidth() > W - (Vert ? kScrollBarWidth : 0);
    if (Horz && !Vert) Vert = VAllowed && Tall > H - kScrollBarWidth;
}

TRect TCustomOutline::ContentRect() const {
    TRect R{0, 0, std::max(0, ClientWidth()), std::max(0, ClientHeight())};
    bool Vert, Horz;
    ShownBars(Vert, Horz);
    if (Vert) R.Right = std::max(0, R.Right - kScrollBarWidth);
    if (Horz) R.Bottom = std::max(0, R.Bottom - kScrollBarWidth);
    return R;
}

int TCustomOutline::TextLeft(const TOutlineNode* N) const {
    int X = (FStyle == osOwnerDraw ? N->Level() - 1 : ButtonColumns(N)) * Indent();
    if (HasPictures(FStyle)) {
        const TBitmap* Pic = !N->HasItems() ? PictureLeaf() : N->Expanded() ? PictureOpen() : PictureClosed();
        if (Pic->Width() > 0 && Pic->Height() > 0)
            X += FOptions & ooStretchBitmaps ? std::max(1, Pic->Width() * FItemHeight / Pic->Height())
                                             : Pic->Width();
    }
    return X + 2;
}

// Measured once for every change of the rows, their texts or how they are drawn.
int TCustomOutline::RowsWidth() const {
    if (FRowsWidth >= 0) return FRowsWidth;
    TCanvas* C = const_cast<TCustomOutline*>(this)->Canvas();
    C->SetFont(*Font());
    int W = 0;
    for (const TOutlineNode* N : Rows()) W = std::max(W, TextLeft(N) + C->TextWidth(N->Text()) + 4);
    return FRowsWidth = W;
}

TCustomOutline::TBar TCustomOutline::Bar(bool Vertical) const {
    TBar B;
    B.Vertical = Vertical;
    bool Vert, Horz;
    ShownBars(Vert, Horz);
    B.Shown = Vertical ? Vert : Horz;
    const int W = std::max(0, ClientWidth()), H = std::max(0, ClientHeight());
    int Total;
    if (Vertical) {
        B.R = {std::max(0, W - kScrollBarWidth), 0, W, std::max(0, H - (Horz ? kScrollBarWidth : 0))};
        B.Pos = Top();
        B.Max = MaxTopRow();
        B.Page = PageRowCount();
        Total = VisibleRowCount();
    } else {
        B.R = {0, std::max(0, H - kScrollBarWidth), std::max(0, W - (Vert ? kScrollBarWidth : 0)), H};
        B.Pos = LeftOffset();
        B.Max = MaxLeftOffset();
        B.Page = std::max(1, ContentRect().Width());
        B.Step = Indent();
        Total = RowsWidth();
    }
    const int Length = Vertical ? B.R.Height() : B.R.Width();
    B.Arrow = std::min(kScrollBarWidth, Length / 2);
    const int Track = std::max(0, Length - 2 * B.Arrow);
    B.ThumbLength = std::min(Track, std::max(kMinThumb, static_cast<int>(static_cast<int64_t>(Track) *
                                                                         B.Page / std::max(1, Total))));
    B.ThumbStart =
        (Vertical ? B.R.Top : B.R.Left) + B.Arrow +
        (B.Max > 0 ? static_cast<int>(static_cast<int64_t>(Track - B.ThumbLength) * B.Pos / B.Max) : 0);
    return B;
}

void TCustomOutline::SetBarPos(bool Vertical, int V) {
    if (Vertical)
        SetTopRow(V);
    else
        SetLeftOffset(V);
}

int TCustomOutline::MaxLeftOffset() const {
    if (FScrollBars != ssHorizontal && FScrollBars != ssBoth) return 0;
    return std::max(0, RowsWidth() - ContentRect().Width());
}

int TCustomOutline::LeftOffset() const {
    return std::clamp(FLeftOffset, 0, MaxLeftOffset());
}

void TCustomOutline::SetLeftOffset(int V) {
    V = std::clamp(V, 0, MaxLeftOffset());
    if (V == FLeftOffset) return;
    FLeftOffset = V;
    Invalidate();
}

int TCustomOutline::PageRowCount() const {
    return std::max(1, ContentRect().Height() / FItemHeight);
}
int TCustomOutline::VisibleRowCount() const {
    return static_cast<int>(Rows().size());
}
int TCustomOutline::MaxTopRow() const {
    return std::max(0, VisibleRowCount() - PageRowCount());
}
int TCustomOutline::Top() const {
    return std::clamp(FTopRow, 0, MaxTopRow());
}

void TCustomOutline::SetTopRow(int V) {
    V = std::clamp(V, 0, MaxTopRow());
    if (V == FTopRow) return;
    FTopRow = V;
    Invalidate();
}

void TCustomOutline::ScrollInView(const TOutlineNode* N) {
    FTopRow = Top();
    int Row = N ? RowOf(N) : -1;
    if (Row < 0) return;
    if (Row < FTopRow)
        SetTopRow(Row);
    else if (Row >= FTopRow + PageRowCount())
        SetTopRow(Row - PageRowCount() + 1);
}

int TCustomOutline::Indent() const {
    return std::max(FItemHeight, 8);
}

int TCustomOutline::ButtonColumns(const TOutlineNode* N) const {
    int L = N->Level();
    if (IsTreeStyle(FStyle)) return FOptions & ooDrawTreeRoot ? L : L - 1;
    if (IsPlusStyle(FStyle)) return L;
    return L - 1;
}

TRect TCustomOutline::ButtonRect(const TOutlineNode* N, int Row) const {
    int Cols = ButtonColumns(N);
    if (Cols < 1 || !(IsTreeStyle(FStyle) || IsPlusStyle(FStyle))) return {};
    TRect C = ContentRect();
    int Left = C.Left - LeftOffset() + (Cols - 1) * Indent();
    int Y = C.Top + (Row - Top()) * FItemHeight;
    return {Left, Y, Left + Indent(), Y + FItemHeight};
}

int TCustomOutline::GetItem(int X, int Y) const {
    TRect C = ContentRect();
    if (!Contains(C, X, Y)) return -1;
    int Row = Top() + (Y - C.Top) / FItemHeight;
    const auto& R = Rows();
    return Row < static_cast<int>(R.size()) ? R[Row]->Index() : -1;
}

// ---- painting --------------------------------------------------------------------------------

void TCustomOutline::Paint() {
    TCanvas* C = Canvas();
    FTopRow = Top();
    FLeftOffset = LeftOffset();
    TRect Client{0, 0, ClientWidth(), ClientHeight()};
    C->ResetClipRect();
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(Client);
    TRect Content = ContentRect();
    C->SetClipRect(Content);
    C->SetFont(*Font());
    const auto& R = Rows();
    int Last = std::min(static_cast<int>(R.size()), FTopRow + PageRowCount() + 1);
    for (int Row = FTopRow; Row < Last; ++Row) DrawRow(C, R[Row], Row, Content);
    C->ResetClipRect();
    for (bool Vertical : {true, false})
        if (TBar B = Bar(Vertical); B.Shown) DrawScrollBar(C, B);
}

void TCustomOutline::DrawRow(TCanvas* C, TOutlineNode* N, int Row, const TRect& Content) {
    int Y = Content.Top + (Row - FTopRow) * FItemHeight;
    TRect RowRect{Content.Left, Y, Content.Right, Y + FItemHeight};
    TOutlineItemState State = 0;
    if (N == FSelected) State = oisSelected | (Focused() ? oisFocused : 0u);
    int Ind = Indent();
    const int Left = Content.Left - FLeftOffset;
    auto HasNextSibling = [](const TOutlineNode* M) {
        return M->FParent && M->FPos + 1 < static_cast<int>(M->FParent->FChildren.size());
    };
    if (FStyle == osOwnerDraw && OnDrawItem) {
        OnDrawItem(this, N->Index(), RowRect, State);
        return;
    }
    int Cols = FStyle == osOwnerDraw ? N->Level() - 1 : ButtonColumns(N);
    int CY = Y + FItemHeight / 2;
    if (IsTreeStyle(FStyle) && Cols >= 1) {
        // Lines of the ancestors that have more children below this row.
        const TOutlineNode* A = N->Parent();
        for (int J = Cols - 2; J >= 0 && A && A->Parent(); --J, A = A->Parent())
            if (HasNextSibling(A)) DrawDottedV(Left + J * Ind + Ind / 2, Y, Y + FItemHeight, Content);
        int CX = Left + (Cols - 1) * Ind + Ind / 2;
        bool FirstOfAll = N->Parent() == FRoot.get() && N->FPos == 0;
        if (!FirstOfAll) DrawDottedV(CX, Y, CY, Content);
        if (HasNextSibling(N)) DrawDottedV(CX, CY, Y + FItemHeight, Content);
        DrawDottedH(CX, Left + Cols * Ind, CY, Content);
    }
    if ((IsTreeStyle(FStyle) || IsPlusStyle(FStyle)) && Cols >= 1 && N->HasItems()) {
        int CX = Left + (Cols - 1) * Ind + Ind / 2;
        TRect Box{CX - 4, CY - 4, CX + 5, CY + 5};
        C->Pen()->SetColor(clGray);
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(clWindow);
        C->Rectangle(Box);
        C->Pen()->SetColor(clBlack);
        C->MoveTo(CX - 2, CY);
        C->LineTo(CX + 3, CY);
        if (!N->Expanded()) {
            C->MoveTo(CX, CY - 2);
            C->LineTo(CX, CY + 3);
        }
    }
    int X = Left + Cols * Ind;
    if (HasPictures(FStyle)) {
        TBitmap* Pic = !N->HasItems() ? PictureLeaf() : N->Expanded() ? PictureOpen() : PictureClosed();
        if (Pic->Width() > 0 && Pic->Height() > 0) {
            TRect Dest;
            if (FOptions & ooStretchBitmaps) {
                int W = std::max(1, Pic->Width() * FItemHeight / Pic->Height());
                Dest = {X, Y, X + W, Y + FItemHeight};
            } else {
                int PY = Y + (FItemHeight - Pic->Height()) / 2;
                Dest = {X, PY, X + Pic->Width(), PY + Pic->Height()};
            }
            DrawPicture(Pic, Dest, Content);
            X = Dest.Right;
        }
    }
    X += 2;
    C->SetFont(*Font());
    int TW = C->TextWidth(N->Text());
    TRect TextRect{X, Y, X + TW + 4, Y + FItemHeight};
    if (State & oisSelected) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(clHighlight);
        C->FillRect(TextRect);
        C->Font()->SetColor(clHighlightText);
    }
    C->Brush()->SetStyle(bsClear);
    C->SetBkMode(TRANSPARENT);
    C->TextOut(X + 2, Y + (FItemHeight - C->TextHeight(N->Text())) / 2, N->Text());
    C->Brush()->SetStyle(bsSolid);
    C->SetBkMode(OPAQUE);
    if ((State & oisFocused) && (FOptions & ooDrawFocusRect)) C->DrawFocusRect(TextRect);
}

void TCustomOutline::DrawPicture(TBitmap* Pic, const TRect& Dest, const TRect& Clip) {
    TBitmap* S = Surface();
    if (!S) return;
    TColor Transparent = Pic->Pixel(0, Pic->Height() - 1);
    int L = std::max({Dest.Left, Clip.Left, 0}), T = std::max({Dest.Top, Clip.Top, 0});
    int R = std::min({Dest.Right, Clip.Right, S->Width()}),
        B = std::min({Dest.Bottom, Clip.Bottom, S->Height()});
    for (int Y = T; Y < B; ++Y) {
        int SY = (Y - Dest.Top) * Pic->Height() / Dest.Height();
        for (int X = L; X < R; ++X) {
            TColor P = Pic->Pixel((X - Dest.Left) * Pic->Width() / Dest.Width(), SY);
            if (P != Transparent) S->SetPixel(X, Y, P);
        }
    }
}

// Tree lines are dotted on even pixels, so lines of neighbouring rows join without a seam.
void TCustomOutline::DrawDottedV(int X, int Y1, int Y2, const TRect& Clip) {
    TBitmap* S = Surface();
    if (!S || X < std::max(0, Clip.Left) || X >= std::min(Clip.Right, S->Width())) return;
    TColor C = ColorToRGB(kLineColor);
    for (int Y = std::max({Y1, Clip.Top, 0}); Y < std::min({Y2, Clip.Bottom, S->Height()}); ++Y)
        if ((X + Y) % 2 == 0) S->SetPixel(X, Y, C);
}

void TCustomOutline::DrawDottedH(int X1, int X2, int Y, const TRect& Clip) {
    TBitmap* S = Surface();
    if (!S || Y < std::max(0, Clip.Top) || Y >= std::min(Clip.Bottom, S->Height())) return;
    TColor C = ColorToRGB(kLineColor);
    for (int X = std::max({X1, Clip.Left, 0}); X < std::min({X2, Clip.Right, S->Width()}); ++X)
        if ((X + Y) % 2 == 0) S->SetPixel(X, Y, C);
}

void TCustomOutline::DrawScrollBar(TCanvas* C, const TBar& B) {
    const TRect& R = B.R;
    C->Brush()->SetStyle(bsSolid);
    C->Brush()->SetColor(clScrollBar);
    C->FillRect(R);
    auto Button = [&](TRect Face) {
        C->Brush()->SetColor(clBtnFace);
        C->FillRect(Face);
        Frame3D(C, Face, clBtnHighlight, cl3DDkShadow, 1);
        Frame3D(C, Face, cl3DLight, clBtnShadow, 1);
    };
    // Points up or left for Dir 1, down or right for Dir -1.
    auto Triangle = [&](int CX, int CY, int Dir) {
        C->Pen()->SetColor(clBtnText);
        for (int I = 0; I < 4; ++I) {
            int At = Dir * (I - 2);
            if (B.Vertical) {
                C->MoveTo(CX - I, CY + At);
                C->LineTo(CX + I + 1, CY + At);
            } else {
                C->MoveTo(CX + At, CY - I);
                C->LineTo(CX + At, CY + I + 1);
            }
        }
    };
    const TRect First = B.Vertical ? TRect{R.Left, R.Top, R.Right, R.Top + B.Arrow}
                                   : TRect{R.Left, R.Top, R.Left + B.Arrow, R.Bottom};
    const TRect Last = B.Vertical ? TRect{R.Left, R.Bottom - B.Arrow, R.Right, R.Bottom}
                                  : TRect{R.Right - B.Arrow, R.Top, R.Right, R.Bottom};
    Button(First);
    Button(Last);
    Triangle((First.Left + First.Right) / 2, (First.Top + First.Bottom) / 2, 1);
    Triangle((Last.Left + Last.Right) / 2, (Last.Top + Last.Bottom) / 2, -1);
    if (B.ThumbLength > 0)
        Button(B.Vertical ? TRect{R.Left, B.ThumbStart, R.Right, B.ThumbStart + B.ThumbLength}
                          : TRect{B.ThumbStart, R.Top, B.ThumbStart + B.ThumbLength, R.Bottom});
    if (!B.Vertical && R.Right < ClientWidth()) {  // the corner where both bars meet
        C->Brush()->SetColor(clBtnFace);
        C->FillRect({R.Right, R.Top, ClientWidth(), R.Bottom});
    }
}

void TCustomOutline::BoundsChanged() {
    TCustomControl::BoundsChanged();
    Invalidate();
}

void TCustomOutline::FontChanged() {
    TCustomControl::FontChanged();
    FRowsWidth = -1;
    Invalidate();
}

void TCustomOutline::ColorChanged() {
    TCustomControl::ColorChanged();
    Invalidate();
}

// ---- input -----------------------------------------------------------------------------------

void TCustomOutline::SelectRow(int Row) {
    const auto& R = Rows();
    if (R.empty()) return;
    TOutlineNode* N = R[std::clamp(Row, 0, static_cast<int>(R.size()) - 1)];
    if (N == FSelected) return;
    FSelected = N;
    ScrollInView(N);
    Invalidate();
    Click();
}

void TCustomOutline::Click() {
    TCustomControl::Click();
}

void TCustomOutline::DblClick() {
    if (FSelected && FDownOnItem) FSelected->SetExpanded(!FSelected->Expanded());
    TCustomControl::DblClick();
}

void TCustomOutline::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
        return;
    }
    TCustomControl::Dispatch(Message);
    if (Message.Msg == WM_SETFOCUS || Message.Msg == WM_KILLFOCUS) Invalidate();
}

void TCustomOutline::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (CanFocus() && !Focused()) SetFocus();
    FDownOnItem = false;
    if (Button == mbLeft) {
        bool OnBar = false;
        for (bool Vertical : {true, false}) {
            const TBar B = Bar(Vertical);
            if (!B.Shown || !Contains(B.R, X, Y)) continue;
            OnBar = true;
            const int P = Vertical ? Y : X, End = Vertical ? B.R.Bottom : B.R.Right;
            if (P < (Vertical ? B.R.Top : B.R.Left) + B.Arrow)
                SetBarPos(Vertical, B.Pos - B.Step);
            else if (P >= End - B.Arrow)
                SetBarPos(Vertical, B.Pos + B.Step);
            else if (P < B.ThumbStart)
                SetBarPos(Vertical, B.Pos - B.Page);
            else if (P >= B.ThumbStart + B.ThumbLength)
                SetBarPos(Vertical, B.Pos + B.Page);
            else {
                FThumbGrab = P - B.ThumbStart;
                FThumbVertical = Vertical;
            }
        }
        if (OnBar) {
        } else if (int Index = GetItem(X, Y); Index > 0) {
            TOutlineNode* N = Node(Index);
            FDownOnItem = true;
            if (!(Shift & ssDouble) && N->HasItems() && Contains(ButtonRect(N, RowOf(N)), X, Y))
                N->SetExpanded(!N->Expanded());
            if (N != FSelected) {
                FSelected = N;
                ScrollInView(N);
                Invalidate();
            }
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomOutline::MouseMove(TShiftState Shift, int X, int Y) {
    if (FThumbGrab >= 0) {
        const TBar B = Bar(FThumbVertical);
        const int Room = (FThumbVertical ? B.R.Height() : B.R.Width()) - 2 * B.Arrow - B.ThumbLength;
        const int P = FThumbVertical ? Y - B.R.Top : X - B.R.Left;
        if (Room > 0)
            SetBarPos(
                FThumbVertical,
                static_cast<int>((static_cast<int64_t>(P - FThumbGrab - B.Arrow) * B.Max + Room / 2) / Room));
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomOutline::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FThumbGrab = -1;
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomOutline::KeyDown(uint16_t& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    int Row = FSelected ? RowOf(FSelected) : -1;
    switch (Key) {
        case VK_UP:
            SelectRow(Row < 0 ? 0 : Row - 1);
            break;
        case VK_DOWN:
            SelectRow(Row + 1);
            break;
        case VK_HOME:
            SelectRow(0);
            break;
        case VK_END:
            SelectRow(VisibleRowCount() - 1);
            break;
        case VK_PRIOR:
            SelectRow(Row - PageRowCount());
            break;
        case VK_NEXT:
            SelectRow(Row + PageRowCount());
            break;
        case VK_LEFT:
            if (!FSelected) break;
            if (FSelected->Expanded() && FSelected->HasItems())
                FSelected->SetExpanded(false);
            else if (FSelected->Parent() != FRoot.get())
                SelectRow(RowOf(FSelected->Parent()));
            break;
        case VK_RIGHT:
            if (!FSelected) break;
            if (!FSelected->Expanded())
                FSelected->SetExpanded(true);
            else if (FSelected->HasItems())
                SelectRow(RowOf(FSelected->FChildren.front().get()));
            break;
        default:
            break;
    }
}

void TCustomOutline::KeyPress(char& Key) {
    TCustomControl::KeyPress(Key);
    if (!FSelected) return;
    if (Key == '+') FSelected->SetExpanded(true);
    if (Key == '-') FSelected->SetExpanded(false);
}
