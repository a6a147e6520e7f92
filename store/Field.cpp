#include "platform/rtl/Cp949.h"
#include "store/DB.h"
#include "store/Database.h"

const std::vector<AnsiString>& FieldTypeNames() {
    static const std::vector<AnsiString> Names = {
        "ftUnknown", "ftString",   "ftSmallint", "ftInteger", "ftWord", "ftBoolean",
        "ftFloat",   "ftCurrency", "ftBCD",      "ftDate",    "ftTime", "ftDateTime",
        "ftBytes",   "ftVarBytes", "ftAutoInc",  "ftBlob",    "ftMemo"};
    return Names;
}

namespace {
const std::vector<AnsiString> AlignmentNames = {"taLeftJustify", "taRightJustify", "taCenter"};
const std::vector<AnsiString> FieldKindNames = {"fkData", "fkCalculated", "fkLookup"};
}  // namespace

const TClassInfo& TField::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TField>("TField", &TComponent::StaticClassInfo())
            .Enum("FieldKind", &TField::FieldKind, &TField::SetFieldKind, fkData, FieldKindNames)
            .Str("FieldName", &TField::FieldName, &TField::SetFieldName)
            .Enum("Alignment", &TField::Alignment, &TField::SetAlignment, taLeftJustify, AlignmentNames,
                  &TField::AlignmentStored)
            .Bool("Calculated", &TField::Calculated, &TField::SetCalculated, false, &TField::NotStored)
            .Str("DisplayLabel", &TField::FDisplayLabel, &TField::SetDisplayLabel)
            .Int("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth, 0, "",
                 &TField::DisplayWidthStored)
            .Bool("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly, false)
            .Bool("Visible", &TField::Visible, &TField::SetVisible, true)
            .Build();
    return Info;
}

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::~TField() {
    if (FDataSet) FDataSet->RemoveField(this);
}

void TField::SetDataSet(TDataSet* Value) {
    if (Value == FDataSet) return;
    if (FDataSet) FDataSet->RemoveField(this);
    if (Value) Value->AddField(this);
}

void TField::SetParentComponent(TComponent* Parent) {
    if (auto* Ds = dynamic_cast<TDataSet*>(Parent)) SetDataSet(Ds);
}

void TField::SetFieldName(const AnsiString& Value) {
    if (Value == FFieldName) return;
    if (FDataSet) FDataSet->CheckInactive();
    FFieldName = Value;
}

void TField::SetFieldKind(TFieldKind Value) {
    if (Value == FFieldKind) return;
    if (FDataSet) FDataSet->CheckInactive();
    FFieldKind = Value;
}

void TField::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    if (FDataSet) FDataSet->DataEvent(deDataSetChange);
}

void TField::SetDisplayLabel(const AnsiString& Value) {
    if (Value == FDisplayLabel) return;
    FDisplayLabel = Value;
    if (FDataSet) FDataSet->DataEvent(deDataSetChange);
}

void TField::SetDisplayWidth(int Value) {
    if (Value == FDisplayWidth) return;
    FDisplayWidth = Value;
    if (FDataSet) FDataSet->DataEvent(deDataSetChange);
}

void TField::SetVisible(bool Value) {
    if (Value == FVisible) return;
    FVisible = Value;
    if (FDataSet) FDataSet->DataEvent(deDataSetChange);
}

void TField::SetSize(int Value) {
    if (Value == FSize) return;
    if (FDataSet) FDataSet->CheckInactive();
    FSize = Value < 0 ? 0 : Value;
}

int TField::Index() const {
    return FDataSet ? FDataSet->Fields()->IndexOf(this) : -1;
}

bool TField::IsNull() const {
    return !FDataSet || !FDataSet->FieldValue(this).has_value();
}

AnsiString TField::AsString() const {
    if (!FDataSet) return AnsiString();
    return FDataSet->FieldValue(this).value_or(AnsiString());
}

void TField::SetAsString(const AnsiString& Value) {
    SetValue(Value);
}

