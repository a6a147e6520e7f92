#include <QImage>
#include <QString>
#include <algorithm>
#include <cstring>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Resources.h"

namespace {
// The 16 standard colours in the order of a 16-colour palette file.
constexpr uint8_t Standard16[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                       {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                       {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                       {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

uint32_t U16(const std::string& B, size_t At) {
    return static_cast<uint8_t>(B[At]) | static_cast<uint8_t>(B[At + 1]) << 8;
}
uint32_t U32(const std::string& B, size_t At) {
    return U16(B, At) | U16(B, At + 2) << 16;
}
void Put16(std::string& B, uint32_t V) {
    B.push_back(static_cast<char>(V & 0xFF));
    B.push_back(static_cast<char>(V >> 8 & 0xFF));
}
void Put32(std::string& B, uint32_t V) {
    Put16(B, V & 0xFFFF);
    Put16(B, V >> 16);
}

[[noreturn]] void Bad(const AnsiString& Why) {
    throw EReadError("invalid bitmap: " + Why);
}

std::string HeaderBytes(int Width, int Height, int Bpp, uint32_t PaletteSize, uint32_t ImageSize) {
    std::string B;
    const uint32_t Offset = 14 + 40 + PaletteSize * 4;
    B += "BM";
    Put32(B, Offset + ImageSize);
    Put32(B, 0);
    Put32(B, Offset);
    Put32(B, 40);
    Put32(B, static_cast<uint32_t>(Width));
    Put32(B, static_cast<uint32_t>(Height));
    Put16(B, 1);
    Put16(B, static_cast<uint32_t>(Bpp));
    Put32(B, 0);  // no compression
    Put32(B, ImageSize);
    Put32(B, 3780);  // 96 dpi
    Put32(B, 3780);
    Put32(B, PaletteSize);
    Put32(B, 0);
    return B;
}
}  // namespace

TBitmap::TBitmap() : FCanvas(std::make_unique<TCanvas>(this)) {}

TBitmap::~TBitmap() = default;

void TBitmap::SetWidth(int W) {
    SetSize(W, FHeight);
}
void TBitmap::SetHeight(int H) {
    SetSize(FWidth, H);
}

void TBitmap::SetSize(int W, int H) {
    W = std::max(W, 0);
    H = std::max(H, 0);
    if (W == FWidth && H == FHeight) return;
    if (static_cast<int64_t>(W) * H > (int64_t(1) << 28))
        throw EInvalidOperation("bitmap too large: " + IntToStr(W) + " x " + IntToStr(H));
    std::vector<uint32_t> P(static_cast<size_t>(W) * H, 0xFFFFFFFFu);
    const int CW = std::min(W, FWidth), CH = std::min(H, FHeight);
    if (CW > 0)
        for (int Y = 0; Y < CH; ++Y)
            std::memcpy(P.data() + static_cast<size_t>(Y) * W,
                        FPixels.data() + static_cast<size_t>(Y) * FWidth, CW * sizeof(uint32_t));
    FPixels.swap(P);
    FWidth = W;
    FHeight = H;
    if (HasDevice()) ResyncDevice();
}

TColor TBitmap::Pixel(int X, int Y) const {
    if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return 0xFFFFFFFFu;
    return PixelToColor(FPixels[static_cast<size_t>(Y) * FWidth + X]);
}

void TBitmap::SetPixel(int X, int Y, TColor C) {
    if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return;
    FPixels[static_cast<size_t>(Y) * FWidth + X] = ColorToPixel(C);
}

void TBitmap::Assign(const TPersistent& Source) {
    auto* B = dynamic_cast<const TBitmap*>(&Source);
    if (!B) return TPersistent::Assign(Source);
    if (B == this) return;
    FWidth = B->FWidth;
    FHeight = B->FHeight;
    FFileBpp = B->FFileBpp;
    FPixels = B->FPixels;
    if (HasDevice()) ResyncDevice();
}

void TBitmap::SetDeviceScale(double Scale) {
    if (Scale <= 0) Scale = 1;
    if (Scale == FScale) return;
    FScale = Scale;
    if (!HasDevice()) {
        FDevice = {};
        FFollowed = {};
        return;
    }
    ResyncDevice();
}

void TBitmap::ResyncDevice() {
    FDevice.assign(static_cast<size_t>(DeviceWidth()) * DeviceHeight(), 0);
    // Every pixel counts as changed.
    FFollowed.resize(FPixels.size());
    for (size_t I = 0; I < FPixels.size(); ++I) FFollowed[I] = ~FPixels[I];
    SyncDevice(Rect(0, 0, FWidth, FHeight));
}

void TBitmap::SyncDevice(const TRect& R) {
    if (!HasDevice()) return;
    const int L = std::max(R.Left, 0), T = std::max(R.Top, 0), Rt = std::min(R.Right, FWidth),
              B = std::min(R.Bottom, FHeight);
    const int DW = DeviceWidth();
    for (int Y = T; Y < B; ++Y) {
        const uint32_t* Src = FPixels.data() + static_cast<size_t>(Y) * FWidth;
        uint32_t* Seen = FFollowed.data() + static_cast<size_t>(Y) * FWidth;
        const int DY0 = DeviceX(Y), DY1 = DeviceX(Y + 1);
        for (int X = L; X < Rt; ++X) {
            if (Src[X] == Seen[X]) continue;
            Seen[X] = Src[X];
            const int DX0 = DeviceX(X), DX1 = DeviceX(X + 1);
            for (int DY = DY0; DY < DY1; ++DY)
                std::fill_n(FDevice.data() + static_cast<size_t>(DY) * DW + DX0, DX1 - DX0, Src[X]);
        }
    }
}

void TBitmap::AcceptDevice(const TRect& R) {
    if (!HasDevice()) return;
    const int L = std::max(R.Left, 0), T = std::max(R.Top, 0), Rt = std::min(R.Right, FWidth),
              B = std::min(R.Bottom, FHeight);
    for (int Y = T; Y < B; ++Y)
        if (Rt > L)
            std::memcpy(FFollowed.data() + static_cast<size_t>(Y) * FWidth + L,
                        FPixels.data() + static_cast<size_t>(Y) * FWidth + L, (Rt - L) * sizeof(uint32_t));
}

void TBitmap::LoadFromFile(const AnsiString& FileName) {
    LoadFromBytes(ReadFileBytes(FileName));
}

void TBitmap::LoadFromBytes(const std::string& B) {
    if (B.size() < 14 + 12 || B[0] != 'B' || B[1] != 'M') Bad("no BMP signature");
    const uint32_t DataOffset = U32(B, 10);
    const uint32_t HeaderSize = U32(B, 14);
    int64_t W, H;
    uint32_t Bpp, Compression = 0, Colors = 0;
    size_t PaletteAt, EntrySize;
    if (HeaderSize == 12) {  // the old core header
        W = U16(B, 18);
        H = static_cast<int16_t>(U16(B, 20));
        Bpp = U16(B, 24);
        PaletteAt = 14 + 12;
        EntrySize = 3;
    } else if (HeaderSize >= 40 && B.size() >= 14 + static_cast<size_t>(HeaderSize)) {
        W = static_cast<int32_t>(U32(B, 18));
        H = static_cast<int32_t>(U32(B, 22));
        Bpp = U16(B, 28);
        Compression = U32(B, 30);
        Colors = U32(B, 46);
        PaletteAt = 14 + HeaderSize;
        EntrySize = 4;
    } else {
        Bad("unknown header");
    }
    const bool TopDown = H < 0;
    H = std::llabs(H);
    if (W <= 0 || H <= 0 || W > 32768 || H > 32768 || W * H > (int64_t(1) << 26))
        Bad("size " + IntToStr(W) + " x " + IntToStr(H));
    if (Bpp != 1 && Bpp != 4 && Bpp != 8 && Bpp != 24 && Bpp != 32) Bad(IntToStr(Bpp) + " bits per pixel");
    // Uncompressed only; 32-bit files may name their (standard) masks.
    if (Compression != 0 && !(Compression == 3 && Bpp == 32)) Bad("compressed data");

    std::vector<uint32_t> Palette;
    if (Bpp <= 8) {
        size_t N = Colors ? Colors : (1u << Bpp);
        if (N > 256) Bad("palette of " + IntToStr(N));
        if (PaletteAt + N * EntrySize > B.size()) Bad("palette beyond the end");
        for (size_t I = 0; I < N; ++I) {
            size_t At = PaletteAt + I * EntrySize;
            uint8_t Blue = B[At], Green = B[At + 1], Red = B[At + 2];
            Palette.push_back(0xFF000000u | Red << 16 | Green << 8 | Blue);
        }
    }
    const size_t Stride = ((static_cast<size_t>(W) * Bpp + 31) / 32) * 4;
    if (DataOffset > B.size() || Stride * H > B.size() - DataOffset) Bad("pixel data beyond the end");

    std::vector<uint32_t> P(static_cast<size_t>(W) * H);
    for (int64_t Row = 0; Row < H; ++Row) {
        const unsigned char* Src =
            reinterpret_cast<const unsigned char*>(B.data()) + DataOffset + Row * Stride;
        const int64_t Y = TopDown ? Row : H - 1 - Row;
        uint32_t* Dst = &P[static_cast<size_t>(Y) * W];
        for (int64_t X = 0; X < W; ++X) {
            uint32_t V;
            switch (Bpp) {
                case 1:
                    V = Src[X / 8] >> (7 - X % 8) & 1;
                    break;
                case 4:
                    V = Src[X / 2] >> (X % 2 ? 0 : 4) & 0xF;
                    break;
                case 8:
                    V = Src[X];
                    break;
                case 24:
                    V = 0xFF000000u | Src[X * 3 + 2] << 16 | Src[X * 3 + 1] << 8 | Src[X * 3];
                    break;
                default:
                    V = 0xFF000000u | Src[X * 4 + 2] << 16 | Src[X * 4 + 1] << 8 | Src[X * 4];
                    break;
            }
            if (Bpp <= 8) {
                if (V >= Palette.size()) Bad("colour index " + IntToStr(V) + " outside the palette");
                V = Palette[V];
            }
            Dst[X] = V;
        }
    }
    FPixels.swap(P);
    FWidth = static_cast<int>(W);
    FHeight = static_cast<int>(H);
    FFileBpp = static_cast<int>(Bpp);
    if (HasDevice()) ResyncDevice();
}

void TBitmap::LoadFromResourceName(const AnsiString& Name) {
    std::string Bytes = FindBitmapResource(Name);
    if (Bytes.empty()) throw EReadError("Resource " + Name + " not found");
    LoadFromBytes(Bytes);
}

std::string TBitmap::SaveToBytes() const {
    const size_t Stride = (static_cast<size_t>(FWidth) * 3 + 3) / 4 * 4;
    std::string B = HeaderBytes(FWidth, FHeight, 24, 0, static_cast<uint32_t>(Stride * FHeight));
    for (int Y = FHeight - 1; Y >= 0; --Y) {
        const uint32_t* Row = ScanLine(Y);
        size_t Start = B.size();
        for (int X = 0; X < FWidth; ++X) {
            B.push_back(static_cast<char>(Row[X] & 0xFF));
            B.push_back(static_cast<char>(Row[X] >> 8 & 0xFF));
            B.push_back(static_cast<char>(Row[X] >> 16 & 0xFF));
        }
        B.resize(Start + Stride, '\0');
    }
    return B;
}

std::string TBitmap::SaveToBytes4Bit() const {
    const size_t Stride = (static_cast<size_t>(FWidth) * 4 + 31) / 32 * 4;
    std::string B = HeaderBytes(FWidth, FHeight, 4, 16, static_cast<uint32_t>(Stride * FHeight));
    for (auto& C : Standard16) {
        B.push_back(static_cast<char>(C[2]));
        B.push_back(static_cast<char>(C[1]));
        B.push_back(static_cast<char>(C[0]));
        B.push_back('\0');
    }
    auto Nearest = [](uint32_t P) {
        int Best = 0;
        int64_t BestD = INT64_MAX;
        for (int I = 0; I < 16; ++I) {
            int64_t DR = int(P >> 16 & 0xFF) - Standard16[I][0], DG = int(P >> 8 & 0xFF) - Standard16[I][1],
                    DB = int(P & 0xFF) - Standard16[I][2];
            int64_t D = DR * DR + DG * DG + DB * DB;
            if (D < BestD) {
                BestD = D;
                Best = I;
            }
        }
        return Best;
    };
    for (int Y = FHeight - 1; Y >= 0; --Y) {
        const uint32_t* Row = ScanLine(Y);
        std::string Line(Stride, '\0');
        for (int X = 0; X < FWidth; ++X) Line[X / 2] |= static_cast<char>(Nearest(Row[X]) << (X % 2 ? 0 : 4));
        B += Line;
    }
    return B;
}

void TBitmap::SaveToFile(const AnsiString& FileName) const {
    WriteFileAtomic(FileName, SaveToBytes());
}

bool TBitmap::SavePng(const AnsiString& FileName) const {
    if (FWidth == 0 || FHeight == 0) return false;
    QImage Image(reinterpret_cast<const uchar*>(FPixels.data()), FWidth, FHeight, FWidth * 4,
                 QImage::Format_RGB32);
    return Image.save(QString::fromStdString(FileName), "PNG");
}
