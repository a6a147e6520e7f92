#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/classes/FormIO.h"
#include "platform/graphics/Graphics.h"
#include "platform/graphics/Windows.h"
#include "platform/rtl/Resources.h"
#include "tests/support/Support.h"

namespace {
void Put16(std::string& B, uint32_t V) {
    B.push_back(static_cast<char>(V & 0xFF));
    B.push_back(static_cast<char>(V >> 8 & 0xFF));
}
void Put32(std::string& B, uint32_t V) {
    Put16(B, V & 0xFFFF);
    Put16(B, V >> 16);
}

// A BMP file written by hand: header, palette (blue, green, red, 0 per entry) and rows as given.
std::string Bmp(int W, int H, int Bpp, const std::vector<uint32_t>& Palette,
                const std::vector<std::string>& Rows) {
    std::string Data;
    for (auto& R : Rows) Data += R;
    std::string B = "BM";
    const uint32_t Offset = 54 + static_cast<uint32_t>(Palette.size()) * 4;
    Put32(B, Offset + static_cast<uint32_t>(Data.size()));
    Put32(B, 0);
    Put32(B, Offset);
    Put32(B, 40);
    Put32(B, static_cast<uint32_t>(W));
    Put32(B, static_cast<uint32_t>(H));
    Put16(B, 1);
    Put16(B, static_cast<uint32_t>(Bpp));
    Put32(B, 0);
    Put32(B, static_cast<uint32_t>(Data.size()));
    Put32(B, 0);
    Put32(B, 0);
    Put32(B, static_cast<uint32_t>(Palette.size()));
    Put32(B, 0);
    for (uint32_t C : Palette) {
        B.push_back(static_cast<char>(GetBValue(C)));
        B.push_back(static_cast<char>(GetGValue(C)));
        B.push_back(static_cast<char>(GetRValue(C)));
        B.push_back('\0');
    }
    return B + Data;
}
std::string Bytes(std::initializer_list<int> L) {
    std::string S;
    for (int V : L) S.push_back(static_cast<char>(V));
    return S;
}
}  // namespace

TEST(BitmapFile, LoadsEveryDepthBottomUpAndTopDown) {
    struct Row {
        const char* Name;
        std::string File;
        int Bpp;
        std::vector<TColor> Expected;  // row by row, top first
    } Rows[] = {
        // 3 x 2, rows stored bottom-up and padded to four bytes.
        {"1 bit",
         Bmp(3, 2, 1, {clBlack, clWhite}, {Bytes({0xA0, 0, 0, 0}), Bytes({0x40, 0, 0, 0})}),
         1,
         {clBlack, clWhite, clBlack, clWhite, clBlack, clWhite}},
        {"4 bit",
         Bmp(3, 2, 4, {clBlack, clRed, clLime, clBlue},
             {Bytes({0x12, 0x30, 0, 0}), Bytes({0x00, 0x10, 0, 0})}),
         4,
         {clBlack, clBlack, clRed, clRed, clLime, clBlue}},
        {"8 bit",
         Bmp(3, 2, 8, {clBlack, clTeal, clYellow}, {Bytes({2, 2, 2, 0}), Bytes({0, 1, 2, 0})}),
         8,
         {clBlack, clTeal, clYellow, clYellow, clYellow, clYellow}},
        {"24 bit",
         Bmp(3, 2, 24, {},
             {Bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0}),
              Bytes({1, 2, 3, 255, 255, 255, 0, 0, 0, 0, 0, 0})}),
         24,
         {RGB(3, 2, 1), clWhite, clBlack, clRed, clLime, clBlue}},
        {"32 bit",
         Bmp(3, 2, 32, {},
             {Bytes({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0}),
              Bytes({9, 8, 7, 0, 255, 255, 255, 0, 0, 0, 0, 0})}),
         32,
         {RGB(7, 8, 9), clWhite, clBlack, clRed, clLime, clBlue}},
    };
    for (auto& R : Rows) {
        TBitmap B;
        B.LoadFromBytes(R.File);
        ASSERT_EQ(B.Width(), 3) << R.Name;
        ASSERT_EQ(B.Height(), 2) << R.Name;
        EXPECT_EQ(B.FileBitsPerPixel(), R.Bpp) << R.Name;
        for (int I = 0; I < 6; ++I)
            EXPECT_EQ(B.Pixel(I % 3, I / 3), R.Expected[I]) << R.Name << " pixel " << I;
    }
    // A negative height stores the rows top-down.
    std::string TopDown = Bmp(1, 2, 24, {}, {Bytes({0, 0, 255, 0}), Bytes({255, 0, 0, 0})});
    const int32_t MinusTwo = -2;
    std::memcpy(&TopDown[22], &MinusTwo, 4);
    TBitmap B;
    B.LoadFromBytes(TopDown);
    EXPECT_EQ(B.Pixel(0, 0), clRed);
    EXPECT_EQ(B.Pixel(0, 1), clBlue);
}

