#pragma once
#include <cstddef>
#include <string>

#include "platform/rtl/Strings.h"

// String resources of the program: 101 is the palette page of our controls, 102 the message
// that a performance-graph band holds no more points.
AnsiString LoadStr(int Ident);

// Resource strings of the library.
extern const char* const SOutOfRange;  // two integer placeholders
extern const char* const SFG;
extern const char* const SBG;
extern const char* const SFB;
inline AnsiString LoadResString(const char* S) { return S; }

// Bitmap resources found by name ("TCGAUGE"); units register their embedded BMP files.
void RegisterBitmapResource(const AnsiString& Name, const unsigned char* Data, size_t Size);
// The BMP file bytes, or empty when no resource has that name.
std::string FindBitmapResource(const AnsiString& Name);
