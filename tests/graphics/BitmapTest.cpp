#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Windows.h"
#include "platform/rtl/Resources.h"
#include "tests/support/Support.h"

namespace {
// Little-endian words of the given sizes.
std::string Words(int Size, std::initializer_list<uint32_t> L) {
    std::string S;
    for (uint32_t V : L)
        for (int I = 0; I < Size; ++I) S.push_back(static_cast<char>(V >> 8 * I & 0xFF));
    return S;
}
std::string Bytes(std::initializer_list<uint32_t> L) {
    return Words(1, L);
}
// Colours as files keep them: blue, green, red, then zeros up to Size bytes.
std::string Bgr(const std::vector<TColor>& L, int Size) {
    std::string S;
    for (TColor C : L) S += Bytes({GetBValue(C), GetGValue(C), GetRValue(C)}) + std::string(Size - 3, '\0');
    return S;
}

// A BMP file written by hand: header, palette (blue, green, red, 0 per entry) and the rows as given,
// bottom first, each padded to four bytes.
std::string Bmp(int W, int H, int Bpp, const std::vector<TColor>& Palette,
                const std::vector<std::string>& Rows) {
    std::string Data, Entries = Bgr(Palette, 4);
    for (auto& R : Rows) Data += R + std::string((4 - R.size() % 4) % 4, '\0');
    const uint32_t Offset = 54 + static_cast<uint32_t>(Entries.size()),
                   Size = static_cast<uint32_t>(Data.size());
    return "BM" + Words(4, {Offset + Size, 0, Offset, 40, uint32_t(W), uint32_t(H)}) +
           Words(2, {1, uint32_t(Bpp)}) + Words(4, {0, Size, 0, 0, uint32_t(Palette.size()), 0}) + Entries +
           Data;
}
}  // namespace

TEST(BitmapFile, LoadsEveryDepthBottomUpAndTopDown) {
    const TColor K = clBlack, W = clWhite, R = clRed, G = clLime, B = clBlue, T = clTeal, Y = clYellow;
    struct Row {
        int Bpp;
        std::vector<TColor> Palette;
        std::string Bottom, Top;       // the two rows of a 3 x 2 picture
        std::vector<TColor> Expected;  // row by row, top first
    } Rows[] = {
        {1, {K, W}, Bytes({0xA0}), Bytes({0x40}), {K, W, K, W, K, W}},
        {4, {K, R, G, B}, Bytes({0x12, 0x30}), Bytes({0x00, 0x10}), {K, K, R, R, G, B}},
        {8, {K, T, Y}, Bytes({2, 2, 2}), Bytes({0, 1, 2}), {K, T, Y, Y, Y, Y}},
        {24, {}, Bgr({R, G, B}, 3), Bgr({RGB(3, 2, 1), W, K}, 3), {RGB(3, 2, 1), W, K, R, G, B}},
        {32, {}, Bgr({R, G, B}, 4), Bgr({RGB(7, 8, 9), W, K}, 4), {RGB(7, 8, 9), W, K, R, G, B}},
    };
    for (auto& F : Rows) {
        TBitmap Pic;
        Pic.LoadFromBytes(Bmp(3, 2, F.Bpp, F.Palette, {F.Bottom, F.Top}));
        ASSERT_EQ(Pic.Width(), 3) << F.Bpp << " bits";
        ASSERT_EQ(Pic.Height(), 2) << F.Bpp << " bits";
        EXPECT_EQ(Pic.FileBitsPerPixel(), F.Bpp);
        for (int I = 0; I < 6; ++I)
            EXPECT_EQ(Pic.Pixel(I % 3, I / 3), F.Expected[I]) << F.Bpp << " bits, pixel " << I;
    }
    // A negative height stores the rows top-down.
    std::string TopDown = Bmp(1, 2, 24, {}, {Bgr({R}, 3), Bgr({B}, 3)});
    const int32_t MinusTwo = -2;
    std::memcpy(&TopDown[22], &MinusTwo, 4);
    TBitmap Pic;
    Pic.LoadFromBytes(TopDown);
    EXPECT_EQ(Pic.Pixel(0, 0), clRed);
    EXPECT_EQ(Pic.Pixel(0, 1), clBlue);
}