TEST(BitmapFile, RefusesMalformedFilesWithoutTouchingThePicture) {
    std::string Good = Bmp(2, 2, 8, {clBlack, clWhite}, {Bytes({0, 1, 0, 0}), Bytes({1, 0, 0, 0})});
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
    TBitmap Back;
    Back.LoadFromFile(Dir / "a.bmp");
    EXPECT_EQ(Back.FileBitsPerPixel(), 24);
    ASSERT_EQ(Back.Width(), 5);
    for (int Y = 0; Y < 3; ++Y)
        for (int X = 0; X < 5; ++X) EXPECT_EQ(Back.Pixel(X, Y), B.Pixel(X, Y));
    EXPECT_EQ(ReadFile(Dir / "a.bmp").size(), 54u + 16 * 3);  // rows of 15 bytes padded to 16
    EXPECT_THROW(Back.LoadFromFile(Dir / "missing.bmp"), EFOpenError);

    // A 24 x 24 palette picture: 16 colours, colours snap to the nearest standard one.
    TBitmap Icon;
    Icon.SetSize(24, 24);
    Icon.Canvas()->Brush()->SetColor(clTeal);
    Icon.Canvas()->FillRect(Rect(0, 0, 24, 24));
    Icon.Canvas()->Brush()->SetColor(RGB(250, 5, 5));  // near red
    Icon.Canvas()->FillRect(Rect(2, 2, 10, 10));
    Icon.Canvas()->Brush()->SetColor(clBtnFace);
    Icon.Canvas()->FillRect(Rect(12, 12, 23, 23));
    std::string File = Icon.SaveToBytes4Bit();
    EXPECT_EQ(File.size(), 54u + 16 * 4 + 12 * 24);
    EXPECT_EQ(File[28], 4);
    TBitmap Loaded;
    Loaded.LoadFromBytes(File);
    EXPECT_EQ(Loaded.FileBitsPerPixel(), 4);
    EXPECT_EQ(Loaded.Pixel(0, 0), clTeal);
    EXPECT_EQ(Loaded.Pixel(5, 5), clRed);
    EXPECT_EQ(Loaded.Pixel(22, 22), clSilver);
    EXPECT_EQ(Loaded.Pixel(23, 23), clTeal);
}

TEST(BitmapResource, LoadsByNameAndRefusesUnknownNames) {
    static const std::string File = Bmp(1, 1, 24, {}, {Bytes({0, 255, 0, 0})});
    RegisterBitmapResource("GRAPHICSTEST", reinterpret_cast<const unsigned char*>(File.data()), File.size());
    TBitmap B;
    B.LoadFromResourceName("GRAPHICSTEST");
    EXPECT_EQ(B.Pixel(0, 0), clLime);
    EXPECT_THROW(B.LoadFromResourceName("NOSUCHBITMAP"), EReadError);
}

