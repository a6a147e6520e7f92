#include <algorithm>

#include "store/DB.h"
#include "store/Database.h"

const TClassInfo& TDataSet::StaticClassInfo() {
    // Offered to descendants only: each engine class publishes the ones it shows, in its order.
    static const TClassInfo Info = TClassBuilder<TDataSet>("TDataSet", &TComponent::StaticClassInfo())
                                       .OfferOnly()
                                       .Bool("Active", &TDataSet::Active, &TDataSet::SetActive, false)
                                       .Bool("Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered, false)
                                       .Event("OnCalcFields", &TDataSet::OnCalcFields)
                                       .Event("OnFilterRecord", &TDataSet::OnFilterRecord)
                                       .Build();
    return Info;
}

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner), FFields(std::make_unique<TFields>()) {
    FFields->FDataSet = this;
}

TDataSet::~TDataSet() {
    for (TDataSource* S : std::vector<TDataSource*>(FDataSources)) S->SetDataSet(nullptr);
    FActive = false;
    FState = dsInactive;
    for (TField* F : FFields->FList) {
        F->FDataSet = nullptr;
        if (F->FDefault) delete F;
    }
    FFields->FList.clear();
}

void TDataSet::Error(const AnsiString& Msg) const {
    throw EDatabaseError(Name().empty() ? Msg : Name() + ": " + Msg);
}

void TDataSet::CheckInactive() const {
    if (FActive && !Loading()) Error("Cannot perform this operation on an open dataset");
}

void TDataSet::CheckActive() const {
    if (!FActive) Error("Cannot perform this operation on a closed dataset");
}

bool TDataSet::HasPersistentFields() const {
    for (TField* F : FFields->FList)
        if (!F->FDefault) return true;
    return false;
}

void TDataSet::AddField(TField* Field) {
    CheckInactive();
    FFields->FList.push_back(Field);
    Field->FDataSet = this;
}

void TDataSet::RemoveField(TField* Field) {
    // A field that goes away while the rows are held would shift every stored value.
    if (FActive) Close();
    auto& L = FFields->FList;
    L.erase(std::remove(L.begin(), L.end(), Field), L.end());
    Field->FDataSet = nullptr;
}

// ---- opening and closing

void TDataSet::SetActive(bool Value) {
    if (Loading()) {
        FStreamedActive = Value;
        return;
    }
    if (Value)
        Open();
    else
        Close();
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (FStreamedActive) {
        FStreamedActive = false;
        Open();
    }
}

void TDataSet::Open() {
    if (FActive) return;
    try {
        std::unique_ptr<TRowSource> Rows = OpenRows();
        // The first row is read before the fields are made, so that a column of unknown type
        // (an expression such as count()) gets the field its values fit.
        bool HasRow = Rows->Step();
        BindFields(*Rows);
        FetchRows(*Rows, HasRow);
    } catch (...) {
        FFetching = false;
        FOverride = nullptr;
        FState = dsInactive;
        FRecords.clear();
        throw;
    }
    FActive = true;
    FCursor = 0;
    FBof = true;
    FEof = FRecords.empty();
    SetState(dsBrowse);
}

void TDataSet::Close() {
    if (!FActive) return;
    FActive = false;
    FRecords.clear();
    FEditRecord = {};
    FModified = false;
    FCursor = 0;
    FEof = FBof = true;
    SetState(dsInactive);
}

void TDataSet::Refresh() {
    CheckActive();
    CheckBrowseMode();
    int Keep = FCursor;
    FActive = false;
    FRecords.clear();
    FState = dsInactive;
    Open();
    if (!FRecords.empty()) FCursor = std::min<int>(Keep, static_cast<int>(FRecords.size()) - 1);
    DataEvent(deDataSetChange);
}

