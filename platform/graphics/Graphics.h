#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/TypInfo.h"

struct TPoint {
    int X = 0, Y = 0;
    bool operator==(const TPoint&) const = default;
};
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};
inline TRect Rect(int L, int T, int R, int B) {
    return {L, T, R, B};
}
inline TPoint Point(int X, int Y) {
    return {X, Y};
}

// A plain colour is red + green * 256 + blue * 65536; the top bit names a system colour.
using TColor = uint32_t;
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
constexpr TColor clScrollBar = 0x80000000, clBackground = 0x80000001, clActiveCaption = 0x80000002,
                 clInactiveCaption = 0x80000003, clMenu = 0x80000004, clWindow = 0x80000005,
                 clWindowFrame = 0x80000006, clMenuText = 0x80000007, clWindowText = 0x80000008,
                 clCaptionText = 0x80000009, clActiveBorder = 0x8000000A, clInactiveBorder = 0x8000000B,
                 clAppWorkSpace = 0x8000000C, clHighlight = 0x8000000D, clHighlightText = 0x8000000E,
                 clBtnFace = 0x8000000F, clBtnShadow = 0x80000010, clGrayText = 0x80000011,
                 clBtnText = 0x80000012, clInactiveCaptionText = 0x80000013, clBtnHighlight = 0x80000014,
                 cl3DDkShadow = 0x80000015, cl3DLight = 0x80000016, clInfoText = 0x80000017,
                 clInfoBk = 0x80000018, clNone = 0x1FFFFFFF, clDefault = 0x20000000;
// Resolves a system colour through the classic fixed table; plain colours pass unchanged.
TColor ColorToRGB(TColor Color);
constexpr uint8_t GetRValue(TColor C) {
    return C & 0xFF;
}
constexpr uint8_t GetGValue(TColor C) {
    return (C >> 8) & 0xFF;
}
constexpr uint8_t GetBValue(TColor C) {
    return (C >> 16) & 0xFF;
}
constexpr TColor RGB(uint8_t R, uint8_t G, uint8_t B) {
    return R | (G << 8) | (B << 16);
}
// The 0xFFRRGGBB word that a bitmap keeps for a colour (system colours resolved), and back.
inline uint32_t ColorToPixel(TColor C) {
    C = ColorToRGB(C);
    return 0xFF000000u | (C & 0xFF) << 16 | (C & 0xFF00) | (C >> 16 & 0xFF);
}
inline TColor PixelToColor(uint32_t P) {
    return (P >> 16 & 0xFF) | (P & 0xFF00) | (P & 0xFF) << 16;
}
// Registers colour names (clBtnFace, ...) and the TFontCharset names for form descriptions.
void RegisterColorIdents();

enum TPenMode : uint8_t { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmXor };
enum TBrushStyle : uint8_t { bsSolid, bsClear };
enum TFontStyle : uint32_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint32_t;
using TFontCharset = uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, HANGEUL_CHARSET = 129;

class TGraphicsObject : public TPersistent {
  public:
    std::function<void()> OnChange;

  protected:
    void Changed() {
        if (OnChange) OnChange();
    }
};

class TPen : public TGraphicsObject {
    AGENDIX_CLASS(TPen)
    TColor Color() const { return FColor; }
    void SetColor(TColor V);
    int Width() const { return FWidth; }
    void SetWidth(int V);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode V);
    void Assign(const TPersistent& Source) override;

  private:
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenMode FMode = pmCopy;
};

class TBrush : public TGraphicsObject {
    AGENDIX_CLASS(TBrush)
    TColor Color() const { return FColor; }
    void SetColor(TColor V);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle V);
    void Assign(const TPersistent& Source) override;

  private:
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
};

// Font names of the forms map to installed faces: "굴림체" to NanumGothicCoding, "MS Sans Serif"
// to a sans-serif face. A negative height is the character height in pixels.
class TFont : public TGraphicsObject {
    AGENDIX_CLASS(TFont)
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset V);
    TColor Color() const { return FColor; }
    void SetColor(TColor V);
    int Height() const { return FHeight; }
    void SetHeight(int V);
    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& V);
    int Size() const;  // points at 96 dpi
    void SetSize(int V);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles V);
    void Assign(const TPersistent& Source) override;
    bool operator==(const TFont& O) const;

  private:
    TFontCharset FCharset = DEFAULT_CHARSET;
    TColor FColor = clWindowText;
    int FHeight = -11;
    AnsiString FName = "MS Sans Serif";
    TFontStyles FStyle = 0;
};

using TCopyMode = uint32_t;
constexpr TCopyMode cmBlackness = 0x00000042, cmDstInvert = 0x00550009, cmMergeCopy = 0x00C000CA,
                    cmMergePaint = 0x00BB0226, cmNotSrcCopy = 0x00330008, cmNotSrcErase = 0x001100A6,
                    cmPatCopy = 0x00F00021, cmPatInvert = 0x005A0049, cmPatPaint = 0x00FB0A09,
                    cmSrcAnd = 0x008800C6, cmSrcCopy = 0x00CC0020, cmSrcErase = 0x00440328,
                    cmSrcInvert = 0x00660046, cmSrcPaint = 0x00EE0086, cmWhiteness = 0x00FF0062;
constexpr int TRANSPARENT = 1, OPAQUE = 2;

class TBitmap;

// Drawing on a bitmap's pixels with GDI's rules: right and bottom edges exclusive, LineTo leaves
// its end point, outlines inside the bounding box, pen mode not inverts what the shape covers.
class TCanvas : public TPersistent {
  public:
    explicit TCanvas(TBitmap* Surface = nullptr);
    ~TCanvas() override;
    void SetSurface(TBitmap* Surface);
    TBitmap* Surface() const { return FSurface; }

