#include "platform/dbctrls/DBGrids.h"

#include <algorithm>

namespace {
const std::vector<AnsiString> AlignmentNames = {"taLeftJustify", "taRightJustify", "taCenter"};
const std::vector<AnsiString> DBGridOptionNames = {
    "dgEditing",       "dgAlwaysShowEditor", "dgTitles",     "dgIndicator", "dgColumnResize",
    "dgColLines",      "dgRowLines",         "dgTabs",       "dgRowSelect", "dgAlwaysShowSelection",
    "dgConfirmDelete", "dgCancelOnExit",     "dgMultiSelect"};
constexpr int IndicatorWidth = 11;
}  // namespace

// ---- titles and columns

const TClassInfo& TColumnTitle::StaticClassInfo() {
    using C = TColumnTitle;
    static const TClassInfo Info =
        TClassBuilder<C>("TColumnTitle", &TPersistent::StaticClassInfo())
            .Enum("Alignment", &C::Alignment, &C::SetAlignment, taLeftJustify, AlignmentNames)
            .Str("Caption", &C::Caption, &C::SetCaption, "", &C::CaptionStored)
            .Object("Font", &C::Font)
            .Build();
    return Info;
}

TColumnTitle::TColumnTitle(TColumn* Column) : FColumn(Column), FFont(std::make_unique<TFont>()) {
    FFont->OnChange = [this] { FColumn->Changed(); };
}

AnsiString TColumnTitle::Caption() const {
    if (!FCaption.empty()) return FCaption;
    if (TField* F = FColumn->Field()) return F->DisplayLabel();
    return FColumn->FieldName();
}

void TColumnTitle::SetCaption(const AnsiString& Value) {
    if (Value == FCaption) return;
    FCaption = Value;
    FColumn->Changed();
}

void TColumnTitle::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    FColumn->Changed();
}

const TClassInfo& TColumn::StaticClassInfo() {
    using C = TColumn;
    static const TClassInfo Info = TClassBuilder<C>("TColumn", &TCollectionItem::StaticClassInfo())
                                       .Enum("Alignment", &C::Alignment, &C::SetAlignment, taLeftJustify,
                                             AlignmentNames, &C::AlignmentStored)
                                       .Str("FieldName", &C::FieldName, &C::SetFieldName)
                                       .Object("Title", &C::Title)
                                       .Int("Width", &C::Width, &C::SetWidth, 64, "", &C::WidthStored)
                                       .Bool("Visible", &C::Visible, &C::SetVisible, true)
                                       .Build();
    return Info;
}

TColumn::TColumn() : FTitle(std::make_unique<TColumnTitle>(this)) {}
TColumn::~TColumn() = default;

TDBGrid* TColumn::Grid() const {
    return FColumns ? FColumns->Grid() : nullptr;
}

TField* TColumn::Field() const {
    TDBGrid* G = Grid();
    TDataSet* Ds = G && G->DataSource() ? G->DataSource()->DataSet() : nullptr;
    return Ds && !FFieldName.empty() ? Ds->FindField(FFieldName) : nullptr;
}

void TColumn::Changed() {
    if (TDBGrid* G = Grid()) G->LayoutChanged();
}

void TColumn::SetFieldName(const AnsiString& Value) {
    if (Value == FFieldName) return;
    FFieldName = Value;
    Changed();
}

int TColumn::Width() const {
    if (FWidth >= 0) return FWidth;
    TDBGrid* G = Grid();
    TField* F = Field();
    if (!G || !F) return 64;
    G->Canvas()->SetFont(*G->Font());
    return std::min(F->DisplayWidth(), 40) * G->Canvas()->TextWidth("0") + 4;
}

void TColumn::SetWidth(int Value) {
    if (Value == FWidth) return;
    FWidth = Value;
    Changed();
}

TAlignment TColumn::Alignment() const {
    if (FAlignmentSet) return FAlignment;
    if (TField* F = Field()) return F->Alignment();
    return taLeftJustify;
}

void TColumn::SetAlignment(TAlignment Value) {
    if (FAlignmentSet && Value == FAlignment) return;
    FAlignment = Value;
    FAlignmentSet = true;
    Changed();
}

void TColumn::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    Changed();
}

TCollectionItem* TDBGridColumns::NewItem() {
    auto* C = new TColumn();
    C->FColumns = this;
    return C;
}

// ---- the data link

class TDBGrid::TGridDataLink : public TDataLink {
  public:
    explicit TGridDataLink(TDBGrid* Grid) : FGrid(Grid) {}