TEST(BitmapFile, RefusesMalformedFilesWithoutTouchingThePicture) {
    std::string Good = Bmp(2, 2, 8, {clBlack, clWhite}, {Bytes({0, 1}), Bytes({1, 0})});
    auto With = [&](size_t At, std::string Patch) {
        return Good.substr(0, At) + Patch + Good.substr(At + Patch.size());
    };
    const std::string Bad[] = {
        "",
        "BM",
        "XX" + Good.substr(2),
        Good.substr(0, Good.size() - 1),      // pixel data cut short
        With(28, Bytes({16, 0})),             // 16 bits per pixel
        With(30, Bytes({1, 0, 0, 0})),        // run-length compressed
        With(18, Bytes({0, 0, 0, 0})),        // no width
        With(18, Bytes({0, 0, 0, 0x7F})),     // absurd width
        With(46, Bytes({0, 2, 0, 0})),        // palette of 512 entries
        With(Good.size() - 8, Bytes({5})),    // colour index outside the 2-entry palette
        With(10, Bytes({0xFF, 0xFF, 0, 0})),  // pixel data beyond the end
    };
    for (size_t I = 0; I < std::size(Bad); ++I) {
        TBitmap B;
        B.SetSize(1, 1);
        EXPECT_THROW(B.LoadFromBytes(Bad[I]), EReadError) << "case " << I;
        EXPECT_EQ(B.Width(), 1);
    }
}

TEST(BitmapFile, SavesAndLoadsBackIn24And4Bits) {
    TempDir Dir;
    TBitmap B;
    B.SetSize(5, 3);
    for (int Y = 0; Y < 3; ++Y)
        for (int X = 0; X < 5; ++X) B.SetPixel(X, Y, RGB(X * 50, Y * 100, 7));
    B.SaveToFile(Dir / "a.bmp");
    const std::string File = ReadFile(Dir / "a.bmp");
    EXPECT_EQ(File.size(), 54u + 16 * 3);  // rows of 15 bytes padded to 16
    EXPECT_EQ(File.substr(54, 6), Bgr({RGB(0, 200, 7), RGB(50, 200, 7)}, 3));  // the bottom row first
    TBitmap Back;
    Back.LoadFromFile(Dir / "a.bmp");
    EXPECT_EQ(Back.FileBitsPerPixel(), 24);
    ASSERT_EQ(Back.Width(), 5);
    for (int Y = 0; Y < 3; ++Y)
        for (int X = 0; X < 5; ++X) EXPECT_EQ(Back.Pixel(X, Y), B.Pixel(X, Y)) << X << "," << Y;
    EXPECT_THROW(Back.LoadFromFile(Dir / "missing.bmp"), EFOpenError);

    // A 24 x 24 palette picture: 16 colours, colours snap to the nearest standard one.
    TBitmap Icon;
    Icon.SetSize(24, 24);
    TCanvas* C = Icon.Canvas();
    for (auto [Color, R] : {std::pair{clTeal, Rect(0, 0, 24, 24)},
                            {RGB(250, 5, 5), Rect(2, 2, 10, 10)},
                            {clBtnFace, Rect(12, 12, 23, 23)}}) {
        C->Brush()->SetColor(Color);
        C->FillRect(R);
    }
    const std::string Icon4 = Icon.SaveToBytes4Bit();
    EXPECT_EQ(Icon4.size(), 54u + 16 * 4 + 12 * 24);
    EXPECT_EQ(Icon4[28], 4);
    EXPECT_EQ(Icon4.substr(54 + 9 * 4, 4), Bgr({clRed}, 4));  // the standard order: red is entry 9
    TBitmap Loaded;
    Loaded.LoadFromBytes(Icon4);
    EXPECT_EQ(Loaded.FileBitsPerPixel(), 4);
    EXPECT_EQ(Loaded.Pixel(0, 0), clTeal);
    EXPECT_EQ(Loaded.Pixel(5, 5), clRed);
    EXPECT_EQ(Loaded.Pixel(22, 22), clSilver);
    EXPECT_EQ(Loaded.Pixel(23, 23), clTeal);
}

