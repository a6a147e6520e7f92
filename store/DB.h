#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/classes/TypInfo.h"

// Data sets, fields, parameters, data sources and data links: everything data-aware code sees of
// the engine. The engine itself (TTable, TQuery) is in DBTables.h.

enum TDataSetState : uint8_t { dsInactive, dsBrowse, dsEdit, dsInsert, dsCalcFields, dsFilter };
enum TFieldType : uint8_t {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo
};
enum TFieldKind : uint8_t { fkData, fkCalculated, fkLookup };
enum TParamType : uint8_t { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };
enum TDataEvent : uint8_t { deRecordChange, deDataSetChange, deDataSetScroll, deUpdateState };

class TDataSet;
class TDataSource;
class TRowSource;
class TField;

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;
using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

const std::vector<AnsiString>& FieldTypeNames();

// Why the engine refused a statement. The message stays technical; code that talks to users
// looks at the kind.
enum class TDbFailure : uint8_t { Other, Busy, ReadOnly, Constraint, Corrupt, DiskFull, IO };

class EEngineError : public EDatabaseError {
  public:
    EEngineError(AnsiString Msg, TDbFailure Kind) : EDatabaseError(std::move(Msg)), FKind(Kind) {}
    TDbFailure Kind() const { return FKind; }

  private:
    TDbFailure FKind;
};

// An edit or delete found its row no longer as it was read: another writer changed or deleted
// it (its row id may even belong to another row by now). Nothing was written.
AGENDIX_EXCEPTION(ERecordChanged, EDatabaseError)  // ftUnknown, ftString, ... as form descriptions spell them

// One column of a data set. Persistent fields are declared in form descriptions as components of
// the form, attached to their data set as its children; default fields are made by the data set.
class TField : public TComponent {
    AGENDIX_CLASS(TField)
    explicit TField(TComponent* AOwner);
    ~TField() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    void SetParentComponent(TComponent* Parent) override;

    const AnsiString& FieldName() const { return FFieldName; }
    void SetFieldName(const AnsiString& Value);
    TFieldKind FieldKind() const { return FFieldKind; }
    void SetFieldKind(TFieldKind Value);
    bool Calculated() const { return FFieldKind == fkCalculated; }
    void SetCalculated(bool Value) { SetFieldKind(Value ? fkCalculated : fkData); }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // The grid's default title; the field name unless set.
    AnsiString DisplayLabel() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const AnsiString& Value);
    int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : DefaultDisplayWidth(); }
    void SetDisplayWidth(int Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    // Width in CP949 bytes for text fields; 0 means unlimited.
    int Size() const { return FSize; }
    void SetSize(int Value);
    virtual TFieldType DataType() const { return ftUnknown; }

    int Index() const;  // position in its data set's Fields, -1 when detached
    bool IsNull() const;
    AnsiString AsString() const;
    void SetAsString(const AnsiString& Value);
    int AsInteger() const;
    void SetAsInteger(int Value);
    AnsiString DisplayText() const { return AsString(); }
    void Clear();

  protected:
    // Raises EDatabaseError when the value cannot be stored in this field.
    virtual void Validate(const AnsiString& Value) const {}
    virtual int DefaultDisplayWidth() const { return 10; }
    virtual TAlignment DefaultAlignment() const { return taLeftJustify; }
    bool AlignmentStored() const { return FAlignment != DefaultAlignment(); }
    bool DisplayWidthStored() const { return FDisplayWidth > 0; }
    bool NotStored() const { return false; }
    void SetValue(std::optional<AnsiString> Value);

    TDataSet* FDataSet = nullptr;
    AnsiString FFieldName;
    TFieldKind FFieldKind = fkData;
    TAlignment FAlignment = taLeftJustify;
    AnsiString FDisplayLabel;
    int FDisplayWidth = 0;
    bool FReadOnly = false;
    bool FVisible = true;
    int FSize = 0;

  private:
    friend class TDataSet;
    bool FDefault = false;  // made by the data set from the engine's columns, owned by it
};

class TStringField : public TField {
    AGENDIX_CLASS(TStringField)
    explicit TStringField(TComponent* AOwner);
    TFieldType DataType() const override { return ftString; }

  protected:
    // Refuses text wider than Size in CP949 bytes and text CP949 cannot hold: the store never
    // cuts text silently.
    void Validate(const AnsiString& Value) const override;
    int DefaultDisplayWidth() const override { return FSize > 0 ? FSize : 20; }
};

