#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <vector>

#include "platform/graphics/Graphics.h"

namespace {
constexpr uint32_t Opaque = 0xFF000000u;

TRect Intersect(const TRect& A, const TRect& B) {
    TRect R{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
            std::min(A.Bottom, B.Bottom)};
    if (R.Right < R.Left) R.Right = R.Left;
    if (R.Bottom < R.Top) R.Bottom = R.Top;
    return R;
}
bool Empty(const TRect& R) {
    return R.Right <= R.Left || R.Bottom <= R.Top;
}
TRect Normalized(int X1, int Y1, int X2, int Y2) {
    return {std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)};
}

// glibc's wmemset fills 32-bit words with vector stores (wchar_t is 32 bits here).
static_assert(sizeof(wchar_t) == sizeof(uint32_t));
inline void Fill32(uint32_t* P, uint32_t V, size_t N) {
    std::wmemset(reinterpret_cast<wchar_t*>(P), static_cast<wchar_t>(V), N);
}

inline uint32_t Mix(TPenMode M, uint32_t Dst, uint32_t Src) {
    switch (M) {
        case pmBlack:
            return Opaque;
        case pmWhite:
            return 0xFFFFFFFFu;
        case pmNop:
            return Dst;
        case pmNot:
            return ~Dst | Opaque;
        case pmCopy:
            return Src;
        case pmNotCopy:
            return ~Src | Opaque;
        case pmXor:
            return (Dst ^ Src) | Opaque;
    }
    return Src;
}

void MixSpan(uint32_t* Row, int X0, int X1, TPenMode M, uint32_t Src) {
    if (X1 <= X0) return;
    if (M == pmCopy) {
        Fill32(Row + X0, Src, X1 - X0);
        return;
    }
    for (int X = X0; X < X1; ++X) Row[X] = Mix(M, Row[X], Src);
}

// The raster operation's truth table is bits 16..23 of the code, indexed by pattern * 4 +
// source * 2 + destination.
inline uint8_t RopTable(TCopyMode Mode) {
    return static_cast<uint8_t>(Mode >> 16);
}
inline bool RopUsesSource(uint8_t T) {
    return ((T & 0xCC) >> 2) != (T & 0x33);
}

inline uint32_t RopGeneric(uint8_t T, uint32_t P, uint32_t S, uint32_t D) {
    uint32_t R = 0;
    for (int I = 0; I < 8; ++I)
        if (T >> I & 1) R |= ((I & 4) ? P : ~P) & ((I & 2) ? S : ~S) & ((I & 1) ? D : ~D);
    return R;
}

template <class Op>
inline void RopLoop(const uint32_t* S, uint32_t* D, int N, Op F) {
    for (int I = 0; I < N; ++I) D[I] = F(S ? S[I] : 0u, D[I]) | Opaque;
}

// Combines N source pixels into N destination pixels; S may be null for operations without source.
void RopRow(uint8_t T, uint32_t P, const uint32_t* S, uint32_t* D, int N) {
    switch (T) {
        case 0xCC:
            std::memmove(D, S, N * sizeof(uint32_t));
            return;
        case 0x00:
            Fill32(D, Opaque, N);
            return;
        case 0xFF:
            Fill32(D, 0xFFFFFFFFu, N);
            return;
        case 0xF0:
            Fill32(D, P, N);
            return;
        case 0x66:
            return RopLoop(S, D, N, [](uint32_t s, uint32_t d) { return s ^ d; });
        case 0x88:
            return RopLoop(S, D, N, [](uint32_t s, uint32_t d) { return s & d; });
        case 0xEE:
            return RopLoop(S, D, N, [](uint32_t s, uint32_t d) { return s | d; });
        case 0x33:
            return RopLoop(S, D, N, [](uint32_t s, uint32_t) { return ~s; });
        case 0x55:
            return RopLoop(S, D, N, [](uint32_t, uint32_t d) { return ~d; });
        case 0x44:
            return RopLoop(S, D, N, [](uint32_t s, uint32_t d) { return s & ~d; });
        case 0x11:
            return RopLoop(S, D, N, [](uint32_t s, uint32_t d) { return ~(s | d); });
        case 0xBB:
            return RopLoop(S, D, N, [](uint32_t s, uint32_t d) { return ~s | d; });
        case 0xC0:
            return RopLoop(S, D, N, [P](uint32_t s, uint32_t) { return P & s; });
        case 0x5A:
            return RopLoop(S, D, N, [P](uint32_t, uint32_t d) { return P ^ d; });
        case 0xFB:
            return RopLoop(S, D, N, [P](uint32_t s, uint32_t d) { return P | ~s | d; });
        default:
            return RopLoop(S, D, N, [T, P](uint32_t s, uint32_t d) { return RopGeneric(T, P, s, d); });
    }
}

