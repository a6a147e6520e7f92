#include <cmath>

#include "platform/graphics/Graphics.h"

namespace {
// MulDiv's rounding: halves away from zero.
int MulDivRound(int A, int B, int C) {
    int64_t P = static_cast<int64_t>(A) * B;
    int64_t Q = (std::llabs(P) + C / 2) / C;
    return static_cast<int>(P < 0 ? -Q : Q);
}
constexpr int ScreenDpi = 96;
}  // namespace

// ---- TPen

const TClassInfo& TPen::StaticClassInfo() {
    static const TClassInfo Info = [] {
        RegisterColorIdents();
        return TClassBuilder<TPen>("TPen", &TPersistent::StaticClassInfo())
            .Int("Color", &TPen::Color, &TPen::SetColor, clBlack, "TColor")
            .Enum("Mode", &TPen::Mode, &TPen::SetMode, pmCopy,
                  {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmXor"})
            .Int("Width", &TPen::Width, &TPen::SetWidth, 1)
            .Build();
    }();
    return Info;
}

void TPen::SetColor(TColor V) {
    if (V == FColor) return;
    FColor = V;
    Changed();
}

void TPen::SetWidth(int V) {
    if (V < 1) V = 1;
    if (V == FWidth) return;
    FWidth = V;
    Changed();
}

void TPen::SetMode(TPenMode V) {
    if (V == FMode) return;
    FMode = V;
    Changed();
}

void TPen::Assign(const TPersistent& Source) {
    auto* P = dynamic_cast<const TPen*>(&Source);
    if (!P) return TPersistent::Assign(Source);
    if (P->FColor == FColor && P->FWidth == FWidth && P->FMode == FMode) return;
    FColor = P->FColor;
    FWidth = P->FWidth;
    FMode = P->FMode;
    Changed();
}

// ---- TBrush

const TClassInfo& TBrush::StaticClassInfo() {
    static const TClassInfo Info = [] {
        RegisterColorIdents();
        return TClassBuilder<TBrush>("TBrush", &TPersistent::StaticClassInfo())
            .Int("Color", &TBrush::Color, &TBrush::SetColor, clWhite, "TColor")
            .Enum("Style", &TBrush::Style, &TBrush::SetStyle, bsSolid, {"bsSolid", "bsClear"})
            .Build();
    }();
    return Info;
}

void TBrush::SetColor(TColor V) {
    if (V == FColor) return;
    FColor = V;
    Changed();
}

void TBrush::SetStyle(TBrushStyle V) {
    if (V == FStyle) return;
    FStyle = V;
    Changed();
}

void TBrush::Assign(const TPersistent& Source) {
    auto* B = dynamic_cast<const TBrush*>(&Source);
    if (!B) return TPersistent::Assign(Source);
    if (B->FColor == FColor && B->FStyle == FStyle) return;
    FColor = B->FColor;
    FStyle = B->FStyle;
    Changed();
}

// ---- TFont

const TClassInfo& TFont::StaticClassInfo() {
    static const TClassInfo Info = [] {
        RegisterColorIdents();
        return TClassBuilder<TFont>("TFont", &TPersistent::StaticClassInfo())
            .Int("Charset", &TFont::Charset, &TFont::SetCharset, DEFAULT_CHARSET, "TFontCharset")
            .Int("Color", &TFont::Color, &TFont::SetColor, clWindowText, "TColor")
            .Int("Height", &TFont::Height, &TFont::SetHeight, -11)
            .Str("Name", &TFont::Name, &TFont::SetName, "MS Sans Serif")
            .IntNotStored("Size", &TFont::Size, &TFont::SetSize)
            .Set("Style", &TFont::Style, &TFont::SetStyle, 0,
                 {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"})
            .Build();
    }();
    return Info;
}

void TFont::SetCharset(TFontCharset V) {
    if (V == FCharset) return;
    FCharset = V;
    Changed();
}

void TFont::SetColor(TColor V) {
    if (V == FColor) return;
    FColor = V;
    Changed();
}

void TFont::SetHeight(int V) {
    if (V == FHeight) return;
    FHeight = V;
    Changed();
}

void TFont::SetName(const AnsiString& V) {
    if (V == FName) return;
    FName = V;
    Changed();
}

int TFont::Size() const {
    return -MulDivRound(FHeight, 72, ScreenDpi);
}

void TFont::SetSize(int V) {
    SetHeight(-MulDivRound(V, ScreenDpi, 72));
}

void TFont::SetStyle(TFontStyles V) {
    V &= fsBold | fsItalic | fsUnderline | fsStrikeOut;
    if (V == FStyle) return;
    FStyle = V;
    Changed();
}

bool TFont::operator==(const TFont& O) const {
    return FCharset == O.FCharset && FColor == O.FColor && FHeight == O.FHeight && FName == O.FName &&
           FStyle == O.FStyle;
}

void TFont::Assign(const TPersistent& Source) {
    auto* F = dynamic_cast<const TFont*>(&Source);
    if (!F) return TPersistent::Assign(Source);
    if (*F == *this) return;
    FCharset = F->FCharset;
    FColor = F->FColor;
    FHeight = F->FHeight;
    FName = F->FName;
    FStyle = F->FStyle;
    Changed();
}