class TIntegerField : public TField {
    AGENDIX_CLASS(TIntegerField)
    explicit TIntegerField(TComponent* AOwner);
    TFieldType DataType() const override { return ftInteger; }

  protected:
    void Validate(const AnsiString& Value) const override;
    int DefaultDisplayWidth() const override { return 11; }
    TAlignment DefaultAlignment() const override { return taRightJustify; }
};

// The fields of a data set, in order; lookups by name ignore letter case.
class TFields {
  public:
    int Count() const { return static_cast<int>(FList.size()); }
    TField* Fields(int Index) const { return FList.at(Index); }
    TField* operator[](int Index) const { return FList.at(Index); }
    TField* FindField(const AnsiString& Name) const;
    TField* FieldByName(const AnsiString& Name) const;  // EDatabaseError when absent
    int IndexOf(const TField* Field) const;

  private:
    friend class TDataSet;
    const TDataSet* FDataSet = nullptr;
    std::vector<TField*> FList;
};

// A column that a table is created with when it does not exist yet.
class TFieldDef : public TCollectionItem {
    AGENDIX_CLASS(TFieldDef)
    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& V) { FName = V; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType V) { FDataType = V; }
    int Size() const { return FSize; }
    void SetSize(int V) { FSize = V; }

  private:
    AnsiString FName;
    TFieldType FDataType = ftUnknown;
    int FSize = 0;
};

class TFieldDefs : public TOwnedCollection<TFieldDef> {
  public:
    TFieldDef* AddFieldDef(const AnsiString& Name, TFieldType DataType, int Size = 0);
    TFieldDef* Find(const AnsiString& Name) const;  // letter case ignored
};

// A query parameter; unbound (null) until a value is assigned.
class TParam : public TCollectionItem {
    AGENDIX_CLASS(TParam)
    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& V) { FName = V; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType V) { FDataType = V; }
    TParamType ParamType() const { return FParamType; }
    void SetParamType(TParamType V) { FParamType = V; }

    bool IsNull() const { return !FValue.has_value(); }
    bool Bound() const { return FValue.has_value(); }
    AnsiString AsString() const { return FValue.value_or(AnsiString()); }
    void SetAsString(const AnsiString& Value);
    int AsInteger() const;
    void SetAsInteger(int Value);
    void Clear() { FValue.reset(); }
    const std::optional<AnsiString>& Value() const { return FValue; }

  private:
    AnsiString FName;
    TFieldType FDataType = ftUnknown;
    TParamType FParamType = ptUnknown;
    std::optional<AnsiString> FValue;
};

class TParams : public TOwnedCollection<TParam> {
  public:
    TParam* FindParam(const AnsiString& Name) const;    // letter case ignored
    TParam* ParamByName(const AnsiString& Name) const;  // EDatabaseError when absent
    TParam* CreateParam(TFieldType DataType, const AnsiString& Name, TParamType ParamType);
    // Makes the parameter list follow the ":Name" markers of a SQL text, keeping the values of
    // parameters whose names stay.
    void ParseSQL(const AnsiString& Sql);
};

// The rows of a data set are read from the engine at Open and held until Close; writes go to the
// engine at once, each Post and Delete in a transaction of its own.
class TDataSet : public TComponent {
    AGENDIX_CLASS(TDataSet)
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    void Open();
    void Close();
    void Refresh();  // reads the rows afresh, keeping the position where it can
    TDataSetState State() const { return FState; }

    // Navigation over the visible rows. Eof is true when the data set is empty or Next has passed
    // the last row; the current row then stays the last one.
    void First();
    void Next();
    void Prior();
    void Last();
    int MoveBy(int Distance);
    bool Eof() const { return !FActive || FEof; }
    bool Bof() const { return !FActive || FBof; }
    bool IsEmpty() const { return RecordCount() == 0; }
    int RecordCount() const;
    int RecNo() const;  // 1-based; 0 when empty or inactive
    void SetRecNo(int Value);

    TFields* Fields() const { return FFields.get(); }
    TField* FieldByName(const AnsiString& Name) const { return FFields->FieldByName(Name); }
    TField* FindField(const AnsiString& Name) const { return FFields->FindField(Name); }
    int FieldCount() const { return FFields->Count(); }

    void Edit();    // on an empty data set this inserts
    void Insert();  // a new empty row before the current one
    void Append();  // a new empty row after the last one
    void Post();
    void Cancel();
    void Delete();
    bool Modified() const { return FModified; }
    virtual bool CanModify() const { return true; }

    bool Filtered() const { return FFiltered; }
    void SetFiltered(bool Value);