  protected:
    void ActiveChanged() override { FGrid->LayoutChanged(); }
    void DataSetChanged() override { FGrid->LayoutChanged(); }
    void DataSetScrolled(int) override { FGrid->SyncRow(); }
    void RecordChanged(TField*) override { FGrid->Invalidate(); }
    void EditingChanged() override { FGrid->Invalidate(); }

  private:
    TDBGrid* FGrid;
};

// ---- the grid

const TClassInfo& TDBGrid::StaticClassInfo() {
    using C = TDBGrid;
    static const TClassInfo Info =
        TClassBuilder<C>("TDBGrid", &TCustomGrid::StaticClassInfo())
            .Creatable()
            .Inherit({"Tag", "Left", "Top", "Width", "Height", "Cursor", "Hint", "Align", "Anchors", "Color"})
            .Items("Columns", &C::ColumnsItems)
            .Ref<TDataSource>("DataSource", &C::DataSource, &C::SetDataSource)
            .Inherit({"Enabled", "FixedColor", "Font"})
            .Set("Options", &C::Options, &C::SetOptions, DefaultDBGridOptions, DBGridOptionNames)
            .Inherit({"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu"})
            .Bool("ReadOnly", &C::ReadOnly, &C::SetReadOnly, false)
            .Inherit({"ShowHint", "TabOrder", "TabStop"})
            .Object("TitleFont", &C::TitleFont)
            .Inherit({"Visible"})
            .Event("OnCellClick", &C::OnCellClick)
            .Inherit({"OnClick", "OnDblClick", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"})
            .Build();
    return Info;
}

TDBGrid::TDBGrid(TComponent* AOwner)
    : TCustomGrid(AOwner),
      FDataLink(std::make_unique<TGridDataLink>(this)),
      FColumns(std::make_unique<TDBGridColumns>(this)),
      FDefaultColumns(std::make_unique<TDBGridColumns>(this)),
      FTitleFont(std::make_unique<TFont>()) {
    FColumns->OnChange = [this] { LayoutChanged(); };
    FTitleFont->OnChange = [this] { Invalidate(); };
    SetScrollBars(ssVertical);
    // A grid read from a form description is laid out once it has been read (Loaded), in the
    // font it was given rather than the default one.
    if (!AOwner || !AOwner->Loading()) LayoutChanged();
}

TDBGrid::~TDBGrid() {
    FColumns->OnChange = nullptr;
    FDataLink->SetDataSource(nullptr);
}

TDataSource* TDBGrid::DataSource() const {
    return FDataLink->DataSource();
}

void TDBGrid::SetDataSource(TDataSource* Value) {
    if (Value == DataSource()) return;
    FDataLink->SetDataSource(Value);
    LayoutChanged();
}

void TDBGrid::SetOptions(TDBGridOptions Value) {
    if (Value == FOptions) return;
    FOptions = Value;
    LayoutChanged();
}

void TDBGrid::Loaded() {
    TCustomGrid::Loaded();
    LayoutChanged();
}

void TDBGrid::FontChanged() {
    TCustomGrid::FontChanged();
    LayoutChanged();
}

bool TDBGrid::HasRows() const {
    TDataSet* Ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    return Ds && Ds->RecordCount() > 0;
}

int TDBGrid::ShownColumnCount() const {
    const TDBGridColumns* Cols = FColumns->Count() > 0 ? FColumns.get() : FDefaultColumns.get();
    int N = 0;
    for (int I = 0; I < Cols->Count(); ++I) N += Cols->Items(I)->Visible() ? 1 : 0;
    return N;
}

TColumn* TDBGrid::ShownColumn(int Index) const {
    const TDBGridColumns* Cols = FColumns->Count() > 0 ? FColumns.get() : FDefaultColumns.get();
    for (int I = 0; I < Cols->Count(); ++I)
        if (Cols->Items(I)->Visible() && Index-- == 0) return Cols->Items(I);
    return nullptr;
}

TColumn* TDBGrid::ColumnAt(int ACol) const {
    return ShownColumn(ACol - IndicatorOffset());
}

int TDBGrid::RecordRow(int Record) const {
    return TitleOffset() + Record;
}

void TDBGrid::LayoutChanged() {
    if (FInLayout || Loading()) return;
    FInLayout = true;
    TDataSet* Ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    // Without declared columns the grid shows the visible fields, as they are now.
    FDefaultColumns->Clear();
    if (FColumns->Count() == 0 && Ds)
        for (int I = 0; I < Ds->FieldCount(); ++I)
            if (Ds->Fields()->Fields(I)->Visible())
                FDefaultColumns->AddColumn()->SetFieldName(Ds->Fields()->Fields(I)->FieldName());

    TGridOptions G = goFixedVertLine | goFixedHorzLine;
    if (FOptions & dgColLines) G |= goVertLine;
    if (FOptions & dgRowLines) G |= goHorzLine;
    if (FOptions & dgRowSelect) G |= goRowSelect | goDrawFocusSelected;
    if (FOptions & dgTabs) G |= goTabs;
    TCustomGrid::SetOptions(G);

    Canvas()->SetFont(*Font());
    SetDefaultRowHeight(Canvas()->TextHeight("Wg") + 4);
    int Cols = IndicatorOffset() + std::max(1, ShownColumnCount());
    int Rows = TitleOffset() + std::max(1, Ds ? Ds->RecordCount() : 0);
    SetColCount(std::max(Cols, FixedCols() + 1));
    SetRowCount(std::max(Rows, FixedRows() + 1));
    SetFixedCols(IndicatorOffset());
    SetFixedRows(TitleOffset());
    SetColCount(Cols);
    SetRowCount(Rows);
    if (FOptions & dgIndicator) SetColWidths(0, IndicatorWidth);
    for (int I = 0; I < ShownColumnCount(); ++I) SetColWidths(IndicatorOffset() + I, ShownColumn(I)->Width());
    FInLayout = false;
    SyncRow();
    Invalidate();
}

// The grid's current row follows the data set's; a move made here must not move the data set back.
void TDBGrid::SyncRow() {
    if (FInLayout || Loading()) return;
    TDataSet* Ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    int Row = RecordRow(Ds && Ds->RecNo() > 0 ? Ds->RecNo() - 1 : 0);
    if (Row >= RowCount()) return;
    bool Was = FSyncing;
    FSyncing = true;
    MoveColRow(std::max(Col(), FixedCols()), Row, true, true);
    FSyncing = Was;
    Invalidate();
}

bool TDBGrid::SelectCell(int ACol, int ARow) {
    if (FSyncing) return true;
    if (!HasRows()) return false;
    TDataSet* Ds = FDataLink->DataSet();
    int Record = ARow - TitleOffset();
    if (Record < 0 || Record >= Ds->RecordCount()) return false;
    if (Record + 1 != Ds->RecNo()) {
        bool Was = FSyncing;
        FSyncing = true;
        Ds->SetRecNo(Record + 1);
        FSyncing = Was;
    }
    return true;
}

void TDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FMouseClick = Button == mbLeft;
    try {
        TCustomGrid::MouseDown(Button, Shift, X, Y);
    } catch (...) {
        FMouseClick = false;
        throw;
    }
    FMouseClick = false;
}

void TDBGrid::Click() {
    bool Mouse = FMouseClick;
    FMouseClick = false;
    TCustomGrid::Click();
    // A click on an empty data set has no cell to report.
    if (Mouse && OnCellClick && HasRows()) OnCellClick(ColumnAt(Col()));
}

void TDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) {
    TCanvas* Cv = Canvas();
    auto Text = [&](const AnsiString& S, TAlignment A) {
        int W = Cv->TextWidth(S);
        int X = A == taRightJustify ? ARect.Right - 2 - W
                : A == taCenter     ? ARect.Left + (ARect.Right - ARect.Left - W) / 2
                                    : ARect.Left + 2;
        int Y = ARect.Top + (ARect.Bottom - ARect.Top - Cv->TextHeight(S)) / 2;
        Cv->TextRect(ARect, X, Y, S);
    };
    TDataSet* Ds = FDataLink->Active() ? FDataLink->DataSet() : nullptr;
    if (ACol < IndicatorOffset()) {
        // The indicator: a small arrow on the current row.
        if (Ds && ARow >= TitleOffset() && ARow - TitleOffset() == Ds->RecNo() - 1) {
            int Cx = ARect.Left + 3, Cy = (ARect.Top + ARect.Bottom) / 2;
            Cv->Pen()->SetColor(clWindowText);
            for (int I = 0; I < 4; ++I) {
                Cv->MoveTo(Cx + I, Cy - 3 + I);
                Cv->LineTo(Cx + I, Cy + 4 - I);
            }
        }
        return;
    }
    TColumn* Column = ColumnAt(ACol);
    if (!Column) return;
    if (ARow < TitleOffset()) {
        Cv->SetFont(*Column->Title()->Font());
        Text(Column->Title()->Caption(), Column->Title()->Alignment());
        return;
    }
    int Record = ARow - TitleOffset();
    if (!Ds || Record >= Ds->RecordCount()) {
        // The blank row of an empty or closed data set is nobody's current row.
        Cv->Brush()->SetColor(Color());
        Cv->FillRect(ARect);
        return;
    }
    TField* F = Column->Field();
    if (!F) return;
    Text(Ds->RecordText(Record, F), Column->Alignment());
}
