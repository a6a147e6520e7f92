#pragma once
#include <vector>

#include "platform/classes/TypInfo.h"

// The component palette of form designers: classes by page, in registration order.
struct TPaletteEntry {
    AnsiString Page;
    const TClassInfo* Class;
};
void RegisterComponents(const AnsiString& Page, std::initializer_list<const TClassInfo*> Classes);
const std::vector<TPaletteEntry>& PaletteEntries();
