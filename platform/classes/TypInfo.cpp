#include "platform/classes/TypInfo.h"

#include <map>

TFormValue TFormValue::Integer(int64_t V) {
    TFormValue R;
    R.Kind = vaInt;
    R.Int = V;
    return R;
}

TFormValue TFormValue::String(AnsiString S) {
    TFormValue R;
    R.Kind = vaString;
    R.Str = std::move(S);
    return R;
}

TFormValue TFormValue::Ident(AnsiString S) {
    TFormValue R;
    R.Kind = vaIdent;
    R.Str = std::move(S);
    return R;
}

TFormValue TFormValue::Boolean(bool B) { return Ident(B ? "True" : "False"); }

bool TClassInfo::InheritsFrom(const TClassInfo* Other) const {
    for (const TClassInfo* C = this; C; C = C->Parent)
        if (C == Other) return true;
    return false;
}

const TPropInfo* TClassInfo::FindProp(const AnsiString& N) const {
    for (auto& P : Props)
        if (SameText(P.Name, N)) return &P;
    return nullptr;
}

const TMethodInfo* TClassInfo::FindMethod(const AnsiString& N) const {
    for (const TClassInfo* C = this; C; C = C->Parent)
        for (auto& M : C->Methods)
            if (SameText(M.Name, N)) return &M;
    return nullptr;
}

const TFieldInfo* TClassInfo::FindField(const AnsiString& N) const {
    for (const TClassInfo* C = this; C; C = C->Parent)
        for (auto& F : C->Fields)
            if (SameText(F.Name, N)) return &F;
    return nullptr;
}

namespace {
std::map<AnsiString, std::vector<std::pair<AnsiString, int64_t>>>& IdentMaps() {
    static std::map<AnsiString, std::vector<std::pair<AnsiString, int64_t>>> M;
    return M;
}
std::map<AnsiString, const TClassInfo*>& Classes() {
    static std::map<AnsiString, const TClassInfo*> M;
    return M;
}
}  // namespace

void RegisterIntegerIdents(const AnsiString& Map, const std::vector<std::pair<AnsiString, int64_t>>& Idents) {
    auto& V = IdentMaps()[Map];
    V.insert(V.end(), Idents.begin(), Idents.end());
}

bool IdentToInt(const AnsiString& Map, const AnsiString& Ident, int64_t& Value) {
    auto It = IdentMaps().find(Map);
    if (It == IdentMaps().end()) return false;
    for (auto& [N, V] : It->second)
        if (SameText(N, Ident)) {
            Value = V;
            return true;
        }
    return false;
}

bool IntToIdent(const AnsiString& Map, int64_t Value, AnsiString& Ident) {
    auto It = IdentMaps().find(Map);
    if (It == IdentMaps().end()) return false;
    for (auto& [N, V] : It->second)
        if (V == Value) {
            Ident = N;
            return true;
        }
    return false;
}

void FormError(const TFormValue& V, const AnsiString& Msg) {
    throw EReadError(Format("line %d: ", V.Line) + Msg);
}

int64_t FormInt(const TFormValue& V, const AnsiString& IdentMap) {
    if (V.Kind == TFormValue::vaInt) return V.Int;
    int64_t R;
    if (V.Kind == TFormValue::vaIdent && !IdentMap.empty() && IdentToInt(IdentMap, V.Str, R)) return R;
    FormError(V, "an integer was expected" + (V.Kind == TFormValue::vaIdent ? ", not " + V.Str : AnsiString()));
}

bool FormBool(const TFormValue& V) {
    if (V.Kind == TFormValue::vaIdent) {
        if (SameText(V.Str, "True")) return true;
        if (SameText(V.Str, "False")) return false;
    }
    FormError(V, "True or False was expected");
}

AnsiString FormString(const TFormValue& V) {
    if (V.Kind == TFormValue::vaString) return V.Str;
    FormError(V, "a string was expected");
}

int FormEnum(const TFormValue& V, const std::vector<AnsiString>& Names) {
    if (V.Kind == TFormValue::vaIdent)
        for (size_t I = 0; I < Names.size(); ++I)
            if (SameText(Names[I], V.Str)) return static_cast<int>(I);
    if (V.Kind == TFormValue::vaInt && V.Int >= 0 && V.Int < static_cast<int64_t>(Names.size()))
        return static_cast<int>(V.Int);
    FormError(V, "invalid value " + (V.Kind == TFormValue::vaIdent ? V.Str : IntToStr(V.Int)));
}

uint32_t FormSet(const TFormValue& V, const std::vector<AnsiString>& Names) {
    if (V.Kind != TFormValue::vaSet) FormError(V, "a set [..] was expected");
    uint32_t Bits = 0;
    for (auto& E : V.Items) {
        bool Found = false;
        for (size_t I = 0; I < Names.size(); ++I)
            if (SameText(Names[I], E)) {
                Bits |= 1u << I;
                Found = true;
            }
        if (!Found) FormError(V, "invalid set element " + E);
    }
    return Bits;
}

void RegisterClass(const TClassInfo& Info) { Classes()[UpperCase(Info.Name)] = &Info; }

const TClassInfo* FindClass(const AnsiString& Name) {
    auto It = Classes().find(UpperCase(Name));
    return It == Classes().end() ? nullptr : It->second;
}