TEST(BitmapSize, KeepsThePixelsThatFitAndAddsWhite) {
    TBitmap B;
    B.SetSize(2, 2);
    EXPECT_EQ(B.Pixel(1, 1), clWhite);
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

TEST(Colors, SystemColoursResolveToTheClassicTable) {
    struct Row {
        TColor System, Plain;
    } Rows[] = {{clBtnFace, RGB(192, 192, 192)},
                {clBtnShadow, RGB(128, 128, 128)},
                {clBtnHighlight, clWhite},
                {clWindow, clWhite},
                {clWindowText, clBlack},
                {clWindowFrame, clBlack},
                {clHighlight, RGB(0, 0, 128)},
                {clHighlightText, clWhite},
                {clBtnText, clBlack},
                {clGrayText, RGB(128, 128, 128)},
                {clBlue, clBlue},
                {RGB(1, 2, 3), RGB(1, 2, 3)}};
    for (auto& R : Rows) EXPECT_EQ(ColorToRGB(R.System), R.Plain) << std::hex << R.System;
    EXPECT_EQ(ColorToPixel(clBlue), 0xFF0000FFu);
    EXPECT_EQ(PixelToColor(0xFF0000FFu), clBlue);
    int64_t V;
    ASSERT_TRUE(IdentToInt("TColor", "clBtnFace", V));
    EXPECT_EQ(V, 0x8000000F);
    AnsiString Name;
    ASSERT_TRUE(IntToIdent("TColor", clHighlightText, Name));
    EXPECT_EQ(Name, "clHighlightText");
}

TEST(DefaultPalette, HasTwentyEntriesWithTheStandardColours) {
    HPALETTE Pal = GetStockObject(DEFAULT_PALETTE);
    ASSERT_NE(Pal, nullptr);
    EXPECT_EQ(GetPaletteEntries(Pal, 0, 0, nullptr), 20u);
    PALETTEENTRY E[20];
    ASSERT_EQ(GetPaletteEntries(Pal, 0, 20, E), 20u);
    const uint8_t Want[20][3] = {{0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},
                                 {0, 0, 128},     {128, 0, 128},   {0, 128, 128},   {192, 192, 192},
                                 {192, 220, 192}, {166, 202, 240}, {255, 251, 240}, {160, 160, 164},
                                 {128, 128, 128}, {255, 0, 0},     {0, 255, 0},     {255, 255, 0},
                                 {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    for (int I = 0; I < 20; ++I) {
        EXPECT_EQ(E[I].peRed, Want[I][0]) << I;
        EXPECT_EQ(E[I].peGreen, Want[I][1]) << I;
        EXPECT_EQ(E[I].peBlue, Want[I][2]) << I;
        EXPECT_EQ(E[I].peFlags, 0) << I;
    }
    EXPECT_EQ(GetPaletteEntries(Pal, 18, 5, E), 2u);
    EXPECT_EQ(E[1].peRed, 255);
    EXPECT_EQ(GetPaletteEntries(Pal, 20, 1, E), 0u);
    TRect R = Rect(5, 5, 10, 10);
    InflateRect(R, -1, 2);
    EXPECT_EQ(R, Rect(6, 3, 9, 12));
    TBitmap B;
    EXPECT_EQ(SetBkMode(B.Canvas(), TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(B.Canvas(), OPAQUE), TRANSPARENT);
}

TEST(GraphicsObjects, SettersNotifyOnlyRealChanges) {
    TPen Pen;
    TBrush Brush;
    TFont Font;
    int N = 0;
    for (TGraphicsObject* O : std::initializer_list<TGraphicsObject*>{&Pen, &Brush, &Font})
        O->OnChange = [&] { ++N; };
    const std::vector<std::function<void()>> Steps = {
        [&] { Pen.SetColor(clRed); },
        [&] { Pen.SetWidth(2); },
        [&] { Pen.SetMode(pmNot); },
        [&] { Brush.SetColor(clRed); },
        [&] { Brush.SetStyle(bsClear); },
        [&] { Font.SetColor(clRed); },
        [&] { Font.SetHeight(-12); },
        [&] { Font.SetName("굴림체"); },
        [&] { Font.SetCharset(HANGEUL_CHARSET); },
        [&] { Font.SetStyle(fsBold | fsItalic); },
        [&] { Font.SetSize(12); },
    };
    for (size_t I = 0; I < Steps.size(); ++I) {
        N = 0;
        Steps[I]();
        EXPECT_EQ(N, 1) << "step " << I;
        Steps[I]();
        EXPECT_EQ(N, 1) << "step " << I << " again";
    }
    TFont Copy;
    int CopyN = 0;
    Copy.OnChange = [&] { ++CopyN; };
    Copy.Assign(Font);
    Copy.Assign(Font);
    EXPECT_EQ(CopyN, 1);
    EXPECT_TRUE(Copy == Font);
    TPen Pen2;
    Pen2.Assign(Pen);
    EXPECT_EQ(Pen2.Mode(), pmNot);
    EXPECT_EQ(Pen2.Width(), 2);
}

TEST(GraphicsObjects, FontSizeAndHeightAtNinetySixDots) {
    const std::pair<int, int> HeightSize[] = {{-11, 8}, {-12, 9}, {-13, 10}, {-16, 12}, {-19, 14}, {-32, 24}};
    for (auto [H, S] : HeightSize) {
        TFont F;
        F.SetHeight(H);
        EXPECT_EQ(F.Size(), S) << H;
        TFont G;
        G.SetSize(S);
        EXPECT_EQ(G.Height(), H) << S;
    }
}

namespace {
class TDrawingHost : public TComponent {
    AGENDIX_CLASS(TDrawingHost)
    explicit TDrawingHost(TComponent* Owner) : TComponent(Owner) {}
    TFont* Font() const { return FFont.get(); }
    TPen* Pen() const { return FPen.get(); }
    TBrush* Brush() const { return FBrush.get(); }

  private:
    std::unique_ptr<TFont> FFont = std::make_unique<TFont>();
    std::unique_ptr<TPen> FPen = std::make_unique<TPen>();
    std::unique_ptr<TBrush> FBrush = std::make_unique<TBrush>();
};
const TClassInfo& TDrawingHost::StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TDrawingHost>("TDrawingHost", &TComponent::StaticClassInfo())
                                       .Object("Font", &TDrawingHost::Font)
                                       .Object("Pen", &TDrawingHost::Pen)
                                       .Object("Brush", &TDrawingHost::Brush)
                                       .Build();
    return Info;
}
}  // namespace

TEST(GraphicsObjects, FontPenAndBrushReadFromAndWriteToFormDescriptions) {
    TDrawingHost Host(nullptr);
    Host.SetName("Host");
    ReadComponentRes(&Host,
                     "object Host: TDrawingHost\n"
                     "  Font.Charset = HANGEUL_CHARSET\n"
                     "  Font.Color = clBtnText\n"
                     "  Font.Height = -12\n"
                     "  Font.Name = '굴림체'\n"
                     "  Font.Style = [fsBold, fsUnderline]\n"
                     "  Pen.Mode = pmNot\n"
                     "  Brush.Color = clBtnFace\n"
                     "  Brush.Style = bsClear\n"
                     "end\n");
    EXPECT_EQ(Host.Font()->Charset(), HANGEUL_CHARSET);
    EXPECT_EQ(Host.Font()->Color(), clBtnText);
    EXPECT_EQ(Host.Font()->Height(), -12);
    EXPECT_EQ(Host.Font()->Size(), 9);
    EXPECT_EQ(Host.Font()->Name(), "굴림체");
    EXPECT_EQ(Host.Font()->Style(), fsBold | fsUnderline);
    EXPECT_EQ(Host.Pen()->Mode(), pmNot);
    EXPECT_EQ(Host.Brush()->Color(), clBtnFace);
    EXPECT_EQ(Host.Brush()->Style(), bsClear);

    const AnsiString Written = WriteProperties(&Host, 0);
    const char* InOrder[] = {"Font.Charset = HANGEUL_CHARSET",
                             "Font.Color = clBtnText",
                             "Font.Height = -12",
                             "Font.Name = '굴림체'",
                             "Font.Style = [fsBold, fsUnderline]",
                             "Pen.Mode = pmNot",
                             "Brush.Color = clBtnFace",
                             "Brush.Style = bsClear"};
    size_t At = 0;
    for (const char* Line : InOrder) {
        size_t Found = Written.find(Line, At);
        ASSERT_NE(Found, std::string::npos) << Line << " in\n" << Written;
        At = Found;
    }
    EXPECT_EQ(Written.find("Size"), std::string::npos);
    EXPECT_EQ(Written.find("Pen.Color"), std::string::npos);  // defaults are not stored
    // A plain number for the character set works as well.
    TDrawingHost Other(nullptr);
    Other.SetName("Other");
    ReadComponentRes(&Other, "object Other: TDrawingHost\n  Font.Charset = 129\nend\n");
    EXPECT_EQ(Other.Font()->Charset(), HANGEUL_CHARSET);
}

TEST(BitmapSize, GrowsFromAnEmptySideInEitherOrder) {
    TBitmap A;
    A.SetHeight(3);
    A.SetWidth(2);
    TBitmap B;
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
