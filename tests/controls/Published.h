#pragma once
#include "platform/classes/TypInfo.h"

// A class's published property names in the order the form writer uses, each followed by a space.
inline AnsiString PublishedNames(const TClassInfo& Info) {
    AnsiString Names;
    for (const TPropInfo& P : Info.Props) Names += P.Name + " ";
    return Names;
}