// Steps of a line from one point to another, both ends included.
template <class Plot>
void Bresenham(TPoint A, TPoint B, bool IncludeEnd, Plot F) {
    int64_t X = A.X, Y = A.Y;
    const int64_t DX = std::llabs(int64_t(B.X) - A.X), DY = -std::llabs(int64_t(B.Y) - A.Y);
    const int SX = A.X < B.X ? 1 : -1, SY = A.Y < B.Y ? 1 : -1;
    int64_t Err = DX + DY;
    for (;;) {
        bool AtEnd = X == B.X && Y == B.Y;
        if (AtEnd && !IncludeEnd) return;
        if (!F(X, Y)) return;
        if (AtEnd) return;
        int64_t E2 = 2 * Err;
        if (E2 >= DY) {
            Err += DY;
            X += SX;
        }
        if (E2 <= DX) {
            Err += DX;
            Y += SY;
        }
    }
}

// Rows of an ellipse inscribed in [X1, X2) x [Y1, Y2): a pixel belongs when its centre lies in
// the ellipse; the centre row(s) and column(s) always do, so the shape touches all four sides.
struct TEllipseRows {
    int X1, Y1, X2, Y2;
    // The half-open span [L, R) of row Y (inside the box).
    void Span(int Y, int& L, int& R) const {
        const int64_t W = X2 - X1, H = Y2 - Y1;
        const int64_t DY = 2 * int64_t(Y) + 1 - (int64_t(Y1) + Y2);
        const int64_t MinDx = (W % 2 == 1) ? 0 : 1;  // parity of doubled offsets in this row
        int64_t MaxDx;
        if (std::llabs(DY) <= 1) {
            MaxDx = W - 1;
        } else {
            // dx^2 H^2 + dy^2 W^2 <= W^2 H^2
            const __int128 Lim = static_cast<__int128>(W) * W * (H * H - DY * DY);
            const __int128 H2 = static_cast<__int128>(H) * H;
            if (Lim < 0) {
                MaxDx = MinDx;
            } else {
                MaxDx = static_cast<int64_t>(std::sqrt(static_cast<double>(Lim) / static_cast<double>(H2)));
                while (MaxDx > 0 && static_cast<__int128>(MaxDx) * MaxDx * H2 > Lim) --MaxDx;
                while (static_cast<__int128>(MaxDx + 1) * (MaxDx + 1) * H2 <= Lim) ++MaxDx;
                if ((MaxDx - MinDx) % 2 != 0) --MaxDx;
                if (MaxDx < MinDx) MaxDx = MinDx;
                if (MaxDx > W - 1) MaxDx = W - 1;
            }
        }
        L = static_cast<int>(X1 + (W - 1 - MaxDx) / 2);
        R = static_cast<int>(X1 + (W - 1 + MaxDx) / 2 + 1);
    }
};

// Points in the counterclockwise sweep from ray A to ray B (y grows upwards in these vectors).
struct TSector {
    int64_t AX, AY, BX, BY;
    bool Full;
    static __int128 Cross(int64_t X1, int64_t Y1, int64_t X2, int64_t Y2) {
        return static_cast<__int128>(X1) * Y2 - static_cast<__int128>(Y1) * X2;
    }
    bool Contains(int64_t PX, int64_t PY) const {
        if (Full) return true;
        __int128 AB = Cross(AX, AY, BX, BY);
        __int128 AP = Cross(AX, AY, PX, PY), PB = Cross(PX, PY, BX, BY);
        if (AB > 0) return AP >= 0 && PB >= 0;
        if (AB == 0) return AP >= 0;  // half a turn: the left side of A
        // More than half a turn: everything except the open sweep from B back to A.
        return !(Cross(BX, BY, PX, PY) > 0 && Cross(PX, PY, AX, AY) > 0);
    }
};
// Pens wider than this are drawn this wide, which bounds the work that bad input can cause.
inline int PenReach(int Width) {
    return std::clamp(Width, 1, 256);
}
}  // namespace