TEST(BitmapResource, LoadsByNameAndRefusesUnknownNames) {
    static const std::string File = Bmp(1, 1, 24, {}, {Bgr({clLime}, 3)});
    RegisterBitmapResource("GRAPHICSTEST", reinterpret_cast<const unsigned char*>(File.data()), File.size());
    TBitmap B;
    B.LoadFromResourceName("GRAPHICSTEST");
    EXPECT_EQ(B.Pixel(0, 0), clLime);
    EXPECT_THROW(B.LoadFromResourceName("NOSUCHBITMAP"), EReadError);
}

TEST(BitmapSize, KeepsThePixelsThatFitAndAddsWhite) {
    TBitmap B;
    B.SetSize(2, 2);
    B.SetPixel(1, 1, clRed);
    B.SetPixel(0, 0, clBlue);
    B.SetWidth(3);
    B.SetHeight(1);
    EXPECT_EQ(B.Pixel(0, 0), clBlue);
    EXPECT_EQ(B.Pixel(2, 0), clWhite);
    B.SetHeight(2);
    EXPECT_EQ(B.Pixel(1, 1), clWhite);
    EXPECT_EQ(B.Pixel(5, 5), 0xFFFFFFFFu);  // outside
    TBitmap C;
    C.Assign(B);
    EXPECT_EQ(C.Width(), 3);
    EXPECT_EQ(C.Pixel(0, 0), clBlue);
}

TEST(BitmapSize, GrowsFromAnEmptySideInEitherOrder) {
    TBitmap A, B;
    A.SetHeight(3);
    A.SetWidth(2);
    B.SetWidth(2);
    B.SetHeight(3);
    for (TBitmap* M : {&A, &B}) {
        ASSERT_EQ(M->Width(), 2);
        ASSERT_EQ(M->Height(), 3);
        EXPECT_EQ(M->Pixel(1, 2), clWhite);
    }
    A.SetPixel(1, 1, clRed);
    A.SetSize(0, 3);
    A.SetSize(2, 3);
    EXPECT_EQ(A.Pixel(1, 1), clWhite);
}

TEST(GraphicsObjects, SettersNotifyOnlyRealChanges) {
    TPen Pen;
    TBrush Brush;
    TFont Font;
    int N = 0;
    for (TGraphicsObject* O : std::initializer_list<TGraphicsObject*>{&Pen, &Brush, &Font})
        O->OnChange = [&] { ++N; };
    const std::function<void()> Steps[] = {
        [&] { Pen.SetColor(clRed); },
        [&] { Pen.SetWidth(2); },
        [&] { Pen.SetMode(pmNot); },
        [&] { Brush.SetColor(clRed); },
        [&] { Brush.SetStyle(bsClear); },
        [&] { Font.SetColor(clRed); },
        [&] { Font.SetHeight(-12); },
        [&] { Font.SetName("굴림체"); },
        [&] { Font.SetSize(12); },
        [&] { Font.SetCharset(HANGEUL_CHARSET); },
        [&] { Font.SetStyle(fsBold | fsItalic); },
    };
    for (size_t I = 0; I < std::size(Steps); ++I) {
        N = 0;
        Steps[I]();
        Steps[I]();
        EXPECT_EQ(N, 1) << "step " << I;
    }
    TFont Copy;
    N = 0;
    Copy.OnChange = [&] { ++N; };
    Copy.Assign(Font);
    Copy.Assign(Font);
    EXPECT_EQ(N, 1);
    EXPECT_TRUE(Copy == Font);
    TPen Pen2;
    Pen2.Assign(Pen);
    EXPECT_EQ(Pen2.Mode(), pmNot);
    EXPECT_EQ(Pen2.Width(), 2);
}

TEST(GraphicsObjects, FontSizeAndHeightAtNinetySixDots) {
    for (auto [H, S] : {std::pair{-11, 8}, {-12, 9}, {-13, 10}, {-16, 12}, {-19, 14}, {-32, 24}}) {
        TFont F, G;
        F.SetHeight(H);
        G.SetSize(S);
        EXPECT_EQ(F.Size(), S) << H;
        EXPECT_EQ(G.Height(), H) << S;
    }
}
