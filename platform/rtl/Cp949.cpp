#include "platform/rtl/Cp949.h"

#include <cerrno>
#include <iconv.h>

#include "platform/rtl/Exceptions.h"

namespace {
// Length of the UTF-8 sequence that starts at S[I].
size_t SequenceLength(const std::string& S, size_t I) {
    unsigned char C = static_cast<unsigned char>(S[I]);
    size_t Len = C < 0x80 ? 1 : (C >> 5) == 6 ? 2 : (C >> 4) == 14 ? 3 : (C >> 3) == 30 ? 4 : 1;
    return std::min(Len, S.size() - I);
}

// Opening a converter costs more than converting a field: each thread keeps one per direction.
struct TConverter {
    iconv_t Cd;
    TConverter(const char* To, const char* From) : Cd(iconv_open(To, From)) {}
    ~TConverter() {
        if (Cd != reinterpret_cast<iconv_t>(-1)) iconv_close(Cd);
    }
    TConverter(const TConverter&) = delete;
    TConverter& operator=(const TConverter&) = delete;
};

std::string Convert(const char* To, const char* From, const std::string& In, bool FromUtf8) {
    thread_local TConverter ToCp949("CP949", "UTF-8"), ToUtf8("UTF-8", "CP949");
    iconv_t Cd = FromUtf8 ? ToCp949.Cd : ToUtf8.Cd;
    if (Cd == reinterpret_cast<iconv_t>(-1)) throw EConvertError(AnsiString("no conversion from ") + From + " to " + To);
    iconv(Cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    std::string Out(In.size() * 2 + 4, '\0');
    char* InPtr = const_cast<char*>(In.data());
    size_t InLeft = In.size();
    char* OutPtr = Out.data();
    size_t OutLeft = Out.size();
    while (InLeft > 0) {
        if (iconv(Cd, &InPtr, &InLeft, &OutPtr, &OutLeft) != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            size_t Used = Out.size() - OutLeft;
            Out.resize(Out.size() * 2);
            OutPtr = Out.data() + Used;
            OutLeft = Out.size() - Used;
            continue;
        }
        size_t At = In.size() - InLeft;
        if (FromUtf8) {
            std::string Ch = In.substr(At, SequenceLength(In, At));
            throw EConvertError("the character '" + Ch + "' cannot be stored in the Korean code page (CP949)");
        }
        throw EConvertError("the text holds bytes that are not valid CP949 at offset " + std::to_string(At));
    }
    Out.resize(Out.size() - OutLeft);
    return Out;
}
}  // namespace

std::string Utf8ToCp949(const AnsiString& Utf8) { return Convert("CP949", "UTF-8", Utf8, true); }

AnsiString Cp949ToUtf8(const std::string& Bytes) { return Convert("UTF-8", "CP949", Bytes, false); }

int Cp949Length(const AnsiString& Utf8) {
    bool Ascii = true;
    for (char C : Utf8)
        if (static_cast<unsigned char>(C) >= 0x80) {
            Ascii = false;
            break;
        }
    if (Ascii) return static_cast<int>(Utf8.size());
    return static_cast<int>(Utf8ToCp949(Utf8).size());
}

bool IsCp949Representable(const AnsiString& Utf8) {
    try {
        Utf8ToCp949(Utf8);
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}