TCanvas::TCanvas(TBitmap* Surface)
    : FSurface(Surface),
      FPen(std::make_unique<TPen>()),
      FBrush(std::make_unique<TBrush>()),
      FFont(std::make_unique<TFont>()) {}

TCanvas::~TCanvas() = default;

void TCanvas::SetSurface(TBitmap* Surface) {
    FSurface = Surface;
}

void TCanvas::Damage(const TRect& R) {
    if (!FSurface || !FSurface->HasDevice() || Empty(R)) return;
    FDamage = FHasDamage ? TRect{std::min(FDamage.Left, R.Left), std::min(FDamage.Top, R.Top),
                                 std::max(FDamage.Right, R.Right), std::max(FDamage.Bottom, R.Bottom)}
                         : R;
    FHasDamage = true;
}

void TCanvas::Changed() {
    if (FHasDamage && FSurface) FSurface->SyncDevice(FDamage);
    FHasDamage = false;
    if (OnChange) OnChange();
}

TRect TCanvas::ClipRect() const {
    TRect B = FSurface ? Rect(0, 0, FSurface->Width(), FSurface->Height()) : TRect{};
    return FHasClip ? Intersect(B, FClip) : B;
}

void TCanvas::SetClipRect(const TRect& R) {
    FHasClip = true;
    FClip = R;
}

void TCanvas::ResetClipRect() {
    FHasClip = false;
}

void TCanvas::FillPixels(const TRect& R, uint32_t Pixel) {
    TRect C = Intersect(R, ClipRect());
    if (Empty(C)) return;
    Damage(C);
    for (int Y = C.Top; Y < C.Bottom; ++Y) Fill32(FSurface->ScanLine(Y) + C.Left, Pixel, C.Width());
}

TColor TCanvas::Pixel(int X, int Y) const {
    return FSurface ? FSurface->Pixel(X, Y) : 0xFFFFFFFFu;
}

void TCanvas::SetPixel(int X, int Y, TColor C) {
    TRect Clip = ClipRect();
    if (X < Clip.Left || X >= Clip.Right || Y < Clip.Top || Y >= Clip.Bottom) return;
    FSurface->ScanLine(Y)[X] = ColorToPixel(C);
    Damage(Rect(X, Y, X + 1, Y + 1));
    Changed();
}

void TCanvas::MoveTo(int X, int Y) {
    FPenPos = {X, Y};
}

void TCanvas::LineTo(int X, int Y) {
    DrawLine(FPenPos, {X, Y});
    FPenPos = {X, Y};
    Changed();
}