    // The text of a field in any held row, for grids that show many rows at once (0-based).
    AnsiString RecordText(int Index, const TField* Field) const;

    TDataSetNotifyEvent OnCalcFields;
    TFilterRecordEvent OnFilterRecord;

    // Field and value pairs that the engine writes or compares.
    using TValues = std::vector<std::pair<const TField*, const std::optional<AnsiString>*>>;

    void Loaded() override;
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

  protected:
    // The engine's side: a source of rows at Open, and the writes of Post and Delete.
    virtual std::unique_ptr<TRowSource> OpenRows() = 0;
    virtual int64_t InsertRow(
        const std::vector<std::pair<const TField*, const std::optional<AnsiString>*>>& Values);
    // Edits and deletes get the row as it was read, so the engine can refuse one that changed.
    virtual void UpdateRow(int64_t RowId, const TValues& Original, const TValues& Values);
    virtual void DeleteRow(int64_t RowId, const TValues& Original);
    // The data fields the engine must deliver: the persistent data fields, or none when the data
    // set makes default fields from the engine's columns.
    bool HasPersistentFields() const;
    void CheckInactive() const;  // EDatabaseError while open
    [[noreturn]] void Error(const AnsiString& Msg) const;

  private:
    friend class TField;
    friend class TDataSource;
    struct TRecord {
        int64_t RowId = 0;
        std::vector<std::optional<AnsiString>> Values;
    };

    void AddField(TField* Field);
    void RemoveField(TField* Field);
    void BindFields(TRowSource& Rows);
    void FetchRows(TRowSource& Rows, bool HasRow);
    void CalculateFields(TRecord& Rec);
    bool AcceptRecord(TRecord& Rec);
    const TRecord* ActiveRecord() const;
    const std::optional<AnsiString>& FieldValue(const TField* Field) const;
    void SetFieldValue(TField* Field, std::optional<AnsiString> Value);
    void CheckActive() const;
    void CheckBrowseMode();
    void BeginEdit(TDataSetState NewState, int InsertAt);
    void SetState(TDataSetState Value);
    void DataEvent(TDataEvent Event, TField* Field = nullptr, int Info = 0);
    TValues ModifiedValues() const;
    TValues DataValues(const TRecord& Rec) const;

    std::unique_ptr<TFields> FFields;
    std::vector<int> FColumnOfField;  // engine column of each field, -1 for calculated fields
    std::vector<TRecord> FRecords;
    TRecord FEditRecord;
    std::vector<bool> FEditModified;
    int FInsertAt = 0;
    const TRecord* FOverride = nullptr;  // the row that OnCalcFields or OnFilterRecord looks at
    int FFetchCount = 0;
    bool FFetching = false;
    int FCursor = 0;
    bool FEof = true;
    bool FBof = true;
    bool FActive = false;
    bool FStreamedActive = false;
    bool FFiltered = false;
    bool FModified = false;
    TDataSetState FState = dsInactive;
    std::vector<TDataSource*> FDataSources;
};

class TDataLink;

// Connects data-aware controls, through their data links, to a data set.
class TDataSource : public TComponent {
    AGENDIX_CLASS(TDataSource)
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool AutoEdit() const { return FAutoEdit; }
    void SetAutoEdit(bool Value) { FAutoEdit = Value; }
    TDataSetState State() const { return FDataSet && FEnabled ? FDataSet->State() : dsInactive; }

    TDataChangeEvent OnDataChange;
    TNotifyEvent OnStateChange;

  private:
    friend class TDataSet;
    friend class TDataLink;
    void DataEvent(TDataEvent Event, TField* Field, int Info);
    void NotifyActive();
    TDataSet* FDataSet = nullptr;
    bool FEnabled = true;
    bool FAutoEdit = true;
    std::vector<TDataLink*> FLinks;
};

// What a data-aware control holds to follow a data source: the data set opening and closing,
// its rows changing, the current row moving and edits starting and ending.
class TDataLink {
  public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    TDataSet* DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }
    bool Active() const { return FActive; }
    bool Editing() const { return FEditing; }

  protected:
    virtual void ActiveChanged() {}
    virtual void DataSetChanged() {}
    virtual void DataSetScrolled(int Distance) { DataSetChanged(); }
    virtual void RecordChanged(TField* Field) {}
    virtual void EditingChanged() {}

  private:
    friend class TDataSource;
    void UpdateState();
    void Event(TDataEvent Event, TField* Field, int Info);
    TDataSource* FDataSource = nullptr;
    bool FActive = false;
    bool FEditing = false;
};
