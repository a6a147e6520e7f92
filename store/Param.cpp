#include "store/DB.h"
#include "store/Database.h"

namespace {
const std::vector<AnsiString> ParamTypeNames = {"ptUnknown", "ptInput", "ptOutput", "ptInputOutput",
                                                "ptResult"};

bool IsNameChar(char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '_' ||
           static_cast<unsigned char>(C) >= 0x80;
}
}  // namespace

const TClassInfo& TParam::StaticClassInfo() {
    static const TClassInfo Info =
        TClassBuilder<TParam>("TParam", &TCollectionItem::StaticClassInfo())
            .Str("Name", &TParam::Name, &TParam::SetName)
            .Enum("DataType", &TParam::DataType, &TParam::SetDataType, ftUnknown, FieldTypeNames())
            .Enum("ParamType", &TParam::ParamType, &TParam::SetParamType, ptUnknown, ParamTypeNames)
            .Build();
    return Info;
}

void TParam::SetAsString(const AnsiString& Value) {
    if (FDataType == ftUnknown) FDataType = ftString;
    FValue = Value;
}

int TParam::AsInteger() const {
    return FValue ? StrToInt(*FValue) : 0;
}

void TParam::SetAsInteger(int Value) {
    if (FDataType == ftUnknown) FDataType = ftInteger;
    FValue = IntToStr(Value);
}

TParam* TParams::FindParam(const AnsiString& Name) const {
    for (int I = 0; I < Count(); ++I)
        if (SameName(Items(I)->Name(), Name)) return Items(I);
    return nullptr;
}

TParam* TParams::ParamByName(const AnsiString& Name) const {
    if (TParam* P = FindParam(Name)) return P;
    throw EDatabaseError("Parameter '" + Name + "' not found");
}

TParam* TParams::CreateParam(TFieldType DataType, const AnsiString& Name, TParamType ParamType) {
    TParam* P = AddItem();
    P->SetName(Name);
    P->SetDataType(DataType);
    P->SetParamType(ParamType);
    return P;
}

void TParams::ParseSQL(const AnsiString& Sql) {
    std::vector<AnsiString> Names;
    for (size_t I = 0; I < Sql.size(); ++I) {
        char C = Sql[I];
        if (C == '\'' || C == '"') {  // quoted text and identifiers hold no parameters
            size_t End = Sql.find(C, I + 1);
            while (End != AnsiString::npos && End + 1 < Sql.size() && Sql[End + 1] == C)
                End = Sql.find(C, End + 2);
            if (End == AnsiString::npos) break;
            I = End;
        } else if (C == '-' && I + 1 < Sql.size() && Sql[I + 1] == '-') {
            I = Sql.find('\n', I);
            if (I == AnsiString::npos) break;
        } else if (C == ':' && I + 1 < Sql.size() && IsNameChar(Sql[I + 1]) &&
                   (I == 0 || Sql[I - 1] != ':')) {
            size_t End = I + 1;
            while (End < Sql.size() && IsNameChar(Sql[End])) ++End;
            AnsiString Name = Sql.substr(I + 1, End - I - 1);
            bool Seen = false;
            for (auto& N : Names) Seen = Seen || SameName(N, Name);
            if (!Seen) Names.push_back(Name);
            I = End - 1;
        }
    }
    // Keep what the caller set on parameters that stay.
    struct TKept {
        TFieldType DataType;
        TParamType ParamType;
        std::optional<AnsiString> Value;
    };
    std::vector<TKept> Kept;
    for (auto& N : Names) {
        TParam* Old = FindParam(N);
        Kept.push_back(Old ? TKept{Old->DataType(), Old->ParamType(), Old->Value()}
                           : TKept{ftUnknown, ptUnknown, {}});
    }
    Clear();
    for (size_t I = 0; I < Names.size(); ++I) {
        TParam* P = CreateParam(Kept[I].DataType, Names[I], Kept[I].ParamType);
        if (Kept[I].Value) P->SetAsString(*Kept[I].Value);
        P->SetDataType(Kept[I].DataType);
    }
}