void TCanvas::DrawLine(TPoint From, TPoint To) {
    const TRect Clip = ClipRect();
    if (Empty(Clip)) return;
    {
        const int Reach = PenReach(FPen->Width());
        TRect Box = Normalized(From.X, From.Y, To.X, To.Y);
        Damage(Intersect({Box.Left - Reach, Box.Top - Reach, Box.Right + Reach + 1, Box.Bottom + Reach + 1},
                         Clip));
    }
    const TPenMode Mode = FPen->Mode();
    const uint32_t Src = ColorToPixel(FPen->Color());
    const int W = PenReach(FPen->Width());
    const int64_t Len = std::max(std::llabs(int64_t(To.X) - From.X), std::llabs(int64_t(To.Y) - From.Y));
    if (W <= 1 && (From.Y == To.Y || From.X == To.X)) {
        // Straight lines are spans: the common case (grids, frames), and cheap at any length.
        TRect Line = From.Y == To.Y ? (From.X < To.X ? Rect(From.X, From.Y, To.X, From.Y + 1)
                                                     : Rect(To.X + 1, From.Y, From.X + 1, From.Y + 1))
                                    : (From.Y < To.Y ? Rect(From.X, From.Y, From.X + 1, To.Y)
                                                     : Rect(From.X, To.Y + 1, From.X + 1, From.Y + 1));
        TRect C = Intersect(Line, Clip);
        for (int Y = C.Top; Y < C.Bottom; ++Y) MixSpan(FSurface->ScanLine(Y), C.Left, C.Right, Mode, Src);
        return;
    }
    // Walking a line costs its length; lines that long only come from bad input.
    if (Len > (int64_t(1) << 24)) return;
    if (W <= 1) {
        Bresenham(From, To, false, [&](int64_t X, int64_t Y) {
            if (X >= Clip.Left && X < Clip.Right && Y >= Clip.Top && Y < Clip.Bottom) {
                uint32_t& P = FSurface->ScanLine(static_cast<int>(Y))[X];
                P = Mix(Mode, P, Src);
            }
            return true;
        });
        return;
    }
    // A wide pen stamps a W x W square at every step; each covered pixel is mixed once.
    const int Back = W / 2;
    TRect Box = Normalized(From.X, From.Y, To.X, To.Y);
    Box = {Box.Left - Back, Box.Top - Back, Box.Right - Back + W, Box.Bottom - Back + W};
    TRect Area = Intersect(Box, Clip);
    if (Empty(Area)) return;
    const int AW = Area.Width(), AH = Area.Height();
    std::vector<uint8_t> Mask(static_cast<size_t>(AW) * AH, 0);
    Bresenham(From, To, false, [&](int64_t X, int64_t Y) {
        int64_t L = std::max<int64_t>(X - Back, Area.Left), R = std::min<int64_t>(X - Back + W, Area.Right);
        int64_t T = std::max<int64_t>(Y - Back, Area.Top), B = std::min<int64_t>(Y - Back + W, Area.Bottom);
        for (int64_t YY = T; YY < B; ++YY)
            for (int64_t XX = L; XX < R; ++XX) Mask[(YY - Area.Top) * AW + (XX - Area.Left)] = 1;
        return true;
    });
    for (int Y = 0; Y < AH; ++Y) {
        uint32_t* Row = FSurface->ScanLine(Area.Top + Y) + Area.Left;
        const uint8_t* M = &Mask[static_cast<size_t>(Y) * AW];
        for (int X = 0; X < AW; ++X)
            if (M[X]) Row[X] = Mix(Mode, Row[X], Src);
    }
}

void TCanvas::FillRect(const TRect& R) {
    if (FBrush->Style() == bsClear || !FSurface) return;
    FillPixels(R, ColorToPixel(FBrush->Color()));
    Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    if (!FSurface) return;
    const TRect Box = Normalized(X1, Y1, X2, Y2);
    const TRect C = Intersect(Box, ClipRect());
    Damage(C);
    if (!Empty(C)) {
        const TPenMode Mode = FPen->Mode();
        const uint32_t PenPx = ColorToPixel(FPen->Color()), BrushPx = ColorToPixel(FBrush->Color());
        const bool Fill = FBrush->Style() == bsSolid;
        const int W = PenReach(FPen->Width());
        const int InL = Box.Left + W, InR = Box.Right - W;
        for (int Y = C.Top; Y < C.Bottom; ++Y) {
            uint32_t* Row = FSurface->ScanLine(Y);
            if (Y < Box.Top + W || Y >= Box.Bottom - W || InL >= InR) {
                MixSpan(Row, C.Left, C.Right, Mode, PenPx);
                continue;
            }
            MixSpan(Row, C.Left, std::min(C.Right, InL), Mode, PenPx);
            if (Fill) MixSpan(Row, std::max(C.Left, InL), std::min(C.Right, InR), Mode, BrushPx);
            MixSpan(Row, std::max(C.Left, InR), C.Right, Mode, PenPx);
        }
    }
    Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    if (!FSurface) return;
    const TRect Box = Normalized(X1, Y1, X2, Y2);
    const TRect C = Intersect(Box, ClipRect());
    Damage(C);
    if (!Empty(C)) {
        const TEllipseRows E{Box.Left, Box.Top, Box.Right, Box.Bottom};
        const TPenMode Mode = FPen->Mode();
        const uint32_t PenPx = ColorToPixel(FPen->Color()), BrushPx = ColorToPixel(FBrush->Color());
        const bool Fill = FBrush->Style() == bsSolid;
        const int W = PenReach(FPen->Width());
        for (int Y = C.Top; Y < C.Bottom; ++Y) {
            int L, R;
            E.Span(Y, L, R);
            // Inside the outline: W pixels in from this row's ends and within the rows W above
            // and below (spans narrow away from the centre, so the outer of the two decides).
            int InL = L + W, InR = R - W;
            for (int K = 1; K <= W; ++K)
                for (int YY : {Y - K, Y + K}) {
                    if (YY < Box.Top || YY >= Box.Bottom) {
                        InL = R;
                        InR = L;
                        continue;
                    }
                    int L2, R2;
                    E.Span(YY, L2, R2);
                    InL = std::max(InL, L2);
                    InR = std::min(InR, R2);
                }
            uint32_t* Row = FSurface->ScanLine(Y);
            const int SL = std::max(L, C.Left), SR = std::min(R, C.Right);
            if (InL >= InR) {
                MixSpan(Row, SL, SR, Mode, PenPx);
                continue;
            }
            MixSpan(Row, SL, std::min(SR, InL), Mode, PenPx);
            if (Fill) MixSpan(Row, std::max(SL, InL), std::min(SR, InR), Mode, BrushPx);
            MixSpan(Row, std::max(SL, InR), SR, Mode, PenPx);
        }
    }
    Changed();
}