// Makes default fields from the engine's columns when no persistent fields are declared, and
// finds the column of every data field. Default fields stay across Close and Open while the
// columns stay the same, so callers may keep pointers to them.
void TDataSet::BindFields(TRowSource& Rows) {
    int N = Rows.ColumnCount();
    std::vector<AnsiString> Names(N);
    for (int C = 0; C < N; ++C) Names[C] = Rows.ColumnName(C);
    if (!HasPersistentFields()) {
        bool Same = FFields->Count() == N;
        for (int C = 0; Same && C < N; ++C) {
            int Size = 0;
            TFieldType T = Rows.ColumnType(C, Size);
            TField* F = FFields->FList[C];
            Same = F->FieldName() == Names[C] && (T == ftInteger) == (F->DataType() == ftInteger) &&
                   F->Size() == Size;
        }
        if (!Same) {
            for (TField* F : FFields->FList) {
                F->FDataSet = nullptr;
                delete F;
            }
            FFields->FList.clear();
            for (int C = 0; C < N; ++C) {
                int Size = 0;
                TFieldType T = Rows.ColumnType(C, Size);
                if (T == ftUnknown && Rows.IsInteger(C)) T = ftInteger;
                TField* F = T == ftInteger ? static_cast<TField*>(new TIntegerField(nullptr))
                                           : static_cast<TField*>(new TStringField(nullptr));
                F->FDefault = true;
                F->FFieldName = Names[C];
                F->FSize = T == ftInteger ? 0 : Size;
                F->FDataSet = this;
                FFields->FList.push_back(F);
            }
        }
    }
    FColumnOfField.assign(FFields->Count(), -1);
    for (int I = 0; I < FFields->Count(); ++I) {
        TField* F = FFields->FList[I];
        if (F->FieldKind() != fkData) continue;
        for (int C = 0; C < N && FColumnOfField[I] < 0; ++C)
            if (SameName(Names[C], F->FieldName())) FColumnOfField[I] = C;
        if (FColumnOfField[I] < 0) Error("Field '" + F->FieldName() + "' not found");
    }
}

void TDataSet::FetchRows(TRowSource& Rows, bool HasRow) {
    FRecords.clear();
    FFetching = true;
    FFetchCount = 0;
    bool Calc = static_cast<bool>(OnCalcFields);
    bool Filter = FFiltered && OnFilterRecord;
    size_t NFields = FFields->FList.size();
    for (; HasRow; HasRow = Rows.Step()) {
        TRecord Rec;
        Rec.RowId = Rows.RowId();
        Rec.Values.resize(NFields);
        for (size_t I = 0; I < NFields; ++I) {
            int C = FColumnOfField[I];
            if (C >= 0 && !Rows.IsNull(C)) Rec.Values[I] = Rows.Text(C);
        }
        ++FFetchCount;
        if (Calc) CalculateFields(Rec);
        if (!Filter || AcceptRecord(Rec)) FRecords.push_back(std::move(Rec));
    }
    FFetching = false;
}

void TDataSet::CalculateFields(TRecord& Rec) {
    for (size_t I = 0; I < Rec.Values.size(); ++I)
        if (FColumnOfField[I] < 0) Rec.Values[I].reset();
    TDataSetState Saved = FState;
    const TRecord* SavedOverride = FOverride;
    FState = dsCalcFields;
    FOverride = &Rec;
    try {
        OnCalcFields(this);
    } catch (...) {
        FState = Saved;
        FOverride = SavedOverride;
        throw;
    }
    FState = Saved;
    FOverride = SavedOverride;
}

bool TDataSet::AcceptRecord(TRecord& Rec) {
    bool Accept = true;
    TDataSetState Saved = FState;
    FState = dsFilter;
    FOverride = &Rec;
    try {
        OnFilterRecord(this, Accept);
    } catch (...) {
        FState = Saved;
        FOverride = nullptr;
        throw;
    }
    FState = Saved;
    FOverride = nullptr;
    return Accept;
}

void TDataSet::SetFiltered(bool Value) {
    if (Value == FFiltered) return;
    FFiltered = Value;
    if (FActive && !Loading()) Refresh();
}

// ---- navigation

int TDataSet::RecordCount() const {
    if (FFetching) return FFetchCount;
    return FActive ? static_cast<int>(FRecords.size()) : 0;
}

int TDataSet::RecNo() const {
    if (!FActive || FRecords.empty()) return 0;
    if (FState == dsInsert) return FInsertAt + 1;
    return FCursor + 1;
}

