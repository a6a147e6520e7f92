#include "icalendar/Text.h"

#include <atomic>

#include "icalendar/EntryStore.h"
#include "platform/rtl/Cp949.h"
#include "store/Schedule.h"

namespace ICalendar {

namespace {
// Length of a valid UTF-8 sequence at S[I], or 0.
size_t Utf8Length(const AnsiString& S, size_t I) {
    auto B = [&](size_t K) { return static_cast<unsigned char>(S[K]); };
    unsigned char C = B(I);
    if (C < 0x80) return 1;
    size_t Len = (C >> 5) == 6 ? 2 : (C >> 4) == 14 ? 3 : (C >> 3) == 30 ? 4 : 0;
    if (Len == 0 || I + Len > S.size()) return 0;
    for (size_t K = 1; K < Len; ++K)
        if ((B(I + K) & 0xC0) != 0x80) return 0;
    uint32_t Cp = Len == 2 ? C & 0x1F : Len == 3 ? C & 0x0F : C & 0x07;
    for (size_t K = 1; K < Len; ++K) Cp = (Cp << 6) | (B(I + K) & 0x3F);
    bool Shortest = (Len == 2 && Cp >= 0x80) || (Len == 3 && Cp >= 0x800) || (Len == 4 && Cp >= 0x10000);
    if (!Shortest || Cp > 0x10FFFF || (Cp >= 0xD800 && Cp <= 0xDFFF)) return 0;
    return Len;
}

bool Ascii(const AnsiString& S) {
    for (unsigned char C : S)
        if (C >= 0x80) return false;
    return true;
}
}  // namespace

AnsiString ValidUtf8(const AnsiString& S) {
    if (Ascii(S)) return S;
    AnsiString Out;
    Out.reserve(S.size());
    for (size_t I = 0; I < S.size();) {
        size_t L = Utf8Length(S, I);
        if (L == 0) {
            Out += '?';
            ++I;
        } else {
            Out.append(S, I, L);
            I += L;
        }
    }
    return Out;
}

AnsiString NormalizeBreaks(const AnsiString& S) {
    if (S.find('\r') == AnsiString::npos) return S;
    AnsiString Out;
    for (size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '\r') {
            Out += '\n';
            if (I + 1 < S.size() && S[I + 1] == '\n') ++I;
        } else {
            Out += S[I];
        }
    }
    return Out;
}

AnsiString OneLine(const AnsiString& S) {
    AnsiString Out = S;
    for (char& C : Out)
        if (static_cast<unsigned char>(C) < 0x20 || C == 0x7F) C = ' ';
    return Out;
}

AnsiString ReplaceNonCp949(const AnsiString& S, bool& Replaced) {
    if (Ascii(S) || IsCp949Representable(S)) return S;
    AnsiString Out;
    for (size_t I = 0; I < S.size();) {
        size_t L = std::max<size_t>(Utf8Length(S, I), 1);
        AnsiString Ch = S.substr(I, L);
        if (static_cast<unsigned char>(Ch[0]) < 0x80 || IsCp949Representable(Ch)) {
            Out += Ch;
        } else {
            Out += '?';
            Replaced = true;
        }
        I += L;
    }
    return Out;
}

int Cp949Bytes(const AnsiString& S) {
    return Cp949Length(S);
}

AnsiString CutCp949(const AnsiString& S, int Width) {
    AnsiString Out;
    int Used = 0;
    for (size_t I = 0; I < S.size();) {
        size_t L = std::max<size_t>(Utf8Length(S, I), 1);
        AnsiString Ch = S.substr(I, L);
        int W = L == 1 ? 1 : Cp949Length(Ch);
        if (Used + W > Width) break;
        Out += Ch;
        Used += W;
        I += L;
    }
    return Out;
}

AnsiString MemoName(const AnsiString& Year, const AnsiString& Month, const AnsiString& Day,
                    const AnsiString& Time) {
    return Schedule::MemoFileName(Year, Month, Day, Time);
}

std::string MemoBytes(const AnsiString& Text) {
    AnsiString Crlf;
    Crlf.reserve(Text.size() + 8);
    for (char C : Text) {
        if (C == '\n') Crlf += '\r';
        Crlf += C;
    }
    return Utf8ToCp949(Crlf);
}

AnsiString MemoText(const std::string& Bytes) {
    AnsiString Text = Ascii(Bytes) ? Bytes : Cp949ToUtf8(Bytes);
    AnsiString Out;
    Out.reserve(Text.size());
    for (size_t I = 0; I < Text.size(); ++I) {
        if (Text[I] == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') continue;
        Out += Text[I];
    }
    return Out;
}

}  // namespace ICalendar

namespace ICalendar {
namespace {
// Not yet decided: follow the locale. Import and export ask from more than one thread.
std::atomic<int> GKorean = -1;
}  // namespace

void UseKoreanReasons(bool Korean) {
    GKorean = Korean;
}

const char* Say(const char* Korean, const char* English) {
    int K = GKorean;
    if (K < 0) GKorean = K = KoreanLocale();
    return K ? Korean : English;
}
}  // namespace ICalendar