void TCanvas::Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
    if (!FSurface) return;
    const TRect Box = Normalized(X1, Y1, X2, Y2);
    const int W = PenReach(FPen->Width());
    const TRect C = Intersect(Box, ClipRect());
    Damage(C);
    if (Empty(C)) {
        Changed();
        return;
    }
    // Doubled coordinates, so pixel centres and the box centre are whole numbers.
    const int64_t CX = int64_t(Box.Left) + Box.Right, CY = int64_t(Box.Top) + Box.Bottom;
    auto Ray = [&](int X, int Y, int64_t& RX, int64_t& RY) {
        RX = 2 * int64_t(X) + 1 - CX;
        RY = -(2 * int64_t(Y) + 1 - CY);
        if (RX == 0 && RY == 0) RX = 1;
    };
    TSector S{};
    Ray(X3, Y3, S.AX, S.AY);
    Ray(X4, Y4, S.BX, S.BY);
    S.Full = TSector::Cross(S.AX, S.AY, S.BX, S.BY) == 0 &&
             (static_cast<__int128>(S.AX) * S.BX + static_cast<__int128>(S.AY) * S.BY) > 0;
    const TEllipseRows E{Box.Left, Box.Top, Box.Right, Box.Bottom};

    // The region is classified on a mask over the clipped area plus the pen's reach; 1 marks
    // the pie, 2 the pen's radial edges.
    const TRect Area = Intersect(Box, {C.Left - W, C.Top - W, C.Right + W, C.Bottom + W});
    const int AW = Area.Width(), AH = Area.Height();
    std::vector<uint8_t> Mask(static_cast<size_t>(AW) * AH, 0);
    std::vector<int> SpanL(AH), SpanR(AH);
    for (int Y = 0; Y < AH; ++Y) {
        int L, R;
        E.Span(Area.Top + Y, L, R);
        SpanL[Y] = L;
        SpanR[Y] = R;
        const int64_t PY = -(2 * int64_t(Area.Top + Y) + 1 - CY);
        uint8_t* M = &Mask[static_cast<size_t>(Y) * AW];
        for (int X = std::max(L, Area.Left); X < std::min(R, Area.Right); ++X)
            M[X - Area.Left] = S.Contains(2 * int64_t(X) + 1 - CX, PY) ? 1 : 0;
    }
    auto InEllipse = [&](int X, int Y) {
        return Y >= Area.Top && Y < Area.Bottom && X >= SpanL[Y - Area.Top] && X < SpanR[Y - Area.Top];
    };
    // The radial edges run from the centre pixel to where each ray leaves the ellipse.
    auto Edge = [&](int64_t RX, int64_t RY) {
        const double A = Box.Width(), B = Box.Height();
        const double T = 1.0 / std::sqrt((RX / A) * (RX / A) + (RY / B) * (RY / B));
        TPoint Centre{static_cast<int>(CX / 2), static_cast<int>(CY / 2)};
        if (Centre.X >= Box.Right) Centre.X = Box.Right - 1;
        if (Centre.Y >= Box.Bottom) Centre.Y = Box.Bottom - 1;
        TPoint End{static_cast<int>(std::floor((CX + T * RX) / 2.0)),
                   static_cast<int>(std::floor((CY - T * RY) / 2.0))};
        End.X = std::clamp(End.X, Box.Left, Box.Right - 1);
        End.Y = std::clamp(End.Y, Box.Top, Box.Bottom - 1);
        Bresenham(Centre, End, true, [&](int64_t X, int64_t Y) {
            if (InEllipse(static_cast<int>(X), static_cast<int>(Y)) && X >= Area.Left && X < Area.Right)
                Mask[(Y - Area.Top) * AW + (X - Area.Left)] = 2;
            return true;
        });
    };
    Edge(S.AX, S.AY);
    if (!S.Full) Edge(S.BX, S.BY);

    auto In = [&](int X, int Y) {
        if (X < Area.Left || X >= Area.Right || Y < Area.Top || Y >= Area.Bottom) return false;
        return Mask[static_cast<size_t>(Y - Area.Top) * AW + (X - Area.Left)] != 0;
    };
    const TPenMode Mode = FPen->Mode();
    const uint32_t PenPx = ColorToPixel(FPen->Color()), BrushPx = ColorToPixel(FBrush->Color());
    const bool Fill = FBrush->Style() == bsSolid;
    for (int Y = C.Top; Y < C.Bottom; ++Y) {
        uint32_t* Row = FSurface->ScanLine(Y);
        const uint8_t* M = &Mask[static_cast<size_t>(Y - Area.Top) * AW];
        for (int X = C.Left; X < C.Right; ++X) {
            uint8_t V = M[X - Area.Left];
            if (!V) continue;
            bool Border = V == 2;
            for (int K = 1; K <= W && !Border; ++K)
                Border = !In(X - K, Y) || !In(X + K, Y) || !In(X, Y - K) || !In(X, Y + K);
            if (Border)
                Row[X] = Mix(Mode, Row[X], PenPx);
            else if (Fill)
                Row[X] = Mix(Mode, Row[X], BrushPx);
        }
    }
    Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Source, const TRect& Src) {
    if (!FSurface) return;
    const uint8_t T = RopTable(FCopyMode);
    const uint32_t Pat = ColorToPixel(FBrush->Color());
    const TRect Clip = ClipRect();
    Damage(Intersect(Dest, Clip));
    if (!RopUsesSource(T)) {
        TRect D = Intersect(Dest, Clip);
        for (int Y = D.Top; Y < D.Bottom; ++Y)
            RopRow(T, Pat, nullptr, FSurface->ScanLine(Y) + D.Left, D.Width());
        if (!Empty(D)) Changed();
        return;
    }
    TBitmap* SrcBmp = Source ? Source->Surface() : nullptr;
    if (!SrcBmp || Dest.Width() <= 0 || Dest.Height() <= 0 || Src.Width() <= 0 || Src.Height() <= 0) return;
    const TRect SrcBounds = Rect(0, 0, SrcBmp->Width(), SrcBmp->Height());

    if (Dest.Width() != Src.Width() || Dest.Height() != Src.Height()) {
        // Stretched: nearest source pixel, read from a copy when source and target are one bitmap.
        std::vector<uint32_t> Copy;
        const uint32_t* Base = SrcBmp->Bits();
        int Stride = SrcBmp->Width();
        if (SrcBmp == FSurface) {
            Copy.assign(SrcBmp->Bits(),
                        SrcBmp->Bits() + static_cast<size_t>(SrcBmp->Width()) * SrcBmp->Height());
            Base = Copy.data();
        }
        const TRect D = Intersect(Dest, Clip);
        std::vector<uint32_t> Line(std::max(0, D.Width()));
        bool Any = false;
        for (int Y = D.Top; Y < D.Bottom; ++Y) {
            int SY = Src.Top + static_cast<int>(int64_t(Y - Dest.Top) * Src.Height() / Dest.Height());
            if (SY < 0 || SY >= SrcBounds.Bottom) continue;
            int X0 = D.Left, X1 = D.Left;  // run of pixels whose source lies inside the bitmap
            for (int X = D.Left; X < D.Right; ++X) {
                int SX = Src.Left + static_cast<int>(int64_t(X - Dest.Left) * Src.Width() / Dest.Width());
                if (SX < 0 || SX >= SrcBounds.Right) {
                    if (X1 > X0) RopRow(T, Pat, &Line[X0 - D.Left], FSurface->ScanLine(Y) + X0, X1 - X0);
                    X0 = X1 = X + 1;
                    continue;
                }
                Line[X - D.Left] = Base[static_cast<size_t>(SY) * Stride + SX];
                X1 = X + 1;
            }
            if (X1 > X0) RopRow(T, Pat, &Line[X0 - D.Left], FSurface->ScanLine(Y) + X0, X1 - X0);
            Any = true;
        }
        if (Any) Changed();
        return;
    }

    // Same size: keep the pixels whose source and target both exist.
    const int OffX = Src.Left - Dest.Left, OffY = Src.Top - Dest.Top;
    TRect D = Intersect(Dest, Clip);
    D = Intersect(
        D, {SrcBounds.Left - OffX, SrcBounds.Top - OffY, SrcBounds.Right - OffX, SrcBounds.Bottom - OffY});
    if (Empty(D)) return;
    const int N = D.Width();
    const bool Same = SrcBmp == FSurface;
    // Rows are walked away from the overlap, and each source row is read before it is written.
    const bool Upwards = Same && OffY < 0;
    std::vector<uint32_t> Line;
    if (Same && T != 0xCC) Line.resize(N);
    for (int I = 0; I < D.Height(); ++I) {
        int Y = Upwards ? D.Bottom - 1 - I : D.Top + I;
        const uint32_t* S = SrcBmp->ScanLine(Y + OffY) + D.Left + OffX;
        if (!Line.empty()) {
            std::memcpy(Line.data(), S, N * sizeof(uint32_t));
            S = Line.data();
        }
        RopRow(T, Pat, S, FSurface->ScanLine(Y) + D.Left, N);
    }
    Changed();
}