void TDataSet::SetRecNo(int Value) {
    CheckActive();
    CheckBrowseMode();
    if (FRecords.empty()) return;
    MoveBy(std::clamp(Value, 1, static_cast<int>(FRecords.size())) - 1 - FCursor);
}

void TDataSet::First() {
    CheckActive();
    CheckBrowseMode();
    int Old = FCursor;
    FCursor = 0;
    FBof = true;
    FEof = FRecords.empty();
    DataEvent(deDataSetScroll, nullptr, FCursor - Old);
}

void TDataSet::Last() {
    CheckActive();
    CheckBrowseMode();
    int Old = FCursor;
    FCursor = FRecords.empty() ? 0 : static_cast<int>(FRecords.size()) - 1;
    FEof = true;
    FBof = FRecords.empty();
    DataEvent(deDataSetScroll, nullptr, FCursor - Old);
}

void TDataSet::Next() {
    MoveBy(1);
}
void TDataSet::Prior() {
    MoveBy(-1);
}

int TDataSet::MoveBy(int Distance) {
    CheckActive();
    CheckBrowseMode();
    int N = static_cast<int>(FRecords.size());
    int Old = FCursor;
    if (N == 0) {
        FEof = FBof = true;
        return 0;
    }
    int Target = FCursor + Distance;
    FEof = Target >= N;
    FBof = Target < 0;
    FCursor = std::clamp(Target, 0, N - 1);
    if (FCursor != Old) DataEvent(deDataSetScroll, nullptr, FCursor - Old);
    return FCursor - Old;
}

// ---- field values

const TDataSet::TRecord* TDataSet::ActiveRecord() const {
    if (FOverride) return FOverride;
    if (!FActive) return nullptr;
    if (FState == dsEdit || FState == dsInsert) return &FEditRecord;
    if (FRecords.empty()) return nullptr;
    return &FRecords[FCursor];
}

const std::optional<AnsiString>& TDataSet::FieldValue(const TField* Field) const {
    static const std::optional<AnsiString> None;
    const TRecord* Rec = ActiveRecord();
    int I = FFields->IndexOf(Field);
    if (!Rec || I < 0 || I >= static_cast<int>(Rec->Values.size())) return None;
    return Rec->Values[I];
}

AnsiString TDataSet::RecordText(int Index, const TField* Field) const {
    int I = FFields->IndexOf(Field);
    if (!FActive || I < 0 || Index < 0 || Index >= static_cast<int>(FRecords.size())) return AnsiString();
    const TRecord* Rec = FState == dsEdit && Index == FCursor ? &FEditRecord : &FRecords[Index];
    return Rec->Values[I].value_or(AnsiString());
}

void TDataSet::SetFieldValue(TField* Field, std::optional<AnsiString> Value) {
    int I = FFields->IndexOf(Field);
    if (FState == dsCalcFields) {
        if (Field->FieldKind() != fkCalculated)
            Error("Field '" + Field->FieldName() + "' cannot be modified");
        const_cast<TRecord*>(FOverride)->Values[I] = std::move(Value);
        return;
    }
    if (FState != dsEdit && FState != dsInsert) Error("Dataset not in edit or insert mode");
    if (Field->ReadOnly() || Field->FieldKind() != fkData)
        Error("Field '" + Field->FieldName() + "' cannot be modified");
    FEditRecord.Values[I] = std::move(Value);
    FEditModified[I] = true;
    FModified = true;
    DataEvent(deRecordChange, Field);
}

// ---- editing

void TDataSet::CheckBrowseMode() {
    // Moving or closing while an edit is pending drops it: a pending edit is what a refused write
    // left behind, and storing half of it would be worse than storing none.
    if (FState == dsEdit || FState == dsInsert) Cancel();
}

void TDataSet::BeginEdit(TDataSetState NewState, int InsertAt) {
    if (!CanModify()) Error("Cannot modify a read-only dataset");
    size_t N = FFields->FList.size();
    if (NewState == dsEdit) {
        FEditRecord = FRecords[FCursor];
    } else {
        FEditRecord = {};
        FEditRecord.Values.resize(N);
        FInsertAt = InsertAt;
    }
    FEditModified.assign(N, false);
    FModified = false;
    SetState(NewState);
}

