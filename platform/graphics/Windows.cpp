#include "platform/graphics/Windows.h"

#include <algorithm>
#include <cstring>

namespace {
struct TStockPalette {
    PALETTEENTRY Entries[20];
};
// The 16 standard colours at entries 0-7 and 12-19, and the four colours of the classic
// default palette at 8-11.
const TStockPalette DefaultPalette = {
    {{0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
     {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
     {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
     {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0}}};
}  // namespace

HGDIOBJ GetStockObject(int Object) {
    return Object == DEFAULT_PALETTE ? &DefaultPalette : nullptr;
}

unsigned GetPaletteEntries(HPALETTE Palette, unsigned Start, unsigned Count, PALETTEENTRY* Entries) {
    if (Palette != &DefaultPalette) return 0;
    constexpr unsigned Size = 20;
    if (!Entries) return Size;
    if (Start >= Size) return 0;
    unsigned N = std::min(Count, Size - Start);
    std::memcpy(Entries, DefaultPalette.Entries + Start, N * sizeof(PALETTEENTRY));
    return N;
}

bool InflateRect(TRect& R, int DX, int DY) {
    R.Left -= DX;
    R.Top -= DY;
    R.Right += DX;
    R.Bottom += DY;
    return true;
}

bool DrawFocusRect(HDC DC, const TRect& R) {
    if (!DC) return false;
    DC->DrawFocusRect(R);
    return true;
}

int SetBkMode(HDC DC, int Mode) {
    if (!DC || (Mode != TRANSPARENT && Mode != OPAQUE)) return 0;
    int Old = DC->BkMode();
    DC->SetBkMode(Mode);
    return Old;
}

int DrawTextA(HDC DC, const char* Text, int Length, TRect* R, uint32_t Format) {
    if (!DC || !Text || !R) return 0;
    AnsiString S = Length < 0 ? AnsiString(Text) : AnsiString(Text, strnlen(Text, Length));
    DC->DrawText(S, *R, Format);
    return DC->TextHeight(S);
}
