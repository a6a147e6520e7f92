#pragma once
#include <cstdint>

#include "platform/graphics/Graphics.h"

// The few Win32 drawing calls the controls make, over our canvas.
using HDC = TCanvas*;
using HGDIOBJ = const void*;
using HPALETTE = const void*;
struct PALETTEENTRY {
    uint8_t peRed, peGreen, peBlue, peFlags;
};
constexpr int DEFAULT_PALETTE = 15;
HGDIOBJ GetStockObject(int Object);
// The stock default palette has 20 entries: the 16 standard colours and 4 of the system's.
unsigned GetPaletteEntries(HPALETTE Palette, unsigned Start, unsigned Count, PALETTEENTRY* Entries);
bool InflateRect(TRect& R, int DX, int DY);
bool DrawFocusRect(HDC DC, const TRect& R);
int SetBkMode(HDC DC, int Mode);  // returns the previous mode

constexpr uint32_t DT_TOP = 0x00, DT_LEFT = 0x00, DT_CENTER = 0x01, DT_RIGHT = 0x02, DT_VCENTER = 0x04,
                   DT_BOTTOM = 0x08, DT_SINGLELINE = 0x20, DT_NOCLIP = 0x100;
// Length -1 takes the whole text. Returns the text height.
int DrawTextA(HDC DC, const char* Text, int Length, TRect* R, uint32_t Format);
