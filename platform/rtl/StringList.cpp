#include "platform/rtl/StringList.h"

#include "platform/rtl/Cp949.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Files.h"

const AnsiString& TStrings::operator[](int Index) const {
    if (Index < 0 || Index >= Count()) throw ERangeError(Format("List index out of bounds (%d)", Index));
    return FItems[static_cast<size_t>(Index)];
}

void TStrings::SetString(int Index, const AnsiString& S) {
    if (Index < 0 || Index >= Count()) throw ERangeError(Format("List index out of bounds (%d)", Index));
    FItems[static_cast<size_t>(Index)] = S;
    Changed();
}

int TStrings::Add(const AnsiString& S) {
    FItems.push_back(S);
    Changed();
    return Count() - 1;
}

void TStrings::Insert(int Index, const AnsiString& S) {
    if (Index < 0 || Index > Count()) throw ERangeError(Format("List index out of bounds (%d)", Index));
    FItems.insert(FItems.begin() + Index, S);
    Changed();
}

void TStrings::Delete(int Index) {
    if (Index < 0 || Index >= Count()) throw ERangeError(Format("List index out of bounds (%d)", Index));
    FItems.erase(FItems.begin() + Index);
    Changed();
}

void TStrings::Clear() {
    if (FItems.empty()) return;
    FItems.clear();
    Changed();
}

int TStrings::IndexOf(const AnsiString& S) const {
    for (int I = 0; I < Count(); ++I)
        if (SameText(FItems[static_cast<size_t>(I)], S)) return I;
    return -1;
}

void TStrings::Assign(const TStrings& Source) {
    FItems = Source.FItems;
    Changed();
}

AnsiString TStrings::Text() const {
    AnsiString T;
    for (auto& S : FItems) T += S + "\r\n";
    return T;
}

void TStrings::SetText(const AnsiString& Text) {
    FItems.clear();
    AnsiString Cur;
    for (size_t I = 0; I < Text.size(); ++I) {
        char C = Text[I];
        if (C == '\r' || C == '\n') {
            FItems.push_back(Cur);
            Cur.clear();
            if (C == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') ++I;
        } else {
            Cur += C;
        }
    }
    if (!Cur.empty()) FItems.push_back(Cur);
    Changed();
}

void TStrings::LoadFromFile(const AnsiString& FileName) {
    std::string Bytes = ReadFileBytes(FileName);
    AnsiString Utf8;
    try {
        Utf8 = Cp949ToUtf8(Bytes);
    } catch (const EConvertError& E) {
        throw EReadError("Cannot read file \"" + FileName + "\": " + E.Message());
    }
    SetText(Utf8);
}

void TStrings::SaveToFile(const AnsiString& FileName) const { WriteFileAtomic(FileName, Utf8ToCp949(Text())); }

void TStrings::Changed() {
    if (OnChange) OnChange();
}
