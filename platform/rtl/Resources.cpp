#include "platform/rtl/Resources.h"

#include <map>

const char* const SOutOfRange = "Value must be between %d and %d";
const char* const SFG = "FG";
const char* const SBG = "BG";
const char* const SFB = "FB";

AnsiString LoadStr(int Ident) {
    switch (Ident) {
        case 101:
            return "Agendix";
        case 102:
            return "This sample already holds 16 points; call Update before adding more";
        default:
            return "";
    }
}

namespace {
std::map<AnsiString, std::string>& Bitmaps() {
    static std::map<AnsiString, std::string> M;
    return M;
}
}  // namespace

void RegisterBitmapResource(const AnsiString& Name, const unsigned char* Data, size_t Size) {
    Bitmaps()[Name] = std::string(reinterpret_cast<const char*>(Data), Size);
}

std::string FindBitmapResource(const AnsiString& Name) {
    auto It = Bitmaps().find(Name);
    return It == Bitmaps().end() ? std::string() : It->second;
}