void TCanvas::Draw(int X, int Y, TBitmap* Source) {
    if (!Source || Source->Width() == 0 || Source->Height() == 0) return;
    CopyRect(Rect(X, Y, X + Source->Width(), Y + Source->Height()), Source->Canvas(),
             Rect(0, 0, Source->Width(), Source->Height()));
}

void TCanvas::StretchDraw(const TRect& Dest, TBitmap* Source) {
    if (!Source || Source->Width() == 0 || Source->Height() == 0) return;
    CopyRect(Dest, Source->Canvas(), Rect(0, 0, Source->Width(), Source->Height()));
}

void TCanvas::DrawFocusRect(const TRect& R) {
    if (!FSurface) return;
    const TRect Box = Normalized(R.Left, R.Top, R.Right, R.Bottom);
    if (Empty(Box)) return;
    const TRect C = Intersect(Box, ClipRect());
    Damage(C);
    // Every other pixel of the one-pixel frame, in a pattern fixed to the surface so that
    // neighbouring frames line up; each pixel is inverted at most once.
    auto Flip = [&](int X, int Y) {
        if (X < C.Left || X >= C.Right || Y < C.Top || Y >= C.Bottom || ((X + Y) & 1)) return;
        uint32_t& P = FSurface->ScanLine(Y)[X];
        P = ~P | Opaque;
    };
    for (int X = Box.Left; X < Box.Right; ++X) {
        Flip(X, Box.Top);
        if (Box.Bottom - 1 > Box.Top) Flip(X, Box.Bottom - 1);
    }
    for (int Y = Box.Top + 1; Y < Box.Bottom - 1; ++Y) {
        Flip(Box.Left, Y);
        if (Box.Right - 1 > Box.Left) Flip(Box.Right - 1, Y);
    }
    Changed();
}

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
    TPen* Pen = Canvas->Pen();
    Pen->SetWidth(1);
    --Rect.Bottom;
    --Rect.Right;
    for (int I = 0; I < Width; ++I) {
        Pen->SetColor(TopColor);
        Canvas->MoveTo(Rect.Left, Rect.Bottom);
        Canvas->LineTo(Rect.Left, Rect.Top);
        Canvas->LineTo(Rect.Right, Rect.Top);
        Pen->SetColor(BottomColor);
        Canvas->LineTo(Rect.Right, Rect.Bottom);
        Canvas->LineTo(Rect.Left - 1, Rect.Bottom);
        ++Rect.Left;
        ++Rect.Top;
        --Rect.Right;
        --Rect.Bottom;
    }
    ++Rect.Bottom;
    ++Rect.Right;
}