    TPen* Pen() const { return FPen.get(); }
    TBrush* Brush() const { return FBrush.get(); }
    TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont& F) { FFont->Assign(F); }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode M) { FCopyMode = M; }
    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(TPoint P) { FPenPos = P; }
    int BkMode() const { return FBkMode; }
    void SetBkMode(int M) { FBkMode = M; }
    // Drawing is clipped to this rectangle as well as to the surface.
    TRect ClipRect() const;
    void SetClipRect(const TRect& R);
    void ResetClipRect();
    TCanvas* Handle() { return this; }

    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
    void FillRect(const TRect& R);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
    void TextOut(int X, int Y, const AnsiString& Text);
    void TextRect(const TRect& R, int X, int Y, const AnsiString& Text);
    int TextWidth(const AnsiString& Text);
    int TextHeight(const AnsiString& Text);
    void CopyRect(const TRect& Dest, TCanvas* Source, const TRect& Src);
    void Draw(int X, int Y, TBitmap* Source);
    void StretchDraw(const TRect& Dest, TBitmap* Source);
    TColor Pixel(int X, int Y) const;
    void SetPixel(int X, int Y, TColor C);
    // Inverts a dotted frame (DrawFocusRect); drawn twice it restores the pixels.
    void DrawFocusRect(const TRect& R);
    // Draws one line of text inside R with the DT_ flags of DrawTextA.
    void DrawText(const AnsiString& Text, TRect R, uint32_t Format);

    // Called after every operation that changed pixels, so a control can show them.
    std::function<void()> OnChange;

  private:
    void Changed();
    // Writes one pixel value over R, clipped; no change notice.
    void FillPixels(const TRect& R, uint32_t Pixel);
    void DrawLine(TPoint From, TPoint To);
    void DrawTextAt(int X, int Y, const AnsiString& Text, const TRect* Clip, bool Opaque);
    TBitmap* FSurface = nullptr;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    std::unique_ptr<TFont> FFont;
    TCopyMode FCopyMode = cmSrcCopy;
    TPoint FPenPos;
    int FBkMode = OPAQUE;
    bool FHasClip = false;
    TRect FClip;
    // Where pixels may have changed since the surface's device copy last followed them.
    void Damage(const TRect& R);
    bool FHasDamage = false;
    TRect FDamage{};
};

// Pixels are kept as 0xFFRRGGBB words, row by row.
class TBitmap : public TPersistent {
  public:
    TBitmap();
    ~TBitmap() override;
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetWidth(int W);
    void SetHeight(int H);
    void SetSize(int W, int H);  // keeps the pixels that still fit; new ones are white
    TCanvas* Canvas() const { return FCanvas.get(); }
    TColor Pixel(int X, int Y) const;  // plain RGB colour; 0xFFFFFFFF outside the bitmap
    void SetPixel(int X, int Y, TColor C);
    uint32_t* ScanLine(int Y) { return FPixels.data() + static_cast<size_t>(Y) * FWidth; }
    const uint32_t* ScanLine(int Y) const { return FPixels.data() + static_cast<size_t>(Y) * FWidth; }
    uint32_t* Bits() { return FPixels.data(); }
    // Bits per pixel of the file last loaded (4 for a 16-colour palette bitmap), 24 otherwise.
    int FileBitsPerPixel() const { return FFileBpp; }
    void LoadFromFile(const AnsiString& FileName);  // BMP of 1, 4, 8, 24 or 32 bits per pixel
    void LoadFromBytes(const std::string& Bytes);
    void LoadFromResourceName(const AnsiString& Name);  // EResNotFound-like EReadError
    void SaveToFile(const AnsiString& FileName) const;  // 24-bit BMP
    std::string SaveToBytes() const;
    // 4-bit BMP with the 16 standard colours (palette images); pixels snap to the nearest one.
    std::string SaveToBytes4Bit() const;
    bool SavePng(const AnsiString& FileName) const;  // for looking at drawings
    void Assign(const TPersistent& Source) override;

    // A copy at Scale device pixels per pixel for screens that have more of them, which the
    // canvas keeps in step: text is drawn at that resolution, everything else repeats each pixel
    // as a block, so lines and fills keep their places. Scale 1 drops the copy.
    void SetDeviceScale(double Scale);
    double DeviceScale() const { return FScale; }
    bool HasDevice() const { return FScale != 1.0; }
    int DeviceWidth() const { return DeviceX(FWidth); }
    int DeviceHeight() const { return DeviceX(FHeight); }
    uint32_t* DeviceBits() { return FDevice.data(); }
    // The first device pixel of pixel X (or Y).
    int DeviceX(int X) const { return static_cast<int>(X * FScale + 0.5); }
    // Repeats the pixels in R that changed since the copy last followed them.
    void SyncDevice(const TRect& R);
    // The canvas drew R on the copy itself: it already shows R's pixels.
    void AcceptDevice(const TRect& R);
    // The whole copy again from the pixels, as blocks.
    void ResyncDevice();
    // What the canvas keeps between the texts it draws on these pixels.
    std::shared_ptr<void>& TextCache() { return FTextCache; }

  private:
    int FWidth = 0, FHeight = 0, FFileBpp = 24;
    std::vector<uint32_t> FPixels;
    std::unique_ptr<TCanvas> FCanvas;
    double FScale = 1.0;
    std::vector<uint32_t> FDevice, FFollowed;  // the copy, and the pixels it shows
    std::shared_ptr<void> FTextCache;
};

// Two nested frames: top and left edges in TopColor, bottom and right in BottomColor; the
// rectangle shrinks by Width on every side. Draws with the canvas pen, leaving it one pixel wide
// in BottomColor.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);
