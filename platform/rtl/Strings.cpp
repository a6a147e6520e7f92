#include "platform/rtl/Strings.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cwctype>
#include <limits>
#include <locale.h>

#include "platform/rtl/Exceptions.h"

AnsiString IntToStr(int64_t Value) { return std::to_string(Value); }

int StrToInt(const AnsiString& S) {
    size_t I = 0;
    bool Negative = false;
    if (I < S.size() && (S[I] == '-' || S[I] == '+')) Negative = S[I++] == '-';
    if (I == S.size()) throw EConvertError("'" + S + "' is not a valid integer value");
    int64_t V = 0;
    for (; I < S.size(); ++I) {
        if (S[I] < '0' || S[I] > '9') throw EConvertError("'" + S + "' is not a valid integer value");
        V = V * 10 + (S[I] - '0');
        if (V > static_cast<int64_t>(std::numeric_limits<int>::max()) + 1)
            throw EConvertError("'" + S + "' is not a valid integer value");
    }
    if (Negative) V = -V;
    if (V > std::numeric_limits<int>::max() || V < std::numeric_limits<int>::min())
        throw EConvertError("'" + S + "' is not a valid integer value");
    return static_cast<int>(V);
}

int StrToIntDef(const AnsiString& S, int Default) {
    try {
        return StrToInt(S);
    } catch (const EConvertError&) {
        return Default;
    }
}

AnsiString FormatV(const char* Fmt, va_list Args) {
    va_list Copy;
    va_copy(Copy, Args);
    int N = std::vsnprintf(nullptr, 0, Fmt, Copy);
    va_end(Copy);
    if (N < 0) throw EConvertError(AnsiString("invalid format '") + Fmt + "'");
    AnsiString Out(static_cast<size_t>(N), '\0');
    std::vsnprintf(Out.data(), Out.size() + 1, Fmt, Args);
    return Out;
}

AnsiString Format(const char* Fmt, ...) {
    va_list Args;
    va_start(Args, Fmt);
    AnsiString S = FormatV(Fmt, Args);
    va_end(Args);
    return S;
}

AnsiString UpperCase(const AnsiString& S) {
    AnsiString R = S;
    for (char& C : R)
        if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 'a' + 'A');
    return R;
}

AnsiString LowerCase(const AnsiString& S) {
    AnsiString R = S;
    for (char& C : R)
        if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
    return R;
}

namespace {
locale_t Utf8Locale() {
    static locale_t L = [] {
        locale_t Loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        return Loc ? Loc : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
    }();
    return L;
}

// Decodes UTF-8 leniently: a malformed byte stands for itself.
template <class F>
AnsiString MapCodePoints(const AnsiString& S, F Map) {
    AnsiString Out;
    Out.reserve(S.size());
    size_t I = 0;
    while (I < S.size()) {
        unsigned char C = static_cast<unsigned char>(S[I]);
        uint32_t Cp;
        size_t Len;
        if (C < 0x80) {
            Cp = C;
            Len = 1;
        } else if ((C >> 5) == 6 && I + 1 < S.size()) {
            Cp = ((C & 0x1F) << 6) | (S[I + 1] & 0x3F);
            Len = 2;
        } else if ((C >> 4) == 14 && I + 2 < S.size()) {
            Cp = ((C & 0x0F) << 12) | ((S[I + 1] & 0x3F) << 6) | (S[I + 2] & 0x3F);
            Len = 3;
        } else if ((C >> 3) == 30 && I + 3 < S.size()) {
            Cp = ((C & 0x07) << 18) | ((S[I + 1] & 0x3F) << 12) | ((S[I + 2] & 0x3F) << 6) | (S[I + 3] & 0x3F);
            Len = 4;
        } else {
            Out += S[I++];
            continue;
        }
        uint32_t M = Map(Cp);
        if (M == Cp) {
            Out.append(S, I, Len);
        } else if (M < 0x80) {
            Out += static_cast<char>(M);
        } else if (M < 0x800) {
            Out += static_cast<char>(0xC0 | (M >> 6));
            Out += static_cast<char>(0x80 | (M & 0x3F));
        } else if (M < 0x10000) {
            Out += static_cast<char>(0xE0 | (M >> 12));
            Out += static_cast<char>(0x80 | ((M >> 6) & 0x3F));
            Out += static_cast<char>(0x80 | (M & 0x3F));
        } else {
            Out += static_cast<char>(0xF0 | (M >> 18));
            Out += static_cast<char>(0x80 | ((M >> 12) & 0x3F));
            Out += static_cast<char>(0x80 | ((M >> 6) & 0x3F));
            Out += static_cast<char>(0x80 | (M & 0x3F));
        }
        I += Len;
    }
    return Out;
}
}  // namespace

AnsiString AnsiUpperCase(const AnsiString& S) {
    return MapCodePoints(S, [](uint32_t C) { return static_cast<uint32_t>(towupper_l(C, Utf8Locale())); });
}

AnsiString AnsiLowerCase(const AnsiString& S) {
    return MapCodePoints(S, [](uint32_t C) { return static_cast<uint32_t>(towlower_l(C, Utf8Locale())); });
}

int CompareText(const AnsiString& A, const AnsiString& B) { return UpperCase(A).compare(UpperCase(B)); }

int AnsiCompareText(const AnsiString& A, const AnsiString& B) {
    int R = AnsiLowerCase(A).compare(AnsiLowerCase(B));
    return R < 0 ? -1 : R > 0 ? 1 : 0;
}

// Names in form descriptions and property tables are plain ASCII: compared byte by byte, without
// the copies that full case mapping makes.
bool SameText(const AnsiString& A, const AnsiString& B) {
    auto Ascii = [](const AnsiString& S) {
        return std::all_of(S.begin(), S.end(), [](unsigned char C) { return C < 0x80; });
    };
    if (!Ascii(A) || !Ascii(B)) return AnsiCompareText(A, B) == 0;
    if (A.size() != B.size()) return false;
    for (size_t I = 0; I < A.size(); ++I) {
        unsigned char X = A[I], Y = B[I];
        if (X != Y && ((X | 0x20) != (Y | 0x20) || (X | 0x20) < 'a' || (X | 0x20) > 'z')) return false;
    }
    return true;
}

int AnsiPos(const AnsiString& Sub, const AnsiString& S) {
    if (Sub.empty()) return 0;
    size_t P = S.find(Sub);
    return P == AnsiString::npos ? 0 : static_cast<int>(P) + 1;
}

AnsiString Trim(const AnsiString& S) {
    size_t B = 0, E = S.size();
    while (B < E && static_cast<unsigned char>(S[B]) <= ' ') ++B;
    while (E > B && static_cast<unsigned char>(S[E - 1]) <= ' ') --E;
    return S.substr(B, E - B);
}

AnsiString StringOfChar(char C, int Count) { return Count > 0 ? AnsiString(static_cast<size_t>(Count), C) : ""; }