void TDataSet::Edit() {
    CheckActive();
    if (FState == dsEdit || FState == dsInsert) return;
    if (FRecords.empty()) {
        Insert();
        return;
    }
    BeginEdit(dsEdit, 0);
}

void TDataSet::Insert() {
    CheckActive();
    CheckBrowseMode();
    BeginEdit(dsInsert, FRecords.empty() ? 0 : FCursor);
}

void TDataSet::Append() {
    CheckActive();
    CheckBrowseMode();
    BeginEdit(dsInsert, static_cast<int>(FRecords.size()));
}

TDataSet::TValues TDataSet::DataValues(const TRecord& Rec) const {
    TValues Values;
    for (size_t I = 0; I < FFields->FList.size(); ++I)
        if (FColumnOfField[I] >= 0) Values.emplace_back(FFields->FList[I], &Rec.Values[I]);
    return Values;
}

TDataSet::TValues TDataSet::ModifiedValues() const {
    TValues Values;
    for (size_t I = 0; I < FFields->FList.size(); ++I)
        if (FEditModified[I] && FColumnOfField[I] >= 0)
            Values.emplace_back(FFields->FList[I], &FEditRecord.Values[I]);
    return Values;
}

void TDataSet::Post() {
    CheckActive();
    if (FState != dsEdit && FState != dsInsert) return;
    auto Values = ModifiedValues();
    if (FState == dsEdit) {
        if (!Values.empty()) UpdateRow(FEditRecord.RowId, DataValues(FRecords[FCursor]), Values);
        FRecords[FCursor] = std::move(FEditRecord);
    } else {
        FEditRecord.RowId = InsertRow(Values);
        FCursor = std::clamp(FInsertAt, 0, static_cast<int>(FRecords.size()));
        FRecords.insert(FRecords.begin() + FCursor, std::move(FEditRecord));
    }
    FEditRecord = {};
    if (OnCalcFields) CalculateFields(FRecords[FCursor]);
    FModified = false;
    FEof = FBof = false;
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
}

void TDataSet::Cancel() {
    if (FState != dsEdit && FState != dsInsert) return;
    FEditRecord = {};
    FModified = false;
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
}

void TDataSet::Delete() {
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    if (FRecords.empty()) Error("Cannot perform this operation on an empty dataset");
    if (!CanModify()) Error("Cannot modify a read-only dataset");
    DeleteRow(FRecords[FCursor].RowId, DataValues(FRecords[FCursor]));
    FRecords.erase(FRecords.begin() + FCursor);
    if (FCursor >= static_cast<int>(FRecords.size()))
        FCursor = std::max(0, static_cast<int>(FRecords.size()) - 1);
    FEof = FRecords.empty();
    FBof = FCursor == 0;
    FEditRecord = {};
    FModified = false;
    if (FState != dsBrowse) SetState(dsBrowse);
    DataEvent(deDataSetChange);
}

int64_t TDataSet::InsertRow(const std::vector<std::pair<const TField*, const std::optional<AnsiString>*>>&) {
    Error("Cannot modify a read-only dataset");
}

void TDataSet::UpdateRow(int64_t, const TValues&, const TValues&) {
    Error("Cannot modify a read-only dataset");
}

void TDataSet::DeleteRow(int64_t, const TValues&) {
    Error("Cannot modify a read-only dataset");
}

// ---- notification

void TDataSet::SetState(TDataSetState Value) {
    if (Value == FState) return;
    FState = Value;
    DataEvent(deUpdateState);
}

void TDataSet::DataEvent(TDataEvent Event, TField* Field, int Info) {
    for (TDataSource* S : std::vector<TDataSource*>(FDataSources)) S->DataEvent(Event, Field, Info);
}

void TDataSet::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    for (TField* F : FFields->FList)
        if (!F->FDefault && F->Owner() == Root) Proc(F);
}
