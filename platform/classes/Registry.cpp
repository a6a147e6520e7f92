#include "platform/classes/Registry.h"

namespace {
std::vector<TPaletteEntry>& Palette() {
    static std::vector<TPaletteEntry> P;
    return P;
}
}  // namespace

void RegisterComponents(const AnsiString& Page, std::initializer_list<const TClassInfo*> Classes) {
    for (const TClassInfo* C : Classes) {
        RegisterClass(*C);
        bool Known = false;
        for (auto& E : Palette())
            if (E.Class == C) Known = true;
        if (!Known) Palette().push_back({Page, C});
    }
}

const std::vector<TPaletteEntry>& PaletteEntries() { return Palette(); }