int TField::AsInteger() const {
    if (IsNull()) return 0;
    return StrToInt(AsString());
}

void TField::SetAsInteger(int Value) {
    SetValue(IntToStr(Value));
}

void TField::Clear() {
    SetValue(std::nullopt);
}

void TField::SetValue(std::optional<AnsiString> Value) {
    if (!FDataSet) throw EDatabaseError("Field '" + FFieldName + "' belongs to no data set");
    if (Value) Validate(*Value);
    FDataSet->SetFieldValue(this, std::move(Value));
}

// ---- text fields

const TClassInfo& TStringField::StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TStringField>("TStringField", &TField::StaticClassInfo())
                                       .Creatable()
                                       .InheritAll()
                                       .Int("Size", &TStringField::Size, &TStringField::SetSize, 20)
                                       .Build();
    return Info;
}

TStringField::TStringField(TComponent* AOwner) : TField(AOwner) {
    FSize = 20;
}

void TStringField::Validate(const AnsiString& Value) const {
    if (!IsCp949Representable(Value)) {
        AnsiString Why;
        try {
            Cp949Length(Value);
        } catch (const Exception& E) {
            Why = ": " + E.Message();
        }
        throw EDatabaseError("Field '" + FFieldName + "' cannot store text that CP949 cannot hold" + Why);
    }
    if (FSize > 0) {
        int Width = Cp949Length(Value);
        if (Width > FSize)
            throw EDatabaseError(Format("Field '%s' holds at most %d bytes; the value is %d bytes wide",
                                        FFieldName.c_str(), FSize, Width));
    }
}

// ---- integer fields

const TClassInfo& TIntegerField::StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TIntegerField>("TIntegerField", &TField::StaticClassInfo())
                                       .Creatable()
                                       .InheritAll()
                                       .Build();
    return Info;
}

TIntegerField::TIntegerField(TComponent* AOwner) : TField(AOwner) {
    FAlignment = taRightJustify;
    FSize = 0;
}

void TIntegerField::Validate(const AnsiString& Value) const {
    try {
        StrToInt(Value);
    } catch (const EConvertError&) {
        throw EDatabaseError("'" + Value + "' is not a valid integer value for field '" + FFieldName + "'");
    }
}

// ---- field lists

TField* TFields::FindField(const AnsiString& Name) const {
    for (TField* F : FList)
        if (SameName(F->FieldName(), Name)) return F;
    return nullptr;
}

TField* TFields::FieldByName(const AnsiString& Name) const {
    if (TField* F = FindField(Name)) return F;
    AnsiString Owner = FDataSet && !FDataSet->Name().empty() ? FDataSet->Name() + ": " : AnsiString();
    throw EDatabaseError(Owner + "Field '" + Name + "' not found");
}

int TFields::IndexOf(const TField* Field) const {
    for (size_t I = 0; I < FList.size(); ++I)
        if (FList[I] == Field) return static_cast<int>(I);
    return -1;
}

// ---- field definitions

const TClassInfo& TFieldDef::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TFieldDef>("TFieldDef", &TCollectionItem::StaticClassInfo())
            .Str("Name", &TFieldDef::Name, &TFieldDef::SetName)
            .Enum("DataType", &TFieldDef::DataType, &TFieldDef::SetDataType, ftUnknown, FieldTypeNames())
            .Int("Size", &TFieldDef::Size, &TFieldDef::SetSize, 0)
            .Build();
    return Info;
}

TFieldDef* TFieldDefs::AddFieldDef(const AnsiString& Name, TFieldType DataType, int Size) {
    TFieldDef* D = AddItem();
    D->SetName(Name);
    D->SetDataType(DataType);
    D->SetSize(Size);
    return D;
}

TFieldDef* TFieldDefs::Find(const AnsiString& Name) const {
    for (int I = 0; I < Count(); ++I)
        if (SameName(Items(I)->Name(), Name)) return Items(I);
    return nullptr;
}
