#pragma once
#include <memory>

#include "platform/ui/Grids.h"
#include "store/DB.h"

enum TDBGridOption : uint32_t {
    dgEditing = 1,
    dgAlwaysShowEditor = 2,
    dgTitles = 4,
    dgIndicator = 8,
    dgColumnResize = 16,
    dgColLines = 32,
    dgRowLines = 64,
    dgTabs = 128,
    dgRowSelect = 256,
    dgAlwaysShowSelection = 512,
    dgConfirmDelete = 1024,
    dgCancelOnExit = 2048,
    dgMultiSelect = 4096
};
using TDBGridOptions = uint32_t;
constexpr TDBGridOptions DefaultDBGridOptions = dgEditing | dgTitles | dgIndicator | dgColumnResize |
                                                dgColLines | dgRowLines | dgTabs | dgConfirmDelete |
                                                dgCancelOnExit;

class TDBGrid;
class TDBGridColumns;
class TColumn;

class TColumnTitle : public TPersistent {
    AGENDIX_CLASS(TColumnTitle)
    explicit TColumnTitle(TColumn* Column);
    // The field's display label unless set.
    AnsiString Caption() const;
    void SetCaption(const AnsiString& Value);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TFont* Font() const { return FFont.get(); }

  private:
    bool CaptionStored() const { return !FCaption.empty(); }
    TColumn* FColumn;
    AnsiString FCaption;
    TAlignment FAlignment = taLeftJustify;
    std::unique_ptr<TFont> FFont;
};

// One column of a data grid: the field it shows, its title and its width.
class TColumn : public TCollectionItem {
    AGENDIX_CLASS(TColumn)
    TColumn();
    ~TColumn() override;

    const AnsiString& FieldName() const { return FFieldName; }
    void SetFieldName(const AnsiString& Value);
    TField* Field() const;  // the grid's data set's field of that name, if any
    TColumnTitle* Title() const { return FTitle.get(); }
    // The field's width in characters unless set.
    int Width() const;
    void SetWidth(int Value);
    // The field's alignment unless set.
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TDBGrid* Grid() const;

  private:
    friend class TDBGridColumns;
    friend class TColumnTitle;
    void Changed();
    bool WidthStored() const { return FWidth >= 0; }
    bool AlignmentStored() const { return FAlignmentSet; }
    TDBGridColumns* FColumns = nullptr;
    AnsiString FFieldName;
    std::unique_ptr<TColumnTitle> FTitle;
    int FWidth = -1;
    TAlignment FAlignment = taLeftJustify;
    bool FAlignmentSet = false;
    bool FVisible = true;
};

class TDBGridColumns : public TCollection {
  public:
    explicit TDBGridColumns(TDBGrid* Grid) : FGrid(Grid) {}
    TColumn* Items(int Index) const { return static_cast<TColumn*>(Item(Index)); }
    TColumn* AddColumn() { return static_cast<TColumn*>(Add()); }
    TDBGrid* Grid() const { return FGrid; }

  protected:
    TCollectionItem* NewItem() override;

  private:
    TDBGrid* FGrid;
};

using TDBGridClickEvent = std::function<void(TColumn* Column)>;

// A grid showing the rows of a data set, one per grid row under the title row, with the data
// set's current row highlighted. It follows the data set through a data link, and a click on a
// row moves the data set there before OnCellClick.
class TDBGrid : public TCustomGrid {
    AGENDIX_CLASS(TDBGrid)
    explicit TDBGrid(TComponent* AOwner);
    ~TDBGrid() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TDBGridColumns* Columns() const { return FColumns.get(); }
    TDBGridOptions Options() const { return FOptions; }
    void SetOptions(TDBGridOptions Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    TFont* TitleFont() const { return FTitleFont.get(); }

    // The columns shown: the declared ones, or one per visible field when none are declared.
    int ShownColumnCount() const;
    TColumn* ShownColumn(int Index) const;
    // The grid row of a data set row (0-based record index), and back.
    int RecordRow(int Record) const;

    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Click() override;
    void Loaded() override;
    // Recomputes columns, rows and widths; called when the data set, the columns or the options change.
    void LayoutChanged();

    TDBGridClickEvent OnCellClick;

  protected:
    bool SelectCell(int ACol, int ARow) override;
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void FontChanged() override;

  private:
    class TGridDataLink;
    TCollection* ColumnsItems() const { return FColumns.get(); }
    int IndicatorOffset() const { return (FOptions & dgIndicator) ? 1 : 0; }
    int TitleOffset() const { return (FOptions & dgTitles) ? 1 : 0; }
    bool HasRows() const;
    void SyncRow();
    TColumn* ColumnAt(int ACol) const;

    std::unique_ptr<TGridDataLink> FDataLink;
    std::unique_ptr<TDBGridColumns> FColumns;
    std::unique_ptr<TDBGridColumns> FDefaultColumns;  // made from the fields when none are declared
    std::unique_ptr<TFont> FTitleFont;
    TDBGridOptions FOptions = DefaultDBGridOptions;
    bool FReadOnly = false;
    bool FSyncing = false;
    bool FInLayout = false;
    bool FMouseClick = false;
};
